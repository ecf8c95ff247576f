#include "cad/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cad/drawing.h"
#include "cad/write_behind.h"
#include "platform/system_path.h"

namespace ostrel::cad {

namespace {

std::string FolderText(const std::filesystem::path& target) {
    auto folder = target.parent_path();
    return folder.empty() ? std::string(".") : platform::SystemPathText(folder);
}

std::string ErrorText(int err) { return std::generic_category().message(err); }

// A name beside the target that no other writer of this process or another
// one picks at the same moment: target + ".~" + a per-process counter and a
// clock value, opened in exclusive mode so a clash is detected, not shared.
std::string TemporaryName(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return target + ".~" + std::to_string(stamp % 1000000007ULL) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + std::to_string(attempt) + ".tmp";
}

} // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    if (target_.empty()) throw CadError("cannot write a drawing: no file name given");
    std::error_code ec;
    if (std::filesystem::is_directory(platform::SystemPath(target_), ec))
        throw CadError("cannot write " + target_ + ": it is a folder");
    int lastError = 0;
    for (unsigned attempt = 0; attempt < 16 && !file_; ++attempt) {
        temp_ = TemporaryName(target_, attempt);
        errno = 0;
        file_ = std::fopen(temp_.c_str(), "wbx");   // "x": fail if the name exists
        lastError = errno;
        if (!file_ && lastError != EEXIST) break;
    }
    if (!file_) {
        temp_.clear();
        throw CadError("cannot write " + target_ + ": cannot create a file in folder " +
                       FolderText(platform::SystemPath(target_)) + " (" + ErrorText(lastError ? lastError : EIO) + ")");
    }
    // Blocks arrive large; stdio's own buffer would only copy them.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    behind_ = std::make_unique<WriteBehind>([this](const char* data, std::size_t size) { WriteNow(data, size); });
}

AtomicFile::~AtomicFile() {
    if (!committed_) Discard();
}

void AtomicFile::Discard() noexcept {
    behind_.reset();
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        std::remove(temp_.c_str());
        temp_.clear();
    }
}

void AtomicFile::WriteNow(const char* data, std::size_t size) {
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) {
        const int err = errno ? errno : EIO;
        throw CadError("cannot write " + target_ + ": " + ErrorText(err));
    }
}

void AtomicFile::Write(const char* data, std::size_t size) {
    if (!file_) throw CadError("cannot write " + target_ + ": the file is already closed");
    if (size == 0) return;
    try {
        behind_->Put(data, size);
    } catch (...) {
        Discard();
        throw;
    }
}

void AtomicFile::DrainOrDiscard() {
    try {
        behind_->Drain();
    } catch (...) {
        Discard();
        throw;
    }
}

void AtomicFile::WriteAt(std::uint64_t offset, const char* data, std::size_t size) {
    if (!file_) throw CadError("cannot write " + target_ + ": the file is already closed");
    DrainOrDiscard();
    errno = 0;
    bool ok = std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 &&
              std::fwrite(data, 1, size, file_) == size && std::fseek(file_, 0, SEEK_END) == 0;
    if (!ok) {
        int err = errno ? errno : EIO;
        Discard();
        throw CadError("cannot write " + target_ + ": " + ErrorText(err));
    }
}

void AtomicFile::Commit() {
    if (!file_) throw CadError("cannot write " + target_ + ": the file is already closed");
    DrainOrDiscard();
    behind_.reset();
    errno = 0;
    bool ok = std::fflush(file_) == 0;
    int err = errno;
    ok = (std::fclose(file_) == 0) && ok;
    if (!err) err = errno;
    file_ = nullptr;
    if (!ok) {
        Discard();
        throw CadError("cannot write " + target_ + ": " + ErrorText(err ? err : EIO));
    }
    std::error_code ec;
    std::filesystem::rename(platform::SystemPath(temp_), platform::SystemPath(target_), ec);
    if (ec) {
        Discard();
        throw CadError("cannot replace " + target_ + ": " + ec.message());
    }
    temp_.clear();
    committed_ = true;
}

} // namespace ostrel::cad
