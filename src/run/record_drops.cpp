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

void RecordTally::Read(std::string_view keyword) {
    for (auto& [name, count] : keywords_)
        if (name == keyword) {
            ++count;
            return;
        }
    keywords_.emplace_back(std::string(keyword), 1);
}

void RecordTally::Drop(DropReason reason, std::int64_t line) {
    const auto i = static_cast<std::size_t>(reason);
    auto& d = drops_[i];
    if (d.count++ == 0) order_[reasons_++] = static_cast<std::uint8_t>(i);
    if (d.lines.size() < ConversionReport::kMaxLines) d.lines.push_back(line);
}

void RecordTally::Finish() {
    for (auto& [name, count] : keywords_) report_.recordsByKeyword[name] += count;
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
