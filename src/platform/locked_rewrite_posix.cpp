// Locked rewrites on POSIX: flock(2) on the file itself, a temporary file
// beside it, flushed to the disk and renamed over it, the folder flushed.
#include "platform/locked_rewrite.h"

#include "platform/durable_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel::platform {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool ReadAll(int fd, std::size_t maxBytes, std::string& out) {
    out.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (out.size() + static_cast<std::size_t>(n) > maxBytes) return false;
        out.append(chunk, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file the path names, through any symbolic links: the rename replaces
// the file, not the link.
std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer)) return buffer;
    return path;
}

} // namespace

bool RewriteFileLocked(const std::string& path, bool createFolders, std::size_t maxBytes,
                       const std::function<std::optional<std::string>(std::string current)>& edit) {
    if (path.empty()) return false;
    if (createFolders) {
        std::error_code ec;
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    }
    // A writer that renamed a new file over the path while we waited for the
    // lock leaves us holding the old one: lock again, at most a few times.
    for (int attempt = 0; attempt < 64; ++attempt) {
        Descriptor fd(::open(path.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
        if (fd.get() < 0) return false;
        struct stat held {};
        if (::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) return false;
        const std::string target = Resolved(path);
        if (::access(target.c_str(), W_OK) != 0) return false;
        int locked;
        do {
            locked = ::flock(fd.get(), LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) return false;
        struct stat now {};
        if (::stat(target.c_str(), &now) != 0 || now.st_dev != held.st_dev || now.st_ino != held.st_ino) continue;

        std::string current;
        if (!ReadAll(fd.get(), maxBytes, current)) return false;
        std::optional<std::string> replacement = edit(std::move(current));
        if (!replacement) return true;

        std::string temporary = target + ".XXXXXX";
        Descriptor out(::mkstemp(temporary.data()));
        if (out.get() < 0) return false;
        const bool written = WriteAll(out.get(), *replacement) &&
                             ::fchmod(out.get(), held.st_mode & 07777) == 0 && FlushToDisk(out.get());
        const int closed = ::close(out.Release());
        if (!written || closed != 0 || !ReplaceDurably(temporary, target).empty()) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;   // the lock goes with the old file's descriptor
    }
    return false;
}

} // namespace ostrel::platform
