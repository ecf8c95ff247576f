// Placeholder: the symbol library arrives with its own change.
#include "convert/record_reader.h"
#include "convert/run.h"

namespace ostrel {
void ConversionRun::LoadSymbolLibrary(ExportFile& file) {
    while (!file.AtEnd()) file.ReadLine();
}
} // namespace ostrel
