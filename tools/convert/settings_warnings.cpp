#include "tools/convert/settings_warnings.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/profile_files.h"
#include "platform/registry_store.h"
#include "platform/system_path.h"

namespace ostrel::cli {

namespace fs = std::filesystem;

namespace {

std::string RegistryValue(const char* word) {
    auto data = platform::SystemRegistry().QueryValue(std::string("Software\\kestrelworks\\") + word, "userini", 2048);
    if (!data || data->empty()) return {};
    data->pop_back();
    return *data;
}

bool Missing(const std::string& path) {
    std::error_code ec;
    return !path.empty() && !fs::exists(platform::SystemPath(path), ec);
}

} // namespace

std::vector<std::string> MissingSettingsWarnings(const std::string& userSettings) {
    std::vector<std::string> warnings;
    std::string user = userSettings;
    if (user.empty()) user = RegistryValue("talvero");
    if (user.empty()) user = RegistryValue("office");
    if (Missing(user)) {
        warnings.push_back("user settings file " + user + " not found; converting with defaults");
        return warnings;
    }
    if (user.empty()) return warnings;
    auto& files = platform::SystemProfileFiles();
    files.SetRelativeFolder({});
    const std::string main = files.ReadString("OPTION", "txtDWGoverride", user, 2048);
    if (main.empty()) return warnings;
    // Where the conversion will look for it: the profile layer's own rule.
    files.SetRelativeFolder(fs::path(user).parent_path().string());
    const std::string located = files.LocatedFile(main);
    files.SetRelativeFolder({});
    if (Missing(located))
        warnings.push_back("main settings file " + located + " not found; converting with defaults");
    return warnings;
}

bool NoUserSettings(const std::string& userSettings) {
    return userSettings.empty() && RegistryValue("talvero").empty() && RegistryValue("office").empty();
}

std::string RegistryStoreNote() {
    const std::string store = platform::SystemRegistry().Location();
    std::string why;
    std::error_code ec;
#ifdef _WIN32
    why = "the system refused it";
#else
    if (store.empty()) {
        why = "no file is named for it (set OSTREL_REGISTRY, XDG_CONFIG_HOME or HOME)";
    } else if (fs::exists(store, ec) && !fs::is_regular_file(store, ec)) {
        why = "it is not a regular file";
    } else {
        const fs::path folder = fs::path(store).parent_path();
        errno = 0;
        if (!folder.empty() && !fs::is_directory(folder, ec) && !fs::create_directories(folder, ec) && ec) {
            why = "its folder " + folder.string() + " cannot be made (" + ec.message() + ")";
        } else if (std::FILE* f = std::fopen(store.c_str(), "ab")) {
            std::fclose(f);
            why = "the write was refused";
        } else {
            why = std::generic_category().message(errno ? errno : EACCES);
        }
    }
#endif
    return "the registry store " + (store.empty() ? std::string("(none)") : store) + " could not be written: " + why;
}

} // namespace ostrel::cli
