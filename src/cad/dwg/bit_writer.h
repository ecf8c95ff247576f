#pragma once
// Writes the bit-coded values of DWG data streams, most significant bit
// first. The buffer keeps its capacity across Clear(), so encoding one object
// after another allocates nothing once it has grown to the largest object.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

// Handle reference codes.
enum HandleCode : std::uint8_t {
    kOwnHandle = 0,       // an object's own handle, the header's HANDSEED
    kSoftOwner = 2,
    kHardOwner = 3,
    kSoftPointer = 4,
    kHardPointer = 5,
};

class BitWriter {
public:
    // Empties the stream; the buffer keeps its capacity.
    void Clear();
    std::size_t BitPosition() const { return bits_; }
    std::size_t ByteSize() const { return (bits_ + 7) / 8; }
    // The written bytes, ByteSize() of them (the last one padded with zero bits).
    const std::uint8_t* Data() const { return buf_.data(); }
    std::vector<std::uint8_t> Bytes() const {
        return std::vector<std::uint8_t>(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(ByteSize()));
    }

    // n raw bits of value, n <= 32: ORed into the zeroed buffer through one
    // big-endian 64-bit window.
    void Bits(std::uint32_t value, unsigned n) {
        if (n == 0) return;
        Reserve(n);
        const unsigned offset = static_cast<unsigned>(bits_ & 7);
        const std::uint64_t window = (static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << n) - 1))
                                     << (64 - n - offset);
        std::uint8_t* p = buf_.data() + (bits_ >> 3);
        std::uint64_t cur;
        std::memcpy(&cur, p, 8);
        cur = __builtin_bswap64(__builtin_bswap64(cur) | window);
        std::memcpy(p, &cur, 8);
        bits_ += n;
    }
    // Overwrites n bits (n <= 32) at an earlier bit position.
    void PatchBits(std::size_t bitPos, std::uint32_t value, unsigned n);
    // Overwrites a raw long (little-endian bytes) at an earlier bit position.
    void PatchRL(std::size_t bitPos, std::uint32_t value);
    // Fills the last byte with zero bits.
    void PadToByte() { bits_ = (bits_ + 7) & ~std::size_t{7}; }

    void B(bool v) { Bits(v ? 1u : 0u, 1); }
    void BB(unsigned v) { Bits(v & 3u, 2); }
    void B3(unsigned v);                    // 0, 2, 6 or 7
    void BS(std::int16_t v) {
        if (v == 0) Bits(2, 2);
        else if (v == 256) Bits(3, 2);
        else if (v > 0 && v < 256) Bits(0x100u | static_cast<std::uint32_t>(v), 10);
        else Bits(static_cast<std::uint32_t>(((v & 0xFF) << 8) | ((v >> 8) & 0xFF)), 18);
    }
    void BL(std::int32_t v) {
        if (v == 0) Bits(2, 2);
        else if (v > 0 && v < 256) Bits(0x100u | static_cast<std::uint32_t>(v), 10);
        else { Bits(0, 2); RL(static_cast<std::uint32_t>(v)); }
    }
    void BD(double v) {
        const std::uint64_t u = DoubleBits(v);
        if (u == 0x3FF0000000000000ull) Bits(1, 2);     // 1.0
        else if (u == 0) Bits(2, 2);                    // +0.0 only; -0.0 keeps its sign in full form
        else { Bits(0, 2); RD(v); }
    }
    void RC(std::uint8_t v) { Bits(v, 8); }
    void RS(std::uint16_t v) { Bits(static_cast<std::uint32_t>(((v & 0xFFu) << 8) | (v >> 8)), 16); }
    void RL(std::uint32_t v) { Bits(__builtin_bswap32(v), 32); }
    void RD(double v) {
        const std::uint64_t u = DoubleBits(v);
        Bits(__builtin_bswap32(static_cast<std::uint32_t>(u)), 32);
        Bits(__builtin_bswap32(static_cast<std::uint32_t>(u >> 32)), 32);
    }
    void H(unsigned code, Handle h) {
        if (handles) { handles->H(code, h); return; }
        // code, byte count, then the handle's bytes most significant first:
        // the low count * 8 bits of h, written as one value.
        const unsigned count = h ? (71 - static_cast<unsigned>(__builtin_clzll(h))) / 8 : 0;
        Bits(((code & 0xFu) << 4) | count, 8);
        if (count > 4) {
            Bits(static_cast<std::uint32_t>(h >> 32), (count - 4) * 8);
            Bits(static_cast<std::uint32_t>(h), 32);
        } else if (count > 0) {
            Bits(static_cast<std::uint32_t>(h), count * 8);
        }
    }
    // Text: R2000 and R2004 a bit-short length and the code-page bytes; from
    // R2007 (a `text` stream set) UTF-16 in that stream.
    void TV(std::string_view s) {
        if (text) text->TU(s);
        else TV8(s);
    }
    void TV8(std::string_view s);           // bit-short length, then the code-page bytes
    void TU(std::string_view s);            // bit-short length, then UTF-16 units of the Windows-1252 bytes
    void BLL(std::uint64_t v);              // 3-bit byte count, then the bytes
    // Closes data whose texts went to `strings` (R2007 and later): the
    // strings, their size in bits and a bit saying whether there are any.
    void EndStrings(const BitWriter& strings);
    // The first `bits` bits of another stream, appended.
    void AppendBits(const BitWriter& other, std::size_t bits);
    // R2007 and later keep the texts of an object (and the header's handles)
    // in streams of their own: where set, TV and H write there.
    BitWriter* text = nullptr;
    BitWriter* handles = nullptr;
    // A colour of a table record or the header: R2000 stores the index; R2004
    // and later the index, the colour value (method byte 0xC0 ByLayer, 0xC1
    // ByBlock, 0xC3 an index) and a flag byte for the (absent) names.
    void CMC(std::int16_t colourIndex) {
        BS(colourIndex);
        if (!fullColour) return;
        const std::uint32_t method = colourIndex == 256 ? 0xC0u : colourIndex == 0 ? 0xC1u : 0xC3u;
        BL(static_cast<std::int32_t>((method << 24) | (method == 0xC3u ? static_cast<std::uint32_t>(colourIndex & 0xFF) : 0u)));
        RC(0);
    }
    bool fullColour = false;                // R2004 and later
    void BE(const Vec3& extrusion);
    void BT(double thickness);
    void DD(double v, double defaultValue);
    void BD2(double x, double y) { BD(x); BD(y); }
    void BD3(const Vec3& p) { BD(p.x); BD(p.y); BD(p.z); }
    void RD2(double x, double y) { RD(x); RD(y); }
    void Raw(const std::uint8_t* data, std::size_t n);

    // For a stream holding a whole section: room up front, a byte patched
    // later, two bytes opened up after the fact (byte-aligned position), and
    // the bytes handed over.
    void ReserveBytes(std::size_t n) { buf_.reserve(n + 16); }
    std::uint8_t* MutableData() { return buf_.data(); }
    void PatchByte(std::size_t at, std::uint8_t v) { buf_[at] = v; }
    void OpenBytes(std::size_t at, std::size_t n);
    std::vector<std::uint8_t> Release();

    static std::uint64_t DoubleBits(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        return u;
    }

private:
    // Keeps zeroed room for n more bits (and a few bytes of slack).
    void Reserve(unsigned n) {
        if (((bits_ + n) >> 3) + 8 > buf_.size()) Grow(n);
    }
    void Grow(unsigned n);

    std::vector<std::uint8_t> buf_;         // zero beyond the written bits
    std::size_t bits_ = 0;
};

// Byte-aligned modular encodings, appended to a byte buffer.
void AppendModularChar(std::vector<std::uint8_t>& out, std::uint64_t value);     // unsigned form
void AppendSignedModularChar(std::vector<std::uint8_t>& out, std::int64_t value);
void AppendModularShort(std::vector<std::uint8_t>& out, std::uint32_t value);

} // namespace ostrel::cad::dwg
