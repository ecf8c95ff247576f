// The colour table: export colour codes to drawing colour indexes through
// the COLORTABLE settings, and the explicit style of one entity.
#include <limits>
#include <string>
#include <string_view>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"
#include "tables/colour_index.h"

namespace ostrel {

namespace {

constexpr std::int32_t kWhiteCode = 16777215;   // FFFFFF: always index 7
constexpr std::int32_t kWhiteIndex = 7;
constexpr std::int32_t kLargestIndex = 255;

} // namespace

std::int32_t ColourCodeField(int n, std::string_view line) { return RoundToInt32(GetNumField(n, line)); }

void ConversionRun::ForgetStaleSettings() {
    const std::uint64_t now = SettingsGeneration();
    if (now == RememberedUnder) return;
    LayerMappings.clear();
    ColourIndexes.clear();
    RememberedUnder = now;
}

std::int32_t ConversionRun::LookupColour(std::int32_t code) {
    ForgetStaleSettings();
    if (auto known = ColourIndexes.find(code); known != ColourIndexes.end()) return known->second;
    const std::int32_t index = LookupColourInSettings(code);
    ColourIndexes.emplace(code, index);
    return index;
}

std::int32_t ConversionRun::LookupColourInSettings(std::int32_t code) {
    const std::string value = GetINIValue("COLORTABLE", std::to_string(code));
    std::int32_t index = RoundToInt32(LeadingNumber(value));
    if (code == kWhiteCode) index = kWhiteIndex;
    if (index == 0) index = code;
    if (index > kLargestIndex) index = kLargestIndex;
    return index;
}

void ConversionRun::ApplyEntityStyle(EntityHeader& header, std::int32_t colourCode, std::int32_t linetypeCode,
                                     std::int16_t styleLine) {
    header.SetEntityColour(NarrowColourIndex(LookupColour(colourCode)));
    if (linetypeCode > 0) header.SetEntityLinetype(MakeLinetype(linetypeCode, styleLine));
}

} // namespace ostrel
