#pragma once
// Frames the objects of the objects section. Each object is encoded in place
// at the end of a buffer: a two-byte size placeholder, then type, a
// placeholder for the data size in bits, its own handle, its extended data,
// the object's data and handle streams; End() fills in the sizes (opening
// two more bytes for the rare object of 32 KB or more) and appends the CRC.
// Finished objects are handed on in pieces; the stream remembers where each
// handle went, for the object map.
#include <cstdint>
#include <functional>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/bit_writer.h"
#include "cad/dwg/dwg_object_places.h"

namespace ostrel::cad::dwg {

class ObjectStream {
public:
    using Flush = std::function<void(const std::uint8_t*, std::size_t)>;

    // `baseOffset` is the file address of the section's first byte. Finished
    // objects go to `flush` whenever `chunk` bytes of them are waiting.
    ObjectStream(std::uint64_t baseOffset, Flush flush, std::size_t chunk = 256u << 10);

    // The release's object framing. R2004 and later: objects say they have no
    // extension dictionary with a bit instead of a null handle, entities keep
    // no neighbour links, colours of records are written in full. R2007 and
    // later: texts in a string stream at the end of the object's data. R2010
    // and later: the type as a 2-bit-prefixed value, the handle stream's size
    // before the object instead of the data size in it.
    void SetRelease(Release release);
    Release WrittenRelease() const { return release_; }
    bool R2004() const { return release_ >= Release::R2004; }
    bool R2007() const { return release_ >= Release::R2007; }
    bool R2010() const { return release_ >= Release::R2010; }
    bool R2013() const { return release_ >= Release::R2013; }
    bool R2018() const { return release_ >= Release::R2018; }

    // Starts an object and writes the common start; `eed`, where given, is
    // extended data of one application (its APPID record's handle and the
    // items' bytes).
    struct ExtendedData {
        Handle app;
        std::vector<std::uint8_t> bytes;
    };
    BitWriter& Begin(std::int16_t type, Handle handle, const ExtendedData* eed = nullptr);
    // Marks where the handle stream begins (after the last data field).
    void StartHandles();
    // Finishes the object: sizes, padding and CRC.
    void End();
    // Hands over the objects still waiting.
    void Finish();

    // Bytes of the section so far.
    std::uint64_t Size() const { return flushed_ + out_.ByteSize(); }
    ObjectPlaces& Places() { return places_; }

private:
    BitWriter out_;
    std::uint64_t base_;
    Flush flush_;
    std::size_t chunk_;
    std::uint64_t flushed_ = 0;         // bytes already handed over
    std::size_t start_ = 0;             // byte of the size field
    std::size_t bodyStart_ = 0;         // bit where the type begins
    std::size_t sizeFieldPos_ = 0;      // bit of the data-size field
    std::size_t handleStart_ = 0;       // bit where the handle stream begins
    bool handlesMarked_ = false;
    Release release_ = Release::R2000;
    bool stringStream_ = false;         // texts in a string stream (the release's traits)
    bool typeBitPair_ = false;          // type 2-bit-prefixed, handle-stream size before the object
    BitWriter text_;                    // the object's string stream (R2007 and later)
    std::vector<std::uint8_t> handleSize_;  // the handle stream's size as MC, reused (R2010 and later)
    Handle handle_ = 0;
    ObjectPlaces places_;
};

} // namespace ostrel::cad::dwg
