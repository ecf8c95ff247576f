#pragma once
// Frames the objects of the objects section. Each object is encoded in place
// at the end of the section: a two-byte size placeholder, then type, a
// placeholder for the data size in bits, its own handle, no extended data,
// the object's data and handle streams; End() fills in the sizes (opening
// two more bytes for the rare object of 32 KB or more) and appends the CRC.
// The stream remembers where each handle went, for the object map.
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
    // `baseOffset` is the file address of the section's first byte;
    // `expectedBytes` the room to take up front.
    ObjectStream(std::uint64_t baseOffset, std::size_t expectedBytes);

    // Starts an object and writes the common start.
    BitWriter& Begin(std::int16_t type, Handle handle);
    // Marks where the handle stream begins (after the last data field).
    void StartHandles();
    // Finishes the object: sizes, padding and CRC.
    void End();

    std::size_t Size() const { return out_.ByteSize(); }
    std::uint8_t* Data() { return out_.MutableData(); }
    // Hands over the section's bytes.
    std::vector<std::uint8_t> TakeBytes() { return out_.Release(); }
    std::vector<ObjectLocation>& Locations() { return locations_; }

private:
    BitWriter out_;
    std::uint64_t base_;
    std::size_t start_ = 0;             // byte of the size field
    std::size_t bodyStart_ = 0;         // bit where the type begins
    std::size_t sizeFieldPos_ = 0;      // bit of the data-size field
    bool handlesMarked_ = false;
    Handle handle_ = 0;
    std::vector<ObjectLocation> locations_;
};

} // namespace ostrel::cad::dwg
