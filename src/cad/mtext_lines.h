#pragma once
// The plain lines of an MTEXT string: paragraph breaks (\P, a line feed)
// split it, formatting codes (\f...; \H...; \C...; \L, braces ...) are
// dropped, \~ is a space, a stacked fraction \Sa^b; reads a/b, and the
// escaped \\ \{ \} are their characters. Plots and the writers of releases
// without MTEXT show these.
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cad {

std::vector<std::string> MTextLines(std::string_view raw);

} // namespace ostrel::cad
