// Export layer names rewritten through the LAYERS settings: the exact name,
// the name with "*", its first word with "*", then the "*pattern" entries.
#include <string>
#include <string_view>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"

namespace ostrel {

namespace {

// Containment as the pattern entries use it: an empty name contains nothing,
// an empty pattern is contained in every other name.
bool Contains(std::string_view name, std::string_view pattern) {
    return !name.empty() && name.find(pattern) != std::string_view::npos;
}

// The LAYERS value of a key; empty when there is none.
std::string LayerSetting(std::string_view key) { return GetINIValue("LAYERS", key); }

} // namespace

void ConversionRun::LoadLayerWildcards() {
    const std::string section = GetINISection("LAYERS");
    LayerWildcards.clear();
    LayerWildcardCount = 0;
    LayerMappings.clear();   // remembered under the wildcards before
    std::size_t pos = 0;
    for (;;) {
        const std::size_t nul = section.find('\0', pos);
        if (nul == std::string::npos || nul == pos) break;   // an empty entry ends the list
        if (section[pos] == '*') {
            LayerWildcards.emplace_back(section, pos + 1, nul - pos - 1);
            ++LayerWildcardCount;
        }
        pos = nul + 1;
    }
}

bool ConversionRun::MapLayerName(std::string& name) {
    if (LayerWildcardCount == -1) LoadLayerWildcards();
    ForgetStaleSettings();
    if (auto known = LayerMappings.find(std::string_view(name)); known != LayerMappings.end()) {
        if (known->second.mapped) name.assign(known->second.name);
        return known->second.mapped;
    }
    const std::string given = name;
    const bool mapped = MapLayerNameFromSettings(name);
    LayerMappings.emplace(given, LayerMapping{mapped, mapped ? name : std::string()});
    return mapped;
}

bool ConversionRun::MapLayerNameFromSettings(std::string& name) {

    std::string value = LayerSetting(name);
    if (value.empty()) {
        std::string& key = LayerKey;
        key.assign(name).push_back('*');
        value = LayerSetting(key);
        if (value.empty()) {
            const std::size_t dash = name.find('-');
            if (dash != std::string::npos) {
                key.assign(name, 0, dash).push_back('*');
                value = LayerSetting(key);
            }
        }
    }
    if (!value.empty()) {
        name.assign(value);
        return true;
    }

    for (const std::string& entry : LayerWildcards) {
        if (Contains(name, GetField(0, entry, "="))) {
            name = GetField(1, entry, "=");
            return true;
        }
    }
    return false;
}

} // namespace ostrel
