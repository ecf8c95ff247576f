// POSIX paths are bytes both ways.
#include "platform/system_path.h"

namespace ostrel::platform {

std::filesystem::path SystemPath(const std::string& text) { return std::filesystem::path(text); }

std::string SystemPathText(const std::filesystem::path& path) { return path.string(); }

} // namespace ostrel::platform
