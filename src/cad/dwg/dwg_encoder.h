#pragma once
// Builds an R2000 (AC1015) DWG file from a drawing, handing its bytes over
// in file order as they are made: the objects section goes out in pieces of
// a few megabytes, so a drawing of millions of entities never has its whole
// file in memory. The file header, whose section addresses are known only at
// the end, goes out first as a placeholder and is patched last.
#include <cstdint>
#include <functional>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

struct DwgSink {
    // Appends bytes to the file.
    std::function<void(const std::uint8_t*, std::size_t)> write;
    // Overwrites bytes already appended, from `offset` on.
    std::function<void(std::size_t offset, const std::uint8_t*, std::size_t)> patch;
};

// Every object of the drawing into the stream, in file order (tables, block
// headers, block contents, non-graphic objects), then the handles checked
// against the handle seed. Every release's writer calls it. Returns where
// the objects went.
ObjectPlaces& EncodeEveryObject(ObjectStream& stream, const EncodeContext& c);

// The drawing must be normalised (NormalizeForSave); it is left as it is.
// The VX record of each VIEWPORT entity takes a handle from the drawing's
// seed on. Throws CadError on references the
// format cannot hold; some bytes may have been handed over by then.
void EncodeDwg(const Drawing& d, const DwgSink& sink);
// The whole file in memory.
std::vector<std::uint8_t> EncodeDwg(const Drawing& d);

} // namespace ostrel::cad::dwg
