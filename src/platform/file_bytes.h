#pragma once
// Whole-file reads and writes with the failure described the way the
// conversion's messages describe it ("File not found", "Permission denied").
#include <cstddef>
#include <string>

namespace ostrel::platform {

// Reads the whole file into bytes. On failure returns false and sets reason.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Reads a file that must be a regular file of at most maxBytes bytes (a
// settings file: a FIFO or a device would hang the read or fill memory).
// On failure returns false and sets reason ("not a regular file", "larger
// than 16 MB", or why it could not be read); refused tells the first two.
bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& reason,
                     bool& refused);

// Replaces the file's contents with bytes (creating the file). When
// createFolders is set, missing parent folders are made first.
bool WriteWholeFile(const std::string& path, const std::string& bytes, bool createFolders);

} // namespace ostrel::platform
