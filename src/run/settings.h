#pragma once
// Settings: profile (INI) files and the registry, as the conversion reads them.
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

class Prompter;

// Per thread: the main settings file and the registry key path in use.
std::string& SettingsFile();
std::string& RegistryKeyPath();

// An empty file argument means SettingsFile(), and the argument receives it.
std::string GetINIValue(std::string_view section, std::string_view key, std::string& file);
std::string GetINIValue(std::string_view section, std::string_view key);   // SettingsFile()
void WriteINIValue(std::string_view section, std::string_view key, std::string_view value, std::string& file);
void WriteINIValue(std::string_view section, std::string_view key, std::string_view value);
// The section's key=value lines, each ended by NUL, padded with NUL to 10240 characters.
std::string GetINISection(std::string_view section, std::string& file);
std::string GetINISection(std::string_view section);

void EnsureRegistryKey(std::string_view word, bool showErrors, Prompter& prompter);
std::string GetRegistryValue(std::string_view name);

// Shows, once each, the settings files that were refused (not a regular
// file, too large) and read as empty.
void ReportRefusedSettingsFiles(Prompter& prompter);

// A settings number: the lenient scan, then the nearest 16-bit integer, halves to even.
std::int16_t SettingsNumber(std::string_view value);

// Files cached by the settings layer are checked once for outside changes
// (called at the start of each conversion call, not per record).
void RevalidateSettingsCache();

// A number that changes whenever the settings may have changed: at each
// revalidation and at each write through this layer. Lookups remembered
// under one number stay valid while it holds.
std::uint64_t SettingsGeneration();

} // namespace ostrel
