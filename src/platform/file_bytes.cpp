// Whole-file reads and writes over the C library's streams.
#include "platform/file_bytes.h"
#include "platform/huge_pages.h"
#include "platform/system_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <filesystem>
#include <memory>
#include <new>

namespace ostrel::platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The description of an open or read failure, in the words of the runtime
// errors a file open raises.
std::string DescribeFailure(const std::string& path, int error) {
    switch (error) {
    case ENOENT: {
        std::error_code ec;
        const auto parent = SystemPath(path).parent_path();
        if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return "Path not found";
        return "File not found";
    }
    case ENOTDIR:
        return "Path not found";
    case EACCES:
    case EPERM:
    case EROFS:
        return "Permission denied";
    case EISDIR:
        return "Path/File access error";
    case ENAMETOOLONG:
    case EINVAL:
        return "Bad file name or number";
    case EMFILE:
    case ENFILE:
        return "Too many files";
    case EIO:
        return "Device I/O error";
    case ENOMEM:
        return "Out of memory";
    default:
        return std::generic_category().message(error);   // strerror is not safe from several threads
    }
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
    bytes.clear();
    if (path.empty()) {
        reason = "Bad file name or number";
        return false;
    }
    errno = 0;
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        reason = DescribeFailure(path, errno);
        return false;
    }
    try {
        std::error_code ec;
        const auto size = std::filesystem::file_size(SystemPath(path), ec);
        // The size known beforehand is read straight into place; a file that
        // grew meanwhile goes on in chunks, one that shrank ends where it ends.
        if (!ec && size > 0 && size < (std::uintmax_t{1} << 40)) {
            bytes.reserve(static_cast<std::size_t>(size) + 1);
            AdviseHugePages(bytes.data(), bytes.capacity());
            bytes.resize(static_cast<std::size_t>(size));
            const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f.get());
            bytes.resize(n);
        }
        if (!std::ferror(f.get()) && !std::feof(f.get())) {
            char chunk[65536];
            for (;;) {
                const std::size_t n = std::fread(chunk, 1, sizeof chunk, f.get());
                bytes.append(chunk, n);
                if (n < sizeof chunk) break;
            }
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        reason = "Out of memory";
        return false;
    } catch (const std::length_error&) {
        bytes.clear();
        bytes.shrink_to_fit();
        reason = "Out of memory";
        return false;
    }
    if (std::ferror(f.get())) {
        reason = DescribeFailure(path, errno != 0 ? errno : EIO);
        bytes.clear();
        return false;
    }
    return true;
}

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& reason,
                     bool& refused) {
    bytes.clear();
    refused = true;
    std::error_code ec;
    const auto status = std::filesystem::status(SystemPath(path), ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        reason = "not a regular file";
        return false;
    }
    const auto size = std::filesystem::file_size(SystemPath(path), ec);
    if (!ec && size > maxBytes) {
        reason = std::string("larger than ") + std::to_string(maxBytes >> 20) + " MB";
        return false;
    }
    refused = false;
    if (!ReadWholeFile(path, bytes, reason)) return false;
    // Grown between the size check and the read.
    if (bytes.size() > maxBytes) {
        bytes.clear();
        bytes.shrink_to_fit();
        reason = std::string("larger than ") + std::to_string(maxBytes >> 20) + " MB";
        refused = true;
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, bool createFolders) {
    if (path.empty()) return false;
    if (createFolders) {
        const auto parent = SystemPath(path).parent_path();
        std::error_code ec;
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    }
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return false;
    return std::fclose(f.release()) == 0;
}

} // namespace ostrel::platform
