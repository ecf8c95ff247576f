#include "cad/dxf/dxf_names.h"

#include <unordered_set>

#include "cad/dxf/dxf_text_encoding.h"

namespace ostrel::cad::dxf {

namespace {

bool IsClassicRelease(Release r) { return r == Release::R12 || r == Release::R13 || r == Release::R14; }

bool ForbiddenFrom2000(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
    case '<': case '>': case '/': case '\\': case '"': case ':': case ';':
    case '?': case '*': case '|': case '=': case '`': case ',':
        return true;
    default:
        return false;
    }
}

std::size_t MaxLength(Release r) { return IsClassicRelease(r) ? 31 : 255; }

void MakeUnique(std::vector<std::string>& names, Release r) {
    std::unordered_set<std::string> seen;
    seen.reserve(names.size() * 2);
    for (auto& name : names) {
        if (seen.insert(FoldName(name)).second) continue;
        for (int n = 2;; ++n) {
            std::string suffix(1, '_');
            suffix += std::to_string(n);
            std::string base = name;
            if (base.size() + suffix.size() > MaxLength(r)) base.resize(MaxLength(r) - suffix.size());
            std::string candidate = base + suffix;
            if (seen.insert(FoldName(candidate)).second) {
                name = std::move(candidate);
                break;
            }
        }
    }
}

} // namespace

std::string ValidSymbolName(std::string_view name, Release release, SymbolKind kind) {
    std::string out;
    out.reserve(name.size());
    const bool classic = IsClassicRelease(release);
    const bool starAllowed = kind == SymbolKind::Block || kind == SymbolKind::Other;
    for (std::size_t i = 0; i < name.size() && out.size() < MaxLength(release); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (i == 0 && c == '*' && starAllowed) {
            out += '*';
        } else if (classic) {
            if (c >= 'a' && c <= 'z') out += static_cast<char>(c - 'a' + 'A');
            else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' || c == '-' || c == '_')
                out += static_cast<char>(c);
            else out += '_';
        } else {
            out += ForbiddenFrom2000(c) ? '_' : static_cast<char>(c);
        }
    }
    if (out.empty()) out.assign(1, '_');
    if (release >= Release::R2007) out = Cp1252ToUtf8(out);
    return out;
}

ReleaseNames MakeReleaseNames(const Drawing& d, Release release) {
    ReleaseNames n;
    auto fill = [&](auto& records, std::vector<std::string>& names, SymbolKind kind) {
        names.reserve(records.size());
        for (auto& rec : records) names.push_back(ValidSymbolName(rec.name, release, kind));
        MakeUnique(names, release);
    };
    fill(d.layers, n.layers, SymbolKind::Layer);
    fill(d.linetypes, n.linetypes, SymbolKind::Linetype);
    fill(d.blocks, n.blocks, SymbolKind::Block);
    fill(d.styles, n.styles, SymbolKind::Style);
    return n;
}

} // namespace ostrel::cad::dxf
