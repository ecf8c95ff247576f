#include "platform/durable_file.h"

#include <io.h>
#include <windows.h>

#include <system_error>

namespace ostrel::platform {

bool FlushToDisk(int descriptor) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != 0;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && FlushToDisk(::_fileno(file)); }

std::string ReplaceDurably(const std::string& from, const std::string& to) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
    return std::system_category().message(static_cast<int>(::GetLastError()));
}

} // namespace ostrel::platform
