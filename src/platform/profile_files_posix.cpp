// Profile files on POSIX: the Windows rules over the shared INI cache.
// A relative path is taken from the folder this thread set, else from the
// current folder.
#include <filesystem>

#include "platform/ini_file_cache.h"
#include "platform/profile_files.h"

namespace ostrel::platform {

namespace {

std::string_view WithoutQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string& RelativeFolder() {
    thread_local std::string folder;
    return folder;
}

// The file a path names, a relative one taken from RelativeFolder().
std::string Located(const std::string& file) {
    const std::string& folder = RelativeFolder();
    if (folder.empty() || file.empty() || std::filesystem::path(file).is_absolute()) return file;
    return (std::filesystem::path(folder) / file).string();
}

class PosixProfileFiles final : public ProfileFiles {
public:
    std::string ReadString(std::string_view section, std::string_view key, const std::string& file,
                           std::size_t bufferSize) override {
        if (file.empty() || bufferSize == 0) return {};
        return SharedIniFiles().Read(Located(file), [&](const IniDocument& doc) {
            const auto value = doc.Find(section, key);
            if (!value) return std::string();
            const auto text = WithoutQuotes(*value);
            return std::string(text.substr(0, bufferSize - 1));
        });
    }

    bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& file) override {
        if (file.empty()) return false;
        return SharedIniFiles().Change(Located(file), false,
                                       [&](IniDocument& doc) { return doc.Set(section, key, value); });
    }

    std::string ReadSection(std::string_view section, const std::string& file, std::size_t bufferSize) override {
        std::string buffer;
        buffer.reserve(bufferSize);
        if (!file.empty()) {
            SharedIniFiles().Read(Located(file), [&](const IniDocument& doc) {
                doc.ForEachEntry(section, [&](std::string_view name, std::string_view value, bool hasValue) {
                    buffer.append(name);
                    if (hasValue) buffer.append("=").append(value);
                    buffer.push_back('\0');
                });
                return 0;
            });
        }
        if (bufferSize < 2) return std::string(bufferSize, '\0');
        if (buffer.size() + 1 > bufferSize) {
            // Too long: the last entry that fits is cut, then two NULs end the buffer.
            buffer.resize(bufferSize - 2);
            buffer.append(2, '\0');
        }
        buffer.resize(bufferSize, '\0');
        return buffer;
    }

    void Revalidate() override { SharedIniFiles().Revalidate(); }
    // Also the registry store's file, which shares the cache.
    std::vector<std::string> TakeRefusedFiles() override { return SharedIniFiles().TakeRefusals(); }
    void SetRelativeFolder(std::string folder) override { RelativeFolder() = std::move(folder); }
    std::string GetRelativeFolder() override { return RelativeFolder(); }
    std::string LocatedFile(const std::string& file) override { return Located(file); }
};

} // namespace

ProfileFiles& SystemProfileFiles() {
    static PosixProfileFiles files;
    return files;
}

} // namespace ostrel::platform
