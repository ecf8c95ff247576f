#pragma once
// Binary DXF: the same group-code/value pairs as the ASCII form, stored as
// typed values. They are spelled out as ASCII DXF text so that one tag
// reader reads both forms.
#include <string>
#include <string_view>

namespace ostrel::cad {

// True when the bytes start with the binary DXF sentinel.
bool IsBinaryDxf(std::string_view bytes);

// The ASCII DXF text of a binary DXF: one code line and one value line per
// tag, numbers spelled so that they read back to the same value, binary
// chunks as hexadecimal. R12 files (one-byte group codes, 255 before a
// two-byte one) and R13 and later (two-byte group codes) alike; a string
// that holds a line break is given in caret notation. Throws CadError naming
// the byte offset when a tag runs past the end.
std::string BinaryDxfAsText(std::string_view bytes);

} // namespace ostrel::cad
