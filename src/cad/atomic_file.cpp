#include "cad/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#include "cad/drawing.h"
#include "cad/write_behind.h"
#include "platform/system_path.h"
#include "platform/durable_file.h"
#include "platform/process_id.h"

namespace ostrel::cad {

namespace {

std::string FolderText(const std::filesystem::path& target) {
    auto folder = target.parent_path();
    return folder.empty() ? std::string(".") : platform::SystemPathText(folder);
}

std::string ErrorText(int err) { return std::generic_category().message(err); }

// A name beside the target that no other writer of this process or another
// one picks at the same moment: target + ".~" + the process id, a
// per-process counter and a clock value, opened in exclusive mode so a
// clash is detected, not shared.
std::string TemporaryName(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return target + ".~" + std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(stamp % 1000000007ULL) +
           "-" + std::to_string(counter.fetch_add(1)) + "-" + std::to_string(attempt) + ".tmp";
}

// The process id in a temporary's file name made for target's file name
// `base`, or 0 when the name is not one of ours.
long MakerOf(const std::string& name, const std::string& base) {
    const std::string lead = base + ".~";
    if (name.size() < lead.size() + 5 || name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - 4, 4, ".tmp") != 0)
        return 0;
    long pid = 0;
    std::size_t i = lead.size();
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < 100000000; ++i) pid = pid * 10 + (name[i] - '0');
    return i < name.size() && name[i] == '-' ? pid : 0;
}

// Removes the temporaries that saves to target left when their process was
// killed; those of a process that still runs (this one included) stay.
void RemoveLeftTemporaries(const std::filesystem::path& target) {
    std::error_code ec;
    auto folder = target.parent_path();
    if (folder.empty()) folder = ".";
    const std::string base = target.filename().string();
    const long self = platform::CurrentProcessId();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const long pid = MakerOf(it->path().filename().string(), base);
        if (pid != 0 && pid != self && !platform::ProcessRuns(pid)) std::filesystem::remove(it->path(), ec);
    }
}

// The temporaries of this process's saves under way, for an interrupted run.
std::mutex liveMutex;
std::set<std::string>& Live() {
    static std::set<std::string> live;
    return live;
}

void Track(const std::string& temp, bool live) {
    std::lock_guard<std::mutex> lock(liveMutex);
    if (live) Live().insert(temp);
    else Live().erase(temp);
}

} // namespace

static SaveProgress& ThreadSaveProgress() {
    thread_local SaveProgress progress;
    return progress;
}

void SetSaveProgress(SaveProgress progress) { ThreadSaveProgress() = std::move(progress); }

void RemoveUnfinishedSaves() noexcept {
    std::lock_guard<std::mutex> lock(liveMutex);
    for (const auto& temp : Live()) std::remove(temp.c_str());
    Live().clear();
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
    if (target_.empty()) throw CadError("cannot write a drawing: no file name given");
    std::error_code ec;
    if (std::filesystem::is_directory(platform::SystemPath(target_), ec))
        throw CadError("cannot write " + target_ + ": it is a folder");
    RemoveLeftTemporaries(platform::SystemPath(target_));
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
    Track(temp_, true);
    progress_ = ThreadSaveProgress();
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
        Track(temp_, false);
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
    appended_ += size;
    if (progress_ && appended_ - toldAt_ >= (std::uint64_t{1} << 20)) {
        toldAt_ = appended_;
        progress_(appended_);
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
    // On the disk before the rename: a power cut then leaves the older
    // drawing or the new one, never an empty or partial file in its place.
    bool ok = platform::FlushToDisk(file_);
    int err = errno;
    ok = (std::fclose(file_) == 0) && ok;
    if (!err) err = errno;
    file_ = nullptr;
    if (!ok) {
        Discard();
        throw CadError("cannot write " + target_ + ": " + ErrorText(err ? err : EIO));
    }
    if (const std::string failed = platform::ReplaceDurably(temp_, target_); !failed.empty()) {
        Discard();
        throw CadError("cannot replace " + target_ + ": " + failed);
    }
    Track(temp_, false);
    temp_.clear();
    committed_ = true;
}

} // namespace ostrel::cad
