#pragma once
// Small helpers for writing JSON text by hand: strings quoted and escaped,
// the drawing's Windows-1252 bytes turned into UTF-8.
#include <string>
#include <string_view>

namespace ostrel::cli {

// s as a JSON string literal, quotes included.
std::string JsonString(std::string_view s);
// A number as JSON (non-finite values become null).
std::string JsonNumber(double v);

} // namespace ostrel::cli
