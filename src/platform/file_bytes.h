#pragma once
// Whole-file reads and writes with the failure described the way the
// conversion's messages describe it ("File not found", "Permission denied").
#include <string>

namespace ostrel::platform {

// Reads the whole file into bytes. On failure returns false and sets reason.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Replaces the file's contents with bytes (creating the file). When
// createFolders is set, missing parent folders are made first.
bool WriteWholeFile(const std::string& path, const std::string& bytes, bool createFolders);

} // namespace ostrel::platform
