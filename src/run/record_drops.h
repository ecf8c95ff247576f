#pragma once
// Why a record made nothing, and the tally a report keeps of it. The record
// loop and the handlers call ConversionRun::Dropped; without a report asked
// for that is one test of a null pointer.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ostrel/report.h"

namespace ostrel {

enum class DropReason : std::uint8_t {
    EmptyLine,
    UnknownKeyword,
    OutsideTrimWindow,
    OutsideBoundary,
    NoSymbol,             // SYM record naming a symbol the symbol file did not define
    NoVertices,           // POLY / POLY3D without a single vertex
    NoDrawing,            // the new drawing could not be made
    ModelSpaceNotOpened,
    Count
};

// The text a report gives a reason.
std::string_view DropReasonText(DropReason reason);

// Gathers one call's records, drops and messages into a ConversionReport.
class RecordTally {
public:
    explicit RecordTally(ConversionReport& report) : report_(report) {}

    // A record read at line `line`; one of a known keyword with fewer
    // fields than its layout is also listed as short.
    void Read(std::string_view keyword, std::string_view record, std::int64_t line);
    void Drop(DropReason reason, std::int64_t line);
    // Copies the tallies into the report (the reasons in order of first occurrence).
    void Finish();

private:
    ConversionReport& report_;
    // Keywords seen so far with their counts: an export uses a dozen, so a
    // look along this short list is quicker than a map per record.
    struct Keyword {
        std::string name;
        std::int64_t count = 0;
        int fields = 0;                   // of its layout; 0: not checked
        ConversionReport::Short shortOnes;
    };
    std::vector<Keyword> keywords_;
    std::array<ConversionReport::Dropped, static_cast<std::size_t>(DropReason::Count)> drops_{};
    std::array<std::uint8_t, static_cast<std::size_t>(DropReason::Count)> order_{};
    std::size_t reasons_ = 0;
};

} // namespace ostrel
