#pragma once
// Text of a DXF file as the drawing database holds it (Windows-1252 bytes).
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel::cad {

// The Windows-1252 byte for a Unicode code point, or -1 when it has none.
int Cp1252FromCodePoint(std::uint32_t cp);

// Appends UTF-8 text converted to Windows-1252. Characters without a
// Windows-1252 byte become "\U+XXXX" (the drawing formats' own escape).
// Bytes that are not valid UTF-8 are kept as they are, so a file that
// claims UTF-8 but holds code-page bytes still reads.
void AppendUtf8AsCp1252(std::string_view utf8, std::string& out);

// Appends a DXF text value with its caret notation undone: "^ " is a caret,
// "^@" to "^_" the control characters 0 to 31, "^?" the character 127; a
// caret before anything else stays as it is.
void AppendCaretDecoded(std::string_view text, std::string& out);

} // namespace ostrel::cad
