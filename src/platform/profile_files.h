#pragma once
// The profile-file functions the settings use. On Windows these are the
// system's own (GetPrivateProfileStringA and friends); elsewhere our own
// implementation of the same rules over cached INI files.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::platform {

class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;
    // The value of key in section, with an empty default, as copied into a
    // buffer of bufferSize characters: at most bufferSize - 1 of them. Quotes
    // around the whole value are dropped. "" when file, section or key is missing.
    virtual std::string ReadString(std::string_view section, std::string_view key, const std::string& file,
                                   std::size_t bufferSize) = 0;
    // Writes key=value into section, creating file, section or key as needed.
    virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                             const std::string& file) = 0;
    // The whole section into a buffer of bufferSize characters: each entry as
    // "key=value" ended by NUL, the rest NUL. When the entries do not fit,
    // the last one is cut so that the buffer ends with two NULs.
    virtual std::string ReadSection(std::string_view section, const std::string& file, std::size_t bufferSize) = 0;
    // Notices files changed by someone else since they were read.
    virtual void Revalidate() = 0;
    // The files refused since the last call (a FIFO, a device, a file over
    // 16 MB), each as "path: reason"; they read as empty.
    virtual std::vector<std::string> TakeRefusedFiles() = 0;
    // Where this thread's later calls look for a file named by a relative
    // path: in `folder` (empty: the current folder). Ours on POSIX only;
    // Windows' profile functions keep their own rule (the Windows folder).
    virtual void SetRelativeFolder(std::string folder) = 0;
    virtual std::string GetRelativeFolder() = 0;
    // The file this thread's calls would open for `file` (the rule above).
    virtual std::string LocatedFile(const std::string& file) = 0;
};

ProfileFiles& SystemProfileFiles();

} // namespace ostrel::platform
