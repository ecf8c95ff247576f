#pragma once
// Frames the objects of the objects section. Each object is encoded in place
// at the end of a buffer: a two-byte size placeholder, then type, a
// placeholder for the data size in bits, its own handle, no extended data,
// the object's data and handle streams; End() fills in the sizes (opening
// two more bytes for the rare object of 32 KB or more) and appends the CRC.
// Finished objects are handed on in pieces; the stream remembers where each
// handle went, for the object map.
#include <cstdint>
#include <functional>
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
// Sorts by handle and throws CadError on a missing or repeated handle or one
// not below the handle seed.
void CheckHandles(std::vector<ObjectLocation>& locations, Handle handSeed);

class ObjectStream {
public:
    using Flush = std::function<void(const std::uint8_t*, std::size_t)>;

    // `baseOffset` is the file address of the section's first byte. Finished
    // objects go to `flush` whenever `chunk` bytes of them are waiting.
    ObjectStream(std::uint64_t baseOffset, Flush flush, std::size_t chunk = 256u << 10);

    // R2004 and later: objects say they have no extension dictionary with a
    // bit instead of a null handle, entities keep no neighbour links, and
    // colours of records are written in full.
    void SetR2004(bool on) { r2004_ = on; out_.fullColour = on; }
    bool R2004() const { return r2004_; }

    // Starts an object and writes the common start.
    BitWriter& Begin(std::int16_t type, Handle handle);
    // Marks where the handle stream begins (after the last data field).
    void StartHandles();
    // Finishes the object: sizes, padding and CRC.
    void End();
    // Hands over the objects still waiting.
    void Finish();

    // Bytes of the section so far.
    std::uint64_t Size() const { return flushed_ + out_.ByteSize(); }
    std::vector<ObjectLocation>& Locations() { return locations_; }

private:
    BitWriter out_;
    std::uint64_t base_;
    Flush flush_;
    std::size_t chunk_;
    std::uint64_t flushed_ = 0;         // bytes already handed over
    std::size_t start_ = 0;             // byte of the size field
    std::size_t bodyStart_ = 0;         // bit where the type begins
    std::size_t sizeFieldPos_ = 0;      // bit of the data-size field
    bool handlesMarked_ = false;
    bool r2004_ = false;
    Handle handle_ = 0;
    std::vector<ObjectLocation> locations_;
};

} // namespace ostrel::cad::dwg
