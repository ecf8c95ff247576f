// {"exports": [ {input, output, status, reason, release, written, error,
//   seconds, records: {keyword: n}, entities: {type: n},
//   dropped: [{reason, count, lines_not_listed, lines: [...]}],
//   short_records: [{keyword, fields, count, lines_not_listed, lines: [...]}],
//   messages: [...]}, ... ]}
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

std::string Lines(std::int64_t count, const std::vector<std::int64_t>& lines) {
    std::string out = "\"lines_not_listed\": " + std::to_string(count - static_cast<std::int64_t>(lines.size())) +
                      ", \"lines\": [";
    for (std::size_t k = 0; k < lines.size(); ++k) out += (k ? ", " : "") + std::to_string(lines[k]);
    return out + "]}";
}

std::string TextOrNull(const std::string& s) { return s.empty() ? std::string("null") : JsonString(s); }

std::string OneReport(const ExportReport& e) {
    const ConversionReport& r = e.report;
    std::string out = "    {\n";
    out += "      \"input\": " + JsonString(r.input) + ",\n";
    out += "      \"output\": " + JsonString(r.output) + ",\n";
    out += "      \"status\": " + JsonString(e.status) + ",\n";
    out += "      \"reason\": " + TextOrNull(e.reason) + ",\n";
    out += "      \"written\": " + std::string(r.written ? "true" : "false") + ",\n";
    out += "      \"release\": " + TextOrNull(r.release) + ",\n";
    out += "      \"error\": " + TextOrNull(r.error) + ",\n";
    out += "      \"seconds\": " + JsonNumber(r.seconds) + ",\n";
    out += "      \"records\": " + CountsJson(r.recordsByKeyword) + ",\n";
    out += "      \"entities\": " + CountsJson(r.entitiesByType) + ",\n";
    out += "      \"dropped\": [";
    for (std::size_t i = 0; i < r.dropped.size(); ++i) {
        const auto& d = r.dropped[i];
        out += i ? ",\n        " : "\n        ";
        out += "{\"reason\": " + JsonString(d.reason) + ", \"count\": " + std::to_string(d.count) + ", " +
               Lines(d.count, d.lines);
    }
    out += r.dropped.empty() ? "],\n" : "\n      ],\n";
    out += "      \"short_records\": [";
    for (std::size_t i = 0; i < r.shortRecords.size(); ++i) {
        const auto& k = r.shortRecords[i];
        out += i ? ",\n        " : "\n        ";
        out += "{\"keyword\": " + JsonString(k.keyword) + ", \"fields\": " + std::to_string(k.fields) +
               ", \"count\": " + std::to_string(k.count) + ", " + Lines(k.count, k.lines);
    }
    out += r.shortRecords.empty() ? "],\n" : "\n      ],\n";
    out += "      \"messages\": [";
    for (std::size_t i = 0; i < r.messages.size(); ++i) out += (i ? ", " : "") + JsonString(r.messages[i]);
    out += "]\n    }";
    return out;
}

} // namespace

std::string ReportJson(const std::vector<ExportReport>& reports) {
    std::string out = "{\n  \"exports\": [\n";
    for (std::size_t i = 0; i < reports.size(); ++i) out += (i ? ",\n" : "") + OneReport(reports[i]);
    return out + "\n  ]\n}\n";
}

} // namespace ostrel::cli
