#pragma once
// `ostrel init [DIR]`: a first set of settings files to start from (a user
// settings file, a main settings file with every key the conversion reads,
// commented, and styles/style.lin), recorded in the registry store.
#include <string>

namespace ostrel::cli {

struct InitOptions {
    std::string folder;       // empty: the user's configuration folder
    bool force = false;       // replace files that exist
    bool registerUser = true; // record the user settings file as "userini"
};

// Returns the exit status: 0 written, 1 nothing written.
int WriteSettingsFiles(const InitOptions& options);

} // namespace ostrel::cli
