// File stamps from stat(2).
#include "platform/file_stamp.h"

#include <sys/stat.h>

namespace ostrel::platform {

FileStamp StampOf(const std::string& path) {
    FileStamp s;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::int64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

} // namespace ostrel::platform
