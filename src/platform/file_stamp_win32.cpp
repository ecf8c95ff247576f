// File stamps from the file's handle information: volume serial number and
// file index stand for device and inode; Windows keeps no status-change time.
#include <windows.h>

#include "platform/file_stamp.h"

namespace ostrel::platform {

namespace {

std::int64_t Nanoseconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<std::int64_t>(v.QuadPart) * 100;   // 100 ns units since 1601
}

} // namespace

FileStamp StampOf(const std::string& path) {
    FileStamp s;
    if (path.empty()) return s;
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return s;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        s.exists = true;
        s.device = info.dwVolumeSerialNumber;
        s.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        s.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
        s.modifiedNs = Nanoseconds(info.ftLastWriteTime);
    }
    CloseHandle(file);
    return s;
}

} // namespace ostrel::platform
