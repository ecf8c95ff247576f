#pragma once
// Decodes one object of the objects section (size, CRC, common data, the
// object's own data and handle streams) into DecodedObjects. Unknown object
// types are skipped; damaged objects end in CadError.
#include <cstdint>
#include <string>
#include <vector>

#include "cad/dwg/dwg_decoded.h"
#include "cad/dwg/dwg_section_reader.h"

namespace ostrel::cad::dwg {

struct ObjectSource {
    const std::uint8_t* file;
    std::size_t fileSize;
    std::vector<DwgClass> classNames;       // the classes, by number - 500
    Release release = Release::R2000;       // the objects' framing and fields
    bool checkCrc = true;
};

void DecodeObject(const ObjectSource& src, std::uint64_t offset, Handle mapHandle, DecodedObjects& out);

} // namespace ostrel::cad::dwg
