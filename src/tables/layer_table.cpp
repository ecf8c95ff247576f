// Placeholder: layer naming and creation arrive with their own change.
#include "convert/run.h"

namespace ostrel {
bool ConversionRun::MapLayerName(std::string&) { return false; }
void ConversionRun::LoadLayerWildcards() { LayerWildcardCount = 0; }
void ConversionRun::MakeLayer(std::string& name, std::int32_t, std::int16_t, std::int32_t, std::int16_t) {
    if (name.empty()) name = "0";
}
void ConversionRun::ResolveEntityLayer(std::string&, std::int32_t, std::int32_t, std::int16_t) {}
} // namespace ostrel
