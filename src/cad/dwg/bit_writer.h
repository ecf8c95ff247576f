#pragma once
// Writes the bit-coded values of DWG data streams, most significant bit
// first. The buffer keeps its capacity across Clear(), so encoding one object
// after another allocates nothing once it has grown to the largest object.
#include <cstddef>
#include <cstdint>
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

    // n raw bits of value, n <= 32.
    void Bits(std::uint32_t value, unsigned n) {
        if (n == 0) return;
        Reserve(n);
        const std::size_t byte = bits_ >> 3;
        const unsigned shift = 64 - n - static_cast<unsigned>(bits_ & 7);
        const std::uint64_t window = (static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << n) - 1)) << shift;
        const unsigned touched = (static_cast<unsigned>(bits_ & 7) + n + 7) >> 3;
        std::uint8_t* p = buf_.data() + byte;
        for (unsigned k = 0; k < touched; ++k) p[k] = static_cast<std::uint8_t>(p[k] | (window >> (56 - 8 * k)));
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
    void BS(std::int16_t v);
    void BL(std::int32_t v);
    void BD(double v);
    void RC(std::uint8_t v) { Bits(v, 8); }
    void RS(std::uint16_t v);
    void RL(std::uint32_t v);
    void RD(double v);
    void H(unsigned code, Handle h);
    void TV(std::string_view s);            // R2000: bit-short length, then the code-page bytes
    void CMC(std::int16_t colourIndex) { BS(colourIndex); }
    void BE(const Vec3& extrusion);
    void BT(double thickness);
    void DD(double v, double defaultValue);
    void BD2(double x, double y) { BD(x); BD(y); }
    void BD3(const Vec3& p) { BD(p.x); BD(p.y); BD(p.z); }
    void RD2(double x, double y) { RD(x); RD(y); }
    void Raw(const std::uint8_t* data, std::size_t n);

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
