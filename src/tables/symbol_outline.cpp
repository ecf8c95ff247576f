// Outline lines of symbol definitions.
#include "tables/symbol_outline.h"

#include "run/record_reader.h"

namespace ostrel {

namespace {

constexpr std::string_view kClosingTail = "-9.999,";
constexpr std::size_t kClosingPairLength = 14;

// Walks the comma-separated fields of a line from its start, as GetField
// numbers them, without rescanning the line for every field.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line) : line_(line) {}
    std::string_view Next() {
        if (done_) return {};
        const std::size_t comma = line_.find(',', pos_);
        if (comma == std::string_view::npos) {
            done_ = true;
            return line_.substr(pos_);
        }
        std::string_view field = line_.substr(pos_, comma - pos_);
        pos_ = comma + 1;
        return field;
    }

private:
    std::string_view line_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

} // namespace

bool ParseOutline(std::string_view line, std::vector<OutlineVertex>& vertices, bool& closed) {
    vertices.clear();
    closed = line.size() >= kClosingTail.size() && line.substr(line.size() - kClosingTail.size()) == kClosingTail;
    if (closed) line = line.substr(0, line.size() > kClosingPairLength ? line.size() - kClosingPairLength : 0);
    if (CountOccurrences(line, ",") < 3) return false;

    FieldCursor fields(line);
    for (;;) {
        const std::string_view x = fields.Next();
        if (x.find_first_not_of(' ') == std::string_view::npos) break;
        const std::string_view y = fields.Next();
        vertices.push_back({LeadingNumber(x), LeadingNumber(y)});
    }
    return true;
}

} // namespace ostrel
