#pragma once
// Paths between the narrow text the library and the program pass around and
// std::filesystem::path. The text is what the system's narrow file functions
// take (fopen, CreateFileA): bytes on POSIX, the ANSI code page on Windows.
// GCC's std::filesystem on Windows reads narrow text through the C runtime's
// locale (Latin-1 in the "C" locale) and gives it back as UTF-8, neither of
// them the ANSI code page: a name such as Žižkov.dxf would not be found again.
#include <filesystem>
#include <string>

namespace ostrel::platform {

std::filesystem::path SystemPath(const std::string& text);
std::string SystemPathText(const std::filesystem::path& path);

} // namespace ostrel::platform
