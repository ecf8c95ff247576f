// The registry store on POSIX: one INI-form file, found through
// $OSTREL_REGISTRY, else $XDG_CONFIG_HOME/ostrel/registry, else
// ~/.config/ostrel/registry. Key paths are sections, value names keys; both
// match without regard to case. The file is read through the shared INI
// cache, so the settings' revalidation also covers it.
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "platform/ini_file_cache.h"
#include "platform/registry_store.h"

namespace ostrel::platform {

namespace {

std::string Environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// The store's file, decided anew on every use (the environment may change
// between conversions).
std::string RegistryFile() {
    std::string path = Environment("OSTREL_REGISTRY");
    if (!path.empty()) return path;
    path = Environment("XDG_CONFIG_HOME");
    if (!path.empty()) return path + "/ostrel/registry";
    path = HomeFolder();
    if (!path.empty()) return path + "/.config/ostrel/registry";
    return {};
}

std::string_view KeyPath(std::string_view path) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return path;
}

class PosixRegistry final : public RegistryStore {
public:
    bool CreateKey(std::string_view path) override {
        const std::string file = RegistryFile();
        if (file.empty()) return false;
        const std::string_view key = KeyPath(path);
        if (key.empty()) return false;
        return SharedIniFiles().Change(file, true, [&](IniDocument& doc) { return doc.AddSection(key); });
    }

    std::optional<std::string> QueryValue(std::string_view path, std::string_view name,
                                          std::size_t bufferSize) override {
        const std::string file = RegistryFile();
        if (file.empty()) return std::nullopt;
        return SharedIniFiles().Read(file, [&](const IniDocument& doc) -> std::optional<std::string> {
            const auto value = doc.Find(KeyPath(path), name);
            if (!value) return std::nullopt;
            // Text data is stored with its terminating NUL.
            std::string data(*value);
            data.push_back('\0');
            if (data.size() > bufferSize) return std::nullopt;
            return data;
        });
    }

    bool SetValue(std::string_view path, std::string_view name, std::string_view data) override {
        const std::string file = RegistryFile();
        const std::string_view key = KeyPath(path);
        if (file.empty() || key.empty()) return false;
        return SharedIniFiles().Change(file, true, [&](IniDocument& doc) { return doc.Set(key, name, data); });
    }

    std::string Location() const override { return RegistryFile(); }

    // The file sits in the cache shared with the profile files, whose
    // revalidation already looks at it.
    void Revalidate() override {}
};

} // namespace

RegistryStore& SystemRegistry() {
    static PosixRegistry registry;
    return registry;
}

} // namespace ostrel::platform
