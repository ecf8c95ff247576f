// Placeholder: the settings layer arrives with its own change.
#include "convert/settings.h"

namespace ostrel {
std::string& SettingsFile() { thread_local std::string s; return s; }
std::string& RegistryKeyPath() { thread_local std::string s; return s; }
std::string GetINIValue(std::string_view, std::string_view, std::string&) { return {}; }
std::string GetINIValue(std::string_view s, std::string_view k) { std::string f; return GetINIValue(s, k, f); }
void WriteINIValue(std::string_view, std::string_view, std::string_view, std::string&) {}
void WriteINIValue(std::string_view s, std::string_view k, std::string_view v) { std::string f; WriteINIValue(s, k, v, f); }
std::string GetINISection(std::string_view, std::string&) { return std::string(10240, '\0'); }
std::string GetINISection(std::string_view s) { std::string f; return GetINISection(s, f); }
void EnsureRegistryKey(std::string_view, bool, Prompter&) {}
std::string GetRegistryValue(std::string_view) { return {}; }
std::int16_t SettingsNumber(std::string_view) { return 0; }
void RevalidateSettingsCache() {}
} // namespace ostrel
