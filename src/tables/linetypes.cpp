// Placeholder: linetypes arrive with their own change.
#include "convert/run.h"

namespace ostrel {
std::string ConversionRun::StyleFileLinetypeName(std::int16_t) { return {}; }
std::string ConversionRun::MakeLinetype(std::int32_t, std::int16_t) { return {}; }
} // namespace ostrel
