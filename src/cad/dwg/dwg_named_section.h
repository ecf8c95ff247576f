#pragma once
// One named section of a DWG of R2004 and later ("AcDb:Header",
// "AcDb:AcDbObjects", ...), as the object encoder gives it and the page
// containers (R2004 family, R2007) lay it out in the file or read it back.
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::cad::dwg {

struct NamedSection {
    std::string name;                 // "AcDb:Header", "AcDb:Classes", ...
    std::vector<std::uint8_t> data;   // the section's bytes, uncompressed
    bool compressed = true;           // stored compressed (the container may still store it plain)
    bool encrypted = false;           // R2004's encrypted sections (AcDb:SummaryInfo, ...) where used
};

} // namespace ostrel::cad::dwg
