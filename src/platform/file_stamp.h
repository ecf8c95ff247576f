#pragma once
// What identifies one state of a file on disk, so that a change made by
// someone else can be noticed without reading the file again.
#include <cstdint>
#include <string>

namespace ostrel::platform {

struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;   // last data change
    std::int64_t changedNs = 0;    // last status change (0 where the system has none)

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
    // Same file object (device and inode), when the system tells.
    bool SameFile(const FileStamp& other) const {
        return exists && other.exists && inode != 0 && device == other.device && inode == other.inode;
    }
};

// One status query of the file system for the path.
FileStamp StampOf(const std::string& path);

} // namespace ostrel::platform
