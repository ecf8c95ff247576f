// Profile files on Windows: the system's own profile functions. A relative
// path is looked up the way the system does (in the Windows folder).
#include <windows.h>

#include <climits>

#include "platform/profile_files.h"

namespace ostrel::platform {

namespace {

DWORD BufferLength(std::size_t bufferSize) {
    return bufferSize > static_cast<std::size_t>(INT_MAX) ? static_cast<DWORD>(INT_MAX)
                                                          : static_cast<DWORD>(bufferSize);
}

class Win32ProfileFiles final : public ProfileFiles {
public:
    std::string ReadString(std::string_view section, std::string_view key, const std::string& file,
                           std::size_t bufferSize) override {
        if (file.empty() || bufferSize == 0) return {};
        const std::string s(section), k(key);
        std::string buffer(bufferSize, '\0');
        DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer.data(), BufferLength(bufferSize),
                                           file.c_str());
        buffer.resize(n);
        return buffer;
    }

    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& file) override {
        if (file.empty()) return false;
        const std::string s(section), k(key), v(value);
        return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), file.c_str()) != FALSE;
    }

    std::string ReadSection(std::string_view section, const std::string& file, std::size_t bufferSize) override {
        std::string buffer(bufferSize, '\0');
        if (file.empty() || bufferSize == 0) return buffer;
        const std::string s(section);
        GetPrivateProfileSectionA(s.c_str(), buffer.data(), BufferLength(bufferSize), file.c_str());
        return buffer;
    }

    // The system notices changes to profile files itself.
    void Revalidate() override {}
    // The system's profile functions read the files and refuse nothing.
    std::vector<std::string> TakeRefusedFiles() override { return {}; }
    void SetRelativeFolder(std::string) override {}
    std::string GetRelativeFolder() override { return {}; }
    std::string LocatedFile(const std::string& file) override { return file; }
};

} // namespace

ProfileFiles& SystemProfileFiles() {
    static Win32ProfileFiles files;
    return files;
}

} // namespace ostrel::platform
