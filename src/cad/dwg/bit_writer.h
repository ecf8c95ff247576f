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
    void Clear() { buf_.clear(); used_ = 0; }
    std::size_t BitPosition() const { return buf_.size() * 8 - (used_ ? 8 - used_ : 0); }
    std::size_t ByteSize() const { return buf_.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return buf_; }
    std::vector<std::uint8_t>& MutableBytes() { return buf_; }

    // n raw bits of value, n <= 32.
    void Bits(std::uint32_t value, unsigned n);
    // Overwrites n bits (n <= 32) at an earlier bit position.
    void PatchBits(std::size_t bitPos, std::uint32_t value, unsigned n);
    // Overwrites a raw long (little-endian bytes) at an earlier bit position.
    void PatchRL(std::size_t bitPos, std::uint32_t value);
    // Fills the last byte with zero bits.
    void PadToByte() { used_ = 0; }

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
    std::vector<std::uint8_t> buf_;
    unsigned used_ = 0;                     // bits used in the last byte, 0 when it is full
};

// Byte-aligned modular encodings, appended to a byte buffer.
void AppendModularChar(std::vector<std::uint8_t>& out, std::uint64_t value);     // unsigned form
void AppendSignedModularChar(std::vector<std::uint8_t>& out, std::int64_t value);
void AppendModularShort(std::vector<std::uint8_t>& out, std::uint32_t value);

} // namespace ostrel::cad::dwg
