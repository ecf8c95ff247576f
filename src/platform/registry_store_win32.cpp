// The registry store on Windows: HKEY_CURRENT_USER itself, through
// RegOpenKeyA, RegCreateKeyExA and RegQueryValueExA.
#include <windows.h>

#include <vector>

#include "platform/registry_store.h"

namespace ostrel::platform {

namespace {

// Query, set, create subkey, enumerate, notify, create link.
constexpr REGSAM kCreateAccess = 0x3F;

std::string KeyPath(std::string_view path) {
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::string(path);
}

class Win32Registry final : public RegistryStore {
public:
    bool CreateKey(std::string_view path) override {
        const std::string key = KeyPath(path);
        if (key.empty()) return false;
        // The first component (Software) is opened, the rest created below it.
        const std::size_t split = key.find('\\');
        const std::string top = key.substr(0, split);
        const std::string rest = split == std::string::npos ? std::string() : key.substr(split + 1);
        HKEY topKey = nullptr;
        if (rest.empty()) {
            if (RegCreateKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kCreateAccess,
                                nullptr, &topKey, nullptr) != ERROR_SUCCESS)
                return false;
            RegCloseKey(topKey);
            return true;
        }
        if (RegOpenKeyA(HKEY_CURRENT_USER, top.c_str(), &topKey) != ERROR_SUCCESS) return false;
        HKEY created = nullptr;
        LONG rc = RegCreateKeyExA(topKey, rest.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kCreateAccess, nullptr,
                                  &created, nullptr);
        if (rc == ERROR_SUCCESS) RegCloseKey(created);
        RegCloseKey(topKey);
        return rc == ERROR_SUCCESS;
    }

    std::optional<std::string> QueryValue(std::string_view path, std::string_view name,
                                          std::size_t bufferSize) override {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, KeyPath(path).c_str(), &key) != ERROR_SUCCESS) return std::nullopt;
        std::vector<char> buffer(bufferSize + 1, '\0');
        DWORD size = static_cast<DWORD>(bufferSize);
        DWORD type = 0;
        const std::string valueName(name);
        LONG rc = RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                   &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return std::nullopt;
        return std::string(buffer.data(), size);
    }

    bool SetValue(std::string_view path, std::string_view name, std::string_view data) override {
        if (!CreateKey(path)) return false;
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_CURRENT_USER, KeyPath(path).c_str(), &key) != ERROR_SUCCESS) return false;
        const std::string valueName(name), text(data);
        const LONG rc = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }

    std::string Location() const override { return "HKEY_CURRENT_USER (the Windows registry)"; }

    // The system keeps the registry: nothing is cached here.
    void Revalidate() override {}
};

} // namespace

RegistryStore& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

} // namespace ostrel::platform
