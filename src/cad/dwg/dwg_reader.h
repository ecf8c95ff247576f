#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// Reads a DWG file into a drawing. Throws CadError on anything it cannot read.
std::unique_ptr<Drawing> ReadDwg(const std::string& path);

namespace dwg {
struct DecodeOptions {
    // The CRCs of the file header, sections, object map pages and objects.
    // Off only where damaged bytes are wanted past them (fuzzing the decoder).
    bool checkCrc = true;
};
// Reads the image of a DWG file held in memory (R2000 to R2018).
std::unique_ptr<Drawing> DecodeDwg(const std::uint8_t* file, std::size_t size, DecodeOptions options = {});
} // namespace dwg

} // namespace ostrel::cad
