// Placeholder: POINT and SYM records arrive with their own change.
#include "convert/run.h"

namespace ostrel {
void ConversionRun::AddPointRecord(std::string_view) {}
void ConversionRun::AddSymbolRecord(std::string_view) {}
std::string StripBracketed(std::string_view name) { return std::string(name); }
} // namespace ostrel
