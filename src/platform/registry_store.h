#pragma once
// The registry keys and values the settings use, under HKEY_CURRENT_USER.
// On Windows the system registry; elsewhere a text file in INI form whose
// sections are key paths ([Software\kestrelworks\talvero]) holding
// name=data lines.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::platform {

class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // Creates HKEY_CURRENT_USER\path, or opens it when it exists (a trailing
    // "\" is allowed). False when it can be neither.
    virtual bool CreateKey(std::string_view path) = 0;
    // Queries value name of HKEY_CURRENT_USER\path into a buffer of
    // bufferSize bytes: the bytes received, a text's terminating NUL
    // included. nullopt when the key or the value is missing or the data
    // does not fit.
    virtual std::optional<std::string> QueryValue(std::string_view path, std::string_view name,
                                                  std::size_t bufferSize) = 0;
    // Sets value name of HKEY_CURRENT_USER\path to the text data, creating
    // the key when needed (for `ostrel init`; the library only reads values).
    virtual bool SetValue(std::string_view path, std::string_view name, std::string_view data) = 0;
    // Where the store lives, in words for help texts (the file on POSIX).
    virtual std::string Location() const = 0;
    // Notices changes made by others to what the store keeps cached.
    virtual void Revalidate() = 0;
};

RegistryStore& SystemRegistry();

// The library's file name without its extension, as its messages name it.
std::string LibraryFileStem();

} // namespace ostrel::platform
