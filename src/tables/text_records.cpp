// Placeholder: TEXT and TEXT3D records arrive with their own change.
#include "convert/run.h"

namespace ostrel {
void ConversionRun::AddTextRecord(std::string_view, bool) {}
} // namespace ostrel
