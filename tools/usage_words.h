#pragma once
// Words on the command line that the program does not know: an unknown
// command or option is named, with the nearest known one suggested.
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ostrel::cli {

// The known name closest to `given` (edit distance), or "" when none is close.
std::string NearestName(const std::string& given, const std::vector<std::string>& names);

// "unknown command 'conver'; did you mean 'convert'?" and the like for the
// first unknown word of argv, or "" when every command and option is known.
std::string UnknownWord(int argc, char** argv, CLI::App& app);

} // namespace ostrel::cli
