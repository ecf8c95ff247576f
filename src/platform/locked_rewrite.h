#pragma once
// A read-modify-write of a small text file that other processes may be
// changing at the same time (the registry store, the settings write-back):
// the file is locked against the other writers for the whole exchange, read
// afresh under the lock, and replaced in one step (a new file renamed over
// it), so a reader sees the old contents or the new, never a half-written
// file, and no writer undoes another's change.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace ostrel::platform {

// edit(current contents) -> the new contents, or nullopt to leave the file
// as it is. A missing file is created (empty) first; createFolders makes its
// missing parent folders. False when the file could not be locked, read
// (not a regular file, larger than maxBytes, not writable) or replaced.
bool RewriteFileLocked(const std::string& path, bool createFolders, std::size_t maxBytes,
                       const std::function<std::optional<std::string>(std::string current)>& edit);

} // namespace ostrel::platform
