// Placeholder: POLY and POLY3D records arrive with their own change.
#include "convert/run.h"

namespace ostrel {
void ConversionRun::AddPolylineRecord(std::string_view& line, ExportFile&, bool) { line = {}; }
std::string_view ConversionRun::ReadContinuation(ExportFile&, std::string_view, const Point3D&) { return {}; }
} // namespace ostrel
