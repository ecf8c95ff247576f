#pragma once
// One named section of a DWG of R2004 and later ("AcDb:Header",
// "AcDb:AcDbObjects", ...), as the object encoder gives it and the page
// containers (R2004 family, R2007) lay it out in the file or read it back.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ostrel::cad::dwg {

using ByteSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

struct NamedSection {
    std::string name;                 // "AcDb:Header", "AcDb:Classes", ...
    std::vector<std::uint8_t> data;   // the section's bytes, uncompressed
    bool compressed = true;           // stored compressed (the container may still store it plain)
    bool encrypted = false;           // R2004's encrypted sections (AcDb:SummaryInfo, ...) where used
    // Set instead of data for a section made while the container writes it
    // (the objects, too large to hold whole, and what depends on them):
    // hands the section's bytes in order to the sink. Sections are made in
    // their order, once each.
    std::function<void(const ByteSink&)> produce;
};

// Makes the data of every section that a producer makes, in order: for a
// container that needs whole sections.
void MakeWhole(std::vector<NamedSection>& sections);

} // namespace ostrel::cad::dwg
