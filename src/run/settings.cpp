// Settings: the profile files and registry values the conversion reads,
// through the platform's profile-file and registry functions.
#include "run/settings.h"

#include <atomic>

#include "run/record_reader.h"
#include "ostrel/errors.h"
#include "ostrel/host.h"
#include "platform/profile_files.h"
#include "platform/registry_store.h"

namespace ostrel {

namespace {
// See SettingsGeneration.
std::atomic<std::uint64_t> generation{1};
} // namespace

namespace {

constexpr std::size_t kValueBufferSize = 2048;
constexpr std::size_t kSectionBufferSize = 10240;
constexpr std::size_t kRegistryBufferSize = 2048;

// An empty file argument stands for SettingsFile(), and receives it.
void UseSettingsFileWhenEmpty(std::string& file) {
    if (file.empty()) file = SettingsFile();
}

} // namespace

std::string& SettingsFile() {
    thread_local std::string path;
    return path;
}

std::string& RegistryKeyPath() {
    thread_local std::string path;
    return path;
}

std::string GetINIValue(std::string_view section, std::string_view key, std::string& file) {
    UseSettingsFileWhenEmpty(file);
    if (file.empty()) return {};
    std::string value = platform::SystemProfileFiles().ReadString(section, key, file, kValueBufferSize);
    const auto nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return value;
}

std::string GetINIValue(std::string_view section, std::string_view key) {
    std::string file;
    return GetINIValue(section, key, file);
}

void WriteINIValue(std::string_view section, std::string_view key, std::string_view value, std::string& file) {
    UseSettingsFileWhenEmpty(file);
    if (file.empty()) return;
    // The outcome is not examined: a failed write goes unnoticed.
    platform::SystemProfileFiles().WriteString(section, key, value, file);
    generation.fetch_add(1, std::memory_order_relaxed);
}

void WriteINIValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string file;
    WriteINIValue(section, key, value, file);
}

std::string GetINISection(std::string_view section, std::string& file) {
    UseSettingsFileWhenEmpty(file);
    if (file.empty()) return std::string(kSectionBufferSize, '\0');
    return platform::SystemProfileFiles().ReadSection(section, file, kSectionBufferSize);
}

std::string GetINISection(std::string_view section) {
    std::string file;
    return GetINISection(section, file);
}

void EnsureRegistryKey(std::string_view word, bool showErrors, Prompter& prompter) {
    const std::string company = "Software\\kestrelworks\\";
    RegistryKeyPath() = company + std::string(word);
    auto& registry = platform::SystemRegistry();
    // HKEY_CURRENT_USER\Software always exists; its subkeys are made in turn.
    bool ok = registry.CreateKey(company);
    if (ok) ok = registry.CreateKey(RegistryKeyPath());
    if (!ok && showErrors) {
        prompter.ShowMessage(platform::LibraryFileStem() + ".cRegistry" + "Failed to create registry Key: '" +
                                 "Software\\",
                             MessageIcon::None);
    }
}

void ReportRefusedSettingsFiles(Prompter& prompter) {
    for (const std::string& refused : platform::SystemProfileFiles().TakeRefusedFiles())
        prompter.ShowMessage(std::string("Settings file ignored: ") + refused, MessageIcon::Exclamation);
}

std::string GetRegistryValue(std::string_view name) {
    auto data = platform::SystemRegistry().QueryValue(RegistryKeyPath(), name, kRegistryBufferSize);
    if (!data || data->empty()) return {};
    data->pop_back();   // the terminating NUL
    return *data;
}

std::int16_t SettingsNumber(std::string_view value) {
    try {
        return RoundToInt16(LeadingNumber(value));
    } catch (const ConversionError&) {
        throw ConversionError(ErrorCode::Overflow,
                              "Overflow: the setting \"" + std::string(value) + "\" does not fit a 16-bit integer");
    }
}

std::uint64_t SettingsGeneration() { return generation.load(std::memory_order_relaxed); }

void RevalidateSettingsCache() {
    generation.fetch_add(1, std::memory_order_relaxed);
    platform::SystemProfileFiles().Revalidate();
    platform::SystemRegistry().Revalidate();
}

} // namespace ostrel
