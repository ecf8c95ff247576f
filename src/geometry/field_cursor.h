#pragma once
// Walks the comma-separated fields of one line without rescanning the line
// from its start for every field: Field(n) gives what GetCommaField(n, line)
// gives, in time proportional to the distance from the field asked for last.
// Long vertex records are read in one pass this way.
#include <cstddef>
#include <string_view>

namespace ostrel {

class FieldCursor {
public:
    explicit FieldCursor(std::string_view line) : line_(line) {}

    std::string_view Field(int n) {
        if (n < 0) n = 0;
        if (n < index_) {
            index_ = 0;
            start_ = 0;
        }
        while (index_ < n) {
            const std::size_t comma = line_.find(',', start_);
            if (comma == std::string_view::npos) return {};
            start_ = comma + 1;
            ++index_;
        }
        const std::size_t end = line_.find(',', start_);
        return line_.substr(start_, end == std::string_view::npos ? line_.size() - start_ : end - start_);
    }

private:
    std::string_view line_;
    int index_ = 0;          // the field that begins at start_
    std::size_t start_ = 0;
};

} // namespace ostrel
