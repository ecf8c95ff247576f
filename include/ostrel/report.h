#pragma once
// What one conversion did: the records read, the entities written, the
// records that made nothing and why, the messages shown. A host asks for it
// through HostOptions::report; each SaveAsDWG call fills it afresh.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ostrel {

struct ConversionReport {
    // Records that made nothing, grouped by their reason.
    struct Dropped {
        std::string reason;               // e.g. "outside the trim window"
        std::int64_t count = 0;           // all records dropped for it
        std::vector<std::int64_t> lines;  // line numbers of the first kMaxLines of them
    };
    static constexpr std::size_t kMaxLines = 1000;
    // Records of a known keyword with fewer fields than its layout: read
    // all the same, the missing fields empty (numbers 0).
    struct Short {
        std::string keyword;
        int fields = 0;                   // the fields its layout has
        std::int64_t count = 0;
        std::vector<std::int64_t> lines;  // the first kMaxLines of them
    };

    std::string input, output;
    std::string release;                  // "R2000", ...; empty when nothing was written
    bool written = false;                 // the drawing was saved
    std::string error;                    // the error that ended the call, if one did
    double seconds = 0;                   // wall time of the call
    std::map<std::string, std::int64_t, std::less<>> recordsByKeyword;   // "" for empty lines
    std::map<std::string, std::int64_t> entitiesByType;     // model space, as saved ("LINE", ...)
    std::vector<Dropped> dropped;         // in the order the reasons first occurred
    std::vector<Short> shortRecords;      // by keyword, in the order first met
    std::vector<std::string> messages;    // every message shown, in order
};

} // namespace ostrel
