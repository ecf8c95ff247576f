// Placeholder: the colour table arrives with its own change.
#include "convert/run.h"

namespace ostrel {
std::int32_t ConversionRun::LookupColour(std::int32_t code) { return code; }
void ConversionRun::ApplyEntityStyle(EntityHeader&, std::int32_t, std::int32_t, std::int16_t) {}
} // namespace ostrel
