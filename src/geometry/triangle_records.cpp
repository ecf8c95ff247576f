// Placeholder: TRI records arrive with their own change.
#include "convert/run.h"

namespace ostrel {
void ConversionRun::AddTriangleRecord(std::string_view) {}
} // namespace ostrel
