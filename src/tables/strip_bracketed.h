#pragma once
#include <string>
#include <string_view>

namespace ostrel {

// StripBracketed written into the caller's buffer, whose capacity is kept.
void StripBracketedInto(std::string_view name, std::string& out);

} // namespace ostrel
