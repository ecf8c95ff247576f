#include "platform/durable_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ostrel::platform {

bool FlushToDisk(int descriptor) {
    int r;
    do {
        r = ::fsync(descriptor);
    } while (r != 0 && errno == EINTR);
    // Some file systems (pipes, some network mounts) cannot flush: nothing to keep.
    return r == 0 || errno == EINVAL || errno == EROFS;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && FlushToDisk(::fileno(file)); }

std::string ReplaceDurably(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return std::generic_category().message(errno);
    auto folder = std::filesystem::path(to).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {};   // the rename is done; a folder we cannot open we cannot flush either
    FlushToDisk(fd);
    ::close(fd);
    return {};
}

} // namespace ostrel::platform
