// The tally of records read and dropped for a conversion's report.
#include "run/record_drops.h"

#include <string>

namespace ostrel {

std::string_view DropReasonText(DropReason reason) {
    switch (reason) {
    case DropReason::EmptyLine: return "empty line";
    case DropReason::UnknownKeyword: return "unknown keyword";
    case DropReason::OutsideTrimWindow: return "outside the trim window";
    case DropReason::OutsideBoundary: return "outside the boundary";
    case DropReason::NoSymbol: return "no symbol of that name";
    case DropReason::NoVertices: return "no vertices";
    case DropReason::NoDrawing: return "no drawing to add to";
    case DropReason::ModelSpaceNotOpened: return "model space could not be opened";
    case DropReason::Count: break;
    }
    return "unknown";
}

namespace {

// The fields of each fixed record layout (POLY, POLY3D and TRIM run on
// with their vertices; their first five fields are the fixed part).
int LayoutFields(std::string_view keyword) {
    static constexpr std::pair<std::string_view, int> kLayouts[] = {
        {"POINT", 5}, {"SYM", 10}, {"TEXT", 8}, {"TEXT3D", 9}, {"CIRCLE", 7},
        {"TRI", 11},  {"POLY", 5}, {"POLY3D", 5}, {"STARTTB", 3},
    };
    for (const auto& [name, fields] : kLayouts)
        if (name == keyword) return fields;
    return 0;
}

} // namespace

void RecordTally::Read(std::string_view keyword, std::string_view record, std::int64_t line) {
    Keyword* k = nullptr;
    for (auto& seen : keywords_)
        if (seen.name == keyword) {
            k = &seen;
            break;
        }
    if (!k) {
        k = &keywords_.emplace_back();
        k->name = std::string(keyword);
        k->fields = LayoutFields(keyword);
    }
    ++k->count;
    if (k->fields == 0) return;
    int fields = 1;
    for (const char c : record)
        if (c == ',' && ++fields >= k->fields) return;
    if (k->shortOnes.count++ < static_cast<std::int64_t>(ConversionReport::kMaxLines))
        k->shortOnes.lines.push_back(line);
}

void RecordTally::Drop(DropReason reason, std::int64_t line) {
    const auto i = static_cast<std::size_t>(reason);
    auto& d = drops_[i];
    if (d.count++ == 0) order_[reasons_++] = static_cast<std::uint8_t>(i);
    if (d.lines.size() < ConversionReport::kMaxLines) d.lines.push_back(line);
}

void RecordTally::Finish() {
    for (auto& k : keywords_) {
        report_.recordsByKeyword[k.name] += k.count;
        if (k.shortOnes.count == 0) continue;
        k.shortOnes.keyword = k.name;
        k.shortOnes.fields = k.fields;
        report_.shortRecords.push_back(std::move(k.shortOnes));
    }
    keywords_.clear();
    for (std::size_t k = 0; k < reasons_; ++k) {
        auto& d = drops_[order_[k]];
        d.reason = std::string(DropReasonText(static_cast<DropReason>(order_[k])));
        report_.dropped.push_back(std::move(d));
        d = {};
    }
    reasons_ = 0;
}

} // namespace ostrel
