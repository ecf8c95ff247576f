#pragma once
// A file's bytes mapped read-only into memory. Reading a large export this
// way costs no copy and no fresh memory: the pages are the system's file
// cache. The file must not be shortened by another program while it is
// mapped.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace ostrel::platform {

class MappedFile {
public:
    virtual ~MappedFile() = default;
    virtual std::string_view bytes() const = 0;
};

// Maps a regular, non-empty file. Null when the file cannot be mapped (it
// cannot be opened, is empty, is not a regular file, or the system has no
// mapping): the caller reads it the ordinary way, which also describes the
// failure.
std::unique_ptr<MappedFile> MapWholeFile(const std::string& path);

} // namespace ostrel::platform
