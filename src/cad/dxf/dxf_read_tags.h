#pragma once
// Group-code/value pairs of an ASCII DXF text, read as views into the text
// (no allocation per tag), with the line number of each pair for messages.
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/drawing.h"

namespace ostrel::cad {

struct DxfTag {
    int code = 0;
    std::string_view value;     // the value line without its line end
    std::int64_t line = 0;      // 1-based line of the group code
};

class DxfTagReader {
public:
    explicit DxfTagReader(std::string_view text);

    // Reads the next pair into tag; false at the end of the text. A group
    // code that is not a number, or a code line without its value line,
    // throws CadError naming the line.
    bool Next(DxfTag& tag);
    // The pair Next would read, without consuming it; false at the end.
    bool Peek(DxfTag& tag);
    std::int64_t Line() const { return line_; }

private:
    bool ReadLine(std::string_view& out);
    std::string_view text_;
    std::size_t pos_ = 0;
    std::int64_t line_ = 0;     // lines consumed so far
    bool peeked_ = false;
    bool peekOk_ = false;
    DxfTag peek_;
};

// Value conversions; each throws CadError with the tag's line when the value
// is not what the group code promises.
double TagDouble(const DxfTag& tag);
std::int32_t TagInt(const DxfTag& tag);
std::int16_t TagShort(const DxfTag& tag);   // clamped to the 16-bit range
Handle TagHandle(const DxfTag& tag);        // hexadecimal; an empty value is 0

[[noreturn]] void ThrowAtLine(std::int64_t line, const std::string& what);

} // namespace ostrel::cad
