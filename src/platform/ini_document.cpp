// Parsing and minimal edits of profile (INI) files.
#include "platform/ini_document.h"

namespace ostrel::platform {

namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

void IniDocument::Parse() {
    lines_.clear();
    const std::size_t n = bytes_.size();
    std::size_t pos = 0;
    // A byte-order mark written by some editors is not part of the first line.
    if (bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos < n) {
        Line l;
        l.begin = pos;
        std::size_t e = pos;
        while (e < n && bytes_[e] != '\r' && bytes_[e] != '\n') ++e;
        l.end = e;
        l.next = e;
        if (l.next < n && bytes_[l.next] == '\r') ++l.next;
        if (l.next < n && bytes_[l.next] == '\n' && (l.next == e || bytes_[e] == '\r')) ++l.next;
        pos = l.next;

        std::size_t b = l.begin, c = l.end;
        while (b < c && IsBlank(bytes_[b])) ++b;
        while (c > b && IsBlank(bytes_[c - 1])) --c;
        if (b == c) {
            l.kind = LineKind::Blank;
        } else if (bytes_[b] == ';') {
            l.kind = LineKind::Comment;
        } else {
            std::size_t close = std::string_view::npos;
            if (bytes_[b] == '[') close = std::string_view(bytes_).substr(b, c - b).rfind(']');
            if (close != std::string_view::npos && close > 0) {
                l.kind = LineKind::Section;
                const auto name = TrimBlanks(std::string_view(bytes_).substr(b + 1, close - 1));
                l.nameBegin = static_cast<std::size_t>(name.data() - bytes_.data());
                l.nameEnd = l.nameBegin + name.size();
            } else {
                l.kind = LineKind::Entry;
                const std::string_view content = std::string_view(bytes_).substr(b, c - b);
                const std::size_t eq = content.find('=');
                std::string_view name = content;
                if (eq != std::string_view::npos) {
                    name = TrimBlanks(content.substr(0, eq));
                    const auto value = TrimBlanks(content.substr(eq + 1));
                    l.hasValue = true;
                    l.valueBegin = static_cast<std::size_t>(value.data() - bytes_.data());
                    l.valueEnd = l.valueBegin + value.size();
                    if (value.empty()) l.valueBegin = l.valueEnd = b + eq + 1;
                }
                l.nameBegin = static_cast<std::size_t>(name.data() - bytes_.data());
                l.nameEnd = l.nameBegin + name.size();
                if (name.empty()) l.nameBegin = l.nameEnd = b;
                if (!l.hasValue) l.valueBegin = l.valueEnd = l.nameEnd;
            }
        }
        lines_.push_back(l);
    }
}

std::size_t IniDocument::FindSectionLine(std::string_view section) const {
    section = TrimBlanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::Section && EqualNoCase(Name(lines_[i]), section)) return i;
    return std::string_view::npos;
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSectionLine(section) != std::string_view::npos;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section, std::string_view key) const {
    const std::size_t s = FindSectionLine(section);
    if (s == std::string_view::npos) return std::nullopt;
    key = TrimBlanks(key);
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
        const Line& l = lines_[i];
        if (l.kind == LineKind::Entry && EqualNoCase(Name(l), key)) return Value(l);
    }
    return std::nullopt;
}

std::string_view IniDocument::LineBreak() const {
    const std::size_t t = bytes_.find_first_of("\r\n");
    if (t == std::string::npos) return "\r\n";
    if (bytes_[t] == '\n') return "\n";
    return t + 1 < bytes_.size() && bytes_[t + 1] == '\n' ? std::string_view("\r\n") : std::string_view("\r");
}

void IniDocument::AppendSection(std::string_view section, std::string_view entry) {
    const std::string eol(LineBreak());
    std::string add;
    if (!bytes_.empty()) {
        const char last = bytes_.back();
        if (last != '\r' && last != '\n') add += eol;
        // Sections are kept apart by a blank line.
        if (!lines_.empty() && lines_.back().kind != LineKind::Blank) add += eol;
    }
    add += '[';
    add += TrimBlanks(section);
    add += ']';
    add += eol;
    if (!entry.empty()) {
        add += entry;
        add += eol;
    }
    bytes_ += add;
    Parse();
}

bool IniDocument::AddSection(std::string_view section) {
    if (HasSection(section)) return false;
    AppendSection(section, {});
    return true;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    key = TrimBlanks(key);
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append("=").append(value);

    const std::size_t s = FindSectionLine(section);
    if (s == std::string_view::npos) {
        AppendSection(section, entry);
        return true;
    }
    std::size_t lastContent = s;
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i) {
        const Line& l = lines_[i];
        if (l.kind == LineKind::Entry && EqualNoCase(Name(l), key)) {
            if (l.hasValue) {
                if (Value(l) == value) return false;
                bytes_.replace(l.valueBegin, l.valueEnd - l.valueBegin, value);
            } else {
                std::string assignment;
                assignment.reserve(1 + value.size());
                assignment.push_back('=');
                assignment.append(value);
                bytes_.replace(l.nameEnd, l.end - l.nameEnd, assignment);
            }
            Parse();
            return true;
        }
        if (l.kind != LineKind::Blank) lastContent = i;
    }
    // A new entry goes after the last non-blank line of the section.
    const Line& after = lines_[lastContent];
    const std::string eol(LineBreak());
    if (after.next == after.end) {
        bytes_.insert(after.end, eol + entry);
    } else {
        bytes_.insert(after.next, entry + eol);
    }
    Parse();
    return true;
}

} // namespace ostrel::platform
