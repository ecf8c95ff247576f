// {"exports": [ {input, output, release, written, error, seconds,
//   records: {keyword: n}, entities: {type: n},
//   dropped: [{reason, count, lines: [...]}], messages: [...]}, ... ]}
#include "tools/convert/report_json.h"

#include "tools/convert/json_text.h"

namespace ostrel::cli {

namespace {

template <class Map>
std::string CountsJson(const Map& counts) {
    std::string out = "{";
    bool first = true;
    for (const auto& [name, n] : counts) {
        if (!first) out += ", ";
        first = false;
        out += JsonString(name) + ": " + std::to_string(n);
    }
    return out + "}";
}

std::string OneReport(const ConversionReport& r) {
    std::string out = "    {\n";
    out += "      \"input\": " + JsonString(r.input) + ",\n";
    out += "      \"output\": " + JsonString(r.output) + ",\n";
    out += "      \"written\": " + std::string(r.written ? "true" : "false") + ",\n";
    out += "      \"release\": " + (r.release.empty() ? std::string("null") : JsonString(r.release)) + ",\n";
    out += "      \"error\": " + (r.error.empty() ? std::string("null") : JsonString(r.error)) + ",\n";
    out += "      \"seconds\": " + JsonNumber(r.seconds) + ",\n";
    out += "      \"records\": " + CountsJson(r.recordsByKeyword) + ",\n";
    out += "      \"entities\": " + CountsJson(r.entitiesByType) + ",\n";
    out += "      \"dropped\": [";
    for (std::size_t i = 0; i < r.dropped.size(); ++i) {
        const auto& d = r.dropped[i];
        out += i ? ",\n        " : "\n        ";
        out += "{\"reason\": " + JsonString(d.reason) + ", \"count\": " + std::to_string(d.count) +
               ", \"lines_not_listed\": " + std::to_string(d.count - static_cast<std::int64_t>(d.lines.size())) +
               ", \"lines\": [";
        for (std::size_t k = 0; k < d.lines.size(); ++k) out += (k ? ", " : "") + std::to_string(d.lines[k]);
        out += "]}";
    }
    out += r.dropped.empty() ? "],\n" : "\n      ],\n";
    out += "      \"messages\": [";
    for (std::size_t i = 0; i < r.messages.size(); ++i) out += (i ? ", " : "") + JsonString(r.messages[i]);
    out += "]\n    }";
    return out;
}

} // namespace

std::string ReportJson(const std::vector<ConversionReport>& reports) {
    std::string out = "{\n  \"exports\": [\n";
    for (std::size_t i = 0; i < reports.size(); ++i) out += (i ? ",\n" : "") + OneReport(reports[i]);
    return out + "\n  ]\n}\n";
}

} // namespace ostrel::cli
