#include "tools/init/settings_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/registry_store.h"
#include "tools/init/settings_texts.h"

namespace ostrel::cli {

namespace fs = std::filesystem;

namespace {

// The user's configuration folder: %APPDATA%\ostrel, $XDG_CONFIG_HOME/ostrel or ~/.config/ostrel.
fs::path ConfigurationFolder() {
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); appData && *appData) return fs::path(appData) / "ostrel";
#else
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return fs::path(xdg) / "ostrel";
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config" / "ostrel";
#endif
    return {};
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    return static_cast<bool>(f);
}

} // namespace

int WriteSettingsFiles(const InitOptions& options) {
    fs::path folder = options.folder.empty() ? ConfigurationFolder() : fs::path(options.folder);
    if (folder.empty()) {
        std::fprintf(stderr, "error: no configuration folder (HOME is not set): give one, ostrel init DIR\n");
        return 1;
    }
    std::error_code ec;
    folder = fs::absolute(folder, ec).lexically_normal();
    const fs::path user = folder / "user.ini", main = folder / "settings.ini", styles = folder / "styles" / "style.lin";
    const std::vector<std::pair<fs::path, std::string>> files = {
        {user, UserSettingsText(main.string())}, {main, MainSettingsText()}, {styles, StyleFileText()}};
    bool refused = false;
    for (const auto& [path, text] : files)
        if (!options.force && fs::exists(path, ec)) {
            std::fprintf(stderr, "error: %s exists; ostrel init --force replaces it\n", path.string().c_str());
            refused = true;
        }
    if (refused) return 1;
    for (const auto& [path, text] : files) {
        if (!WriteText(path, text)) {
            std::fprintf(stderr, "error: cannot write %s\n", path.string().c_str());
            return 1;
        }
        std::printf("wrote %s\n", path.string().c_str());
    }
    auto& registry = platform::SystemRegistry();
    if (options.registerUser) {
        if (!registry.SetValue("Software\\kestrelworks\\talvero", "userini", user.string())) {
            std::fprintf(stderr, "error: cannot record %s in the registry store %s\n", user.string().c_str(),
                         registry.Location().c_str());
            return 1;
        }
        std::printf("recorded %s as userini in %s\n", user.string().c_str(), registry.Location().c_str());
    }
    std::printf("\nEdit %s: its [EXPORT] section chooses the releases written, [LAYERS] and [COLORTABLE]\n"
                "map the export's layers and colours; %s lists the linetypes polylines pick by number.\n",
                main.string().c_str(), styles.string().c_str());
    if (!options.registerUser)
        std::printf("Convert with --user-settings %s (it was not recorded in the registry store).\n",
                    user.string().c_str());
    return 0;
}

} // namespace ostrel::cli
