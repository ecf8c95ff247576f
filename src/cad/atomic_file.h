#pragma once
// A file written in one piece: the bytes go to a temporary file in the
// target's folder, which is renamed over the target only by Commit(). A save
// that fails, or an AtomicFile destroyed without Commit(), leaves an earlier
// file at the target untouched and removes the temporary. The temporary is
// on the disk before the rename, and the rename after it. Its name holds
// the process id: a later save to the same target removes the temporaries
// of processes that no longer run.
//
// Appended bytes are written behind the caller (see write_behind.h): Write
// copies them and returns, a thread hands them to the system. A failure
// shows at a later Write, at WriteAt or at Commit.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace ostrel::cad {

class WriteBehind;

// Removes the temporary files of every save of this process still under
// way (an interrupted run, just before it ends).
void RemoveUnfinishedSaves() noexcept;

// Told the bytes appended so far, every megabyte or so, by the saves that
// this thread starts while it is set (empty: none).
using SaveProgress = std::function<void(std::uint64_t bytesWritten)>;
void SetSaveProgress(SaveProgress progress);

class AtomicFile {
public:
    // Creates the temporary file. Throws CadError naming the folder when it
    // cannot be created (missing folder, no permission, ...).
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends bytes. Throws CadError when the system refuses them (disk full).
    void Write(const char* data, std::size_t size);
    // Overwrites bytes written before, from `offset` on (offset + size must
    // not pass the end); later writes append again. For formats whose
    // header is known only once the rest has been written.
    void WriteAt(std::uint64_t offset, const char* data, std::size_t size);
    // Flushes, closes and renames the temporary over the target. Throws
    // CadError (and removes the temporary) when any of these fails.
    void Commit();

    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    void Discard() noexcept;
    void WriteNow(const char* data, std::size_t size);   // on the writing thread
    void DrainOrDiscard();   // everything written reaches the file, or the save is given up

    std::unique_ptr<WriteBehind> behind_;
    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
    SaveProgress progress_;
    std::uint64_t appended_ = 0, toldAt_ = 0;
};

} // namespace ostrel::cad
