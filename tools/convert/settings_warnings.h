#pragma once
// What the program tells a user about settings files that are named but
// not there (the library converts with defaults and says nothing), and
// about a registry store that cannot be written.
#include <string>
#include <vector>

namespace ostrel::cli {

// "user settings file X not found; converting with defaults" and the same
// for the main settings file, which a relative name places beside the user
// settings file. userSettings: the file given on the command line, or empty
// for the registry's.
std::vector<std::string> MissingSettingsWarnings(const std::string& userSettings);

// True when no user settings file is named at all (nothing configured yet).
bool NoUserSettings(const std::string& userSettings);

// "the registry store FILE could not be written: why".
std::string RegistryStoreNote();

} // namespace ostrel::cli
