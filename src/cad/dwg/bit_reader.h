#pragma once
// Reads the bit-coded values of DWG data streams. Every read is checked
// against the end of the stream: running past it throws CadError naming
// what was being read, so damaged files end in an error, never in a read
// outside the buffer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

struct HandleRef {
    std::uint8_t code = 0;
    Handle value = 0;       // as stored (before resolving relative codes)
    // The absolute handle, resolving the relative codes 6, 8, 0xA and 0xC
    // against the referencing object's own handle.
    Handle Resolve(Handle self) const;
};

class BitReader {
public:
    // Reads the bytes [data, data + size). `what` names the stream in errors.
    BitReader(const std::uint8_t* data, std::size_t size, const char* what);

    std::size_t BitPosition() const { return pos_; }
    std::size_t BitLimit() const { return limit_; }
    std::size_t BitsLeft() const { return limit_ - pos_; }
    void SetBitPosition(std::size_t pos);
    // Restricts reading to the first `bits` bits (a part of the stream).
    void SetBitLimit(std::size_t bits);
    // Makes this reader the string stream of data ending at bit `endBit`
    // (R2007 and later: the strings, their size and a flag end the data); an
    // object without strings leaves nothing to read.
    void SetStrings(std::size_t endBit);
    void AlignToByte() { SetBitPosition((pos_ + 7) & ~std::size_t{7}); }

    std::uint32_t Bits(unsigned n);         // n <= 32
    bool B() { return Bits(1) != 0; }
    unsigned BB() { return Bits(2); }
    unsigned B3();
    std::int16_t BS();
    std::int32_t BL();
    double BD();
    std::uint8_t RC() { return static_cast<std::uint8_t>(Bits(8)); }
    std::uint16_t RS();
    std::uint32_t RL();
    double RD();
    HandleRef H();
    // Text: a bit-short length and code-page bytes, or (with a `text` stream
    // set, R2007 and later) UTF-16 read from that stream, as Windows-1252
    // bytes ("\U+XXXX" for a character the code page lacks).
    std::string TV();
    std::string TU();
    std::uint64_t BLL();
    // Where set, TV and H read from these streams (R2007 and later).
    BitReader* text = nullptr;
    BitReader* handles = nullptr;
    // The colour index of a CMC value (R2004 and later: its colour value,
    // flags and names are read past).
    std::int16_t CMC();
    bool fullColour = false;                // R2004 and later
    Vec3 BE();
    double BT();
    double DD(double defaultValue);
    Vec3 BD3() { Vec3 p; p.x = BD(); p.y = BD(); p.z = BD(); return p; }
    void Skip(std::size_t bits);

    // Throws unless `count` items of at least `minBits` each can still be read:
    // guards counts read from the file before anything is reserved for them.
    void RequireItems(std::uint64_t count, unsigned minBits, const char* what) const;

    [[noreturn]] void Fail(const std::string& message) const;

private:
    const std::uint8_t* data_;
    std::size_t limit_;
    std::size_t pos_ = 0;
    const char* what_;
};

// Byte-aligned modular decodings; `pos` advances. Throw CadError past `size`.
std::uint64_t ReadModularChar(const std::uint8_t* data, std::size_t size, std::size_t& pos);
std::int64_t ReadSignedModularChar(const std::uint8_t* data, std::size_t size, std::size_t& pos);
std::uint32_t ReadModularShort(const std::uint8_t* data, std::size_t size, std::size_t& pos);

} // namespace ostrel::cad::dwg
