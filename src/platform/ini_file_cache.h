#pragma once
// Profile files parsed once and kept until they change. Lookups touch no
// file system once a file is cached; our own writes update the cache, and
// Revalidate() checks every cached file once for changes made by others.
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/file_stamp.h"
#include "platform/ini_document.h"

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
    // then written. False when the file could not be read or written.
    template <class Editor>
    bool Change(const std::string& path, bool createFolders, Editor&& edit) {
        std::lock_guard<std::mutex> lock(mutex_);
        Entry& entry = Load(path);
        if (entry.unreadable) return false;
        IniDocument changed = entry.doc;
        if (!edit(changed)) return true;
        return Store(path, std::move(changed), createFolders);
    }

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
    bool Store(const std::string& path, IniDocument doc, bool createFolders);

    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
};

// The process's one cache, shared by the profile files and the registry store.
IniFileCache& SharedIniFiles();

} // namespace ostrel::platform
