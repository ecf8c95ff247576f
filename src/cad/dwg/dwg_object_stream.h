#pragma once
// Frames the objects of the objects section: each object is encoded into one
// reusable bit buffer (type, a placeholder for the data size in bits, its own
// handle, no extended data, then the object's data and handle streams) and
// appended to the section as modular-short size, bytes and CRC. The stream
// remembers where each handle went, for the object map.
#include <cstdint>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/bit_writer.h"

namespace ostrel::cad::dwg {

struct ObjectLocation {
    Handle handle;
    std::uint64_t offset;   // file address of the object's size field
};

// Sorts by handle. The objects are written as a few runs of ascending
// handles (tables, blocks, entities, objects), so merging the runs is
// nearly linear where a full sort would not be.
void SortByHandle(std::vector<ObjectLocation>& locations);

class ObjectStream {
public:
    // `out` receives the section bytes; `baseOffset` is the file address of out[0].
    ObjectStream(std::vector<std::uint8_t>& out, std::uint64_t baseOffset);

    // Starts an object: clears the buffer and writes the common start.
    BitWriter& Begin(std::int16_t type, Handle handle);
    // Marks where the handle stream begins (after the last data field).
    void StartHandles();
    // Finishes the object and appends it to the section.
    void End();

    std::vector<ObjectLocation>& Locations() { return locations_; }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t base_;
    BitWriter body_;
    std::size_t sizeFieldPos_ = 0;
    std::size_t handleStart_ = 0;
    bool handlesMarked_ = false;
    Handle handle_ = 0;
    std::vector<std::uint8_t> sizeBytes_;
    std::vector<ObjectLocation> locations_;
};

} // namespace ostrel::cad::dwg
