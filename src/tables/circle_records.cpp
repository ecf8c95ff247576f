// Placeholder: CIRCLE records arrive with their own change.
#include "convert/run.h"

namespace ostrel {
void ConversionRun::AddCircleRecord(std::string_view) {}
} // namespace ostrel
