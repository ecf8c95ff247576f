// Locked rewrites on Windows. A file cannot be renamed over while any
// handle to it is open, so the lock is not taken on the file itself but with
// LockFileEx on a companion file beside it ("<name>.lock", hidden, left in
// place: deleting it would let a waiting writer lock a file that no longer
// has the name). Under that lock the file is read afresh, the new contents
// written to a temporary file in the same folder and moved over it with
// MoveFileExA(MOVEFILE_REPLACE_EXISTING), one rename within the volume.
#include "platform/locked_rewrite.h"
#include "platform/system_path.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace ostrel::platform {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }
    bool Close() {
        const bool ok = !valid() || CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The file the path names, through any symbolic links or junctions: the
// move replaces the file, not the link. The path as given when the system
// cannot tell.
std::string Resolved(HANDLE file, const std::string& path) {
    std::string buffer(MAX_PATH, '\0');
    for (int round = 0; round < 2; ++round) {
        const DWORD n = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return path;
        if (n < buffer.size()) {
            buffer.resize(n);
            // "\\?\C:\..." and "\\?\UNC\server\..." read as the usual spellings
            // where those reach the file as well.
            if (buffer.size() < MAX_PATH && buffer.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + buffer.substr(8);
            if (buffer.size() < MAX_PATH && buffer.rfind("\\\\?\\", 0) == 0 && buffer.size() > 6 &&
                buffer[5] == ':') {
                return buffer.substr(4);
            }
            return buffer;
        }
        buffer.assign(n, '\0');   // n counts the terminating NUL here
    }
    return path;
}

bool ReadAll(HANDLE file, std::size_t maxBytes, std::string& out) {
    out.clear();
    char chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) return false;
        if (n == 0) return true;
        if (out.size() + n > maxBytes) return false;
        out.append(chunk, n);
    }
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD step = left > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!WriteFile(file, bytes.data() + done, step, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

// A new file beside the target, not there before (the CREATE_NEW of a name
// of this process's own), with the target's visible attributes.
Handle CreateTemporary(const std::string& target, DWORD attributes, std::string& name) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    attributes &= kKept;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + "." + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(InterlockedIncrement(&counter)) + ".tmp";
        Handle h(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
        if (h.valid() || GetLastError() != ERROR_FILE_EXISTS) return Handle(h.Release());
    }
    return Handle();
}

// Readers (a scanner, another program's plain open) may hold the target
// without sharing its deletion for a moment: the move is tried again then.
bool MoveOver(const std::string& from, const std::string& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt >= 50) return false;
        Sleep(10);
    }
}

} // namespace

bool RewriteFileLocked(const std::string& path, bool createFolders, std::size_t maxBytes,
                       const std::function<std::optional<std::string>(std::string current)>& edit) {
    if (path.empty()) return false;
    if (createFolders) {
        std::error_code ec;
        const auto parent = SystemPath(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    }
    // The file, created empty when missing; what it is, and where it is.
    std::string target;
    {
        Handle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
        target = Resolved(file.get(), path);
    }

    Handle lockFile(CreateFileA((target + ".lock").c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!lockFile.valid()) return false;
    OVERLAPPED whole{};
    if (!LockFileEx(lockFile.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) return false;
    struct Unlock {
        HANDLE h;
        ~Unlock() {
            OVERLAPPED range{};
            UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &range);
        }
    } unlock{lockFile.get()};

    // Read under the lock: another writer may have replaced the file since.
    std::string current;
    BY_HANDLE_FILE_INFORMATION held{};
    {
        Handle file(CreateFileA(target.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK ||
            !GetFileInformationByHandle(file.get(), &held) ||
            (held.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0 ||
            !ReadAll(file.get(), maxBytes, current)) {
            return false;
        }
    }
    std::optional<std::string> replacement = edit(std::move(current));
    if (!replacement) return true;

    std::string temporary;
    Handle out = CreateTemporary(target, held.dwFileAttributes, temporary);
    if (!out.valid()) return false;
    const bool written = WriteAll(out.get(), *replacement) && FlushFileBuffers(out.get());
    const bool closed = out.Close();
    if (!written || !closed || !MoveOver(temporary, target)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace ostrel::platform
