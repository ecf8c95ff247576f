// The cache of parsed profile files.
#include "platform/ini_file_cache.h"

#include <utility>

#include "platform/file_bytes.h"

namespace ostrel::platform {

IniFileCache::Entry& IniFileCache::Load(const std::string& path) {
    auto found = entries_.find(path);
    if (found != entries_.end()) return found->second;
    Entry entry;
    // The stamp is taken before the read, so a change during the read is
    // noticed by the next revalidation.
    entry.stamp = StampOf(path);
    if (entry.stamp.exists) {
        std::string bytes, reason;
        bool refused = false;
        if (ReadRegularFile(path, kMaxFileBytes, bytes, reason, refused)) {
            entry.doc = IniDocument(std::move(bytes));
        } else {
            entry.unreadable = true;
            if (refused) refusals_.push_back(path + ": " + reason);
        }
    }
    return entries_.emplace(path, std::move(entry)).first->second;
}

void IniFileCache::Remember(const std::string& path, IniDocument doc, const FileStamp& replaced) {
    Entry& entry = entries_[path];
    entry.doc = std::move(doc);
    entry.unreadable = false;
    entry.stamp = StampOf(path);
    // The same file cached under another spelling of its path is stale now.
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->first != path && (it->second.stamp.SameFile(entry.stamp) || it->second.stamp.SameFile(replaced))) {
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<std::string> IniFileCache::TakeRefusals() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(refusals_, {});
}

void IniFileCache::Revalidate() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (StampOf(it->first) != it->second.stamp) {
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void IniFileCache::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

IniFileCache& SharedIniFiles() {
    static IniFileCache cache;
    return cache;
}

} // namespace ostrel::platform
