#pragma once
// Profile files parsed once and kept until they change. Lookups touch no
// file system once a file is cached; our own writes update the cache, and
// Revalidate() checks every cached file once for changes made by others.
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_stamp.h"
#include "platform/ini_document.h"
#include "platform/locked_rewrite.h"

namespace ostrel::platform {

class IniFileCache {
public:
    // read(const IniDocument&) with the file's contents (an empty document
    // for a missing or unreadable file); returns what read returns.
    template <class Reader>
    auto Read(const std::string& path, Reader&& read) {
        std::lock_guard<std::mutex> lock(mutex_);
        return read(Load(path).doc);
    }

    // edit(IniDocument&) -> true when it changed the document; the file is
    // then replaced. The edit applies to the file as it is on disk at that
    // moment, under a lock that other processes writing it through this
    // cache respect (see RewriteFileLocked). False when the file could not
    // be read or written.
    template <class Editor>
    bool Change(const std::string& path, bool createFolders, Editor&& edit) {
        std::lock_guard<std::mutex> lock(mutex_);
        const FileStamp replaced = StampOf(path);
        std::optional<IniDocument> written;
        const bool ok = RewriteFileLocked(path, createFolders, kMaxFileBytes,
                                          [&](std::string current) -> std::optional<std::string> {
                                              IniDocument doc(std::move(current));
                                              if (!edit(doc)) return std::nullopt;
                                              std::string bytes = doc.bytes();
                                              written = std::move(doc);
                                              return bytes;
                                          });
        if (ok && written) {
            Remember(path, std::move(*written), replaced);
        } else {
            // Unchanged, or in any state now: read it again next time.
            entries_.erase(path);
        }
        return ok;
    }

    // The files refused since the last call, each as "path: reason" (a
    // FIFO, a device, a file over kMaxFileBytes): read as empty.
    std::vector<std::string> TakeRefusals();

    // What a profile file may hold.
    static constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;

    // Forgets every cached file whose stamp changed since it was read.
    void Revalidate();
    // Forgets every cached file.
    void Clear();

private:
    struct Entry {
        FileStamp stamp;
        IniDocument doc;
        bool unreadable = false;   // exists but could not be read
    };
    Entry& Load(const std::string& path);
    // The document just written to path, which replaced the file replaced.
    void Remember(const std::string& path, IniDocument doc, const FileStamp& replaced);

    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::vector<std::string> refusals_;
};

// The process's one cache, shared by the profile files and the registry store.
IniFileCache& SharedIniFiles();

} // namespace ostrel::platform
