#pragma once
// Walks the comma-separated fields of one line without rescanning the line
// from its start for every field: Field(n) gives what GetCommaField(n, line)
// gives, in time proportional to the distance from the field asked for last.
// Long vertex records are read in one pass this way, each byte looked at
// once (fields are short: a plain loop beats a library search call).
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
            end_ = kUnknown;
        }
        while (index_ < n) {
            const std::size_t comma = End();
            if (comma == line_.size()) return {};   // no field n
            start_ = comma + 1;
            end_ = kUnknown;
            ++index_;
        }
        return line_.substr(start_, End() - start_);
    }

private:
    static constexpr std::size_t kUnknown = ~std::size_t{0};

    // Position of the comma ending the field at start_ (the line's size when none).
    std::size_t End() {
        if (end_ == kUnknown) {
            std::size_t i = start_;
            while (i < line_.size() && line_[i] != ',') ++i;
            end_ = i;
        }
        return end_;
    }

    std::string_view line_;
    int index_ = 0;          // the field that begins at start_
    std::size_t start_ = 0;
    std::size_t end_ = kUnknown;
};

} // namespace ostrel
