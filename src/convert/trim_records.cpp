// Placeholder: TRIM / TRIMEND records and the boundary scan arrive with their own change.
#include "convert/record_reader.h"
#include "convert/run.h"

namespace ostrel {
void ConversionRun::ReadTrimRecord(std::string_view) {}
void ConversionRun::ScanBoundary(ExportFile& file) { file.Seek(1); }
} // namespace ostrel
