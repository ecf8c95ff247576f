#pragma once
// Reed-Solomon codes over GF(256) as the R2007 (AC1021) container uses them:
// 255-byte codewords, roots alpha^1 .. alpha^(255-k), byte j of a codeword
// the coefficient of x^j, the k data bytes first and the parity after them.
//  - system pages and the file header: (255, 239), field polynomial 0x169;
//  - data pages: (255, 251), field polynomial 0x11D.
// A page of several codewords is laid out either interleaved (byte j of
// block i at j * blocks + i) or not (all data parts, then all parity parts).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel::cad::dwg {

class ReedSolomon {
public:
    ReedSolomon(unsigned fieldPolynomial, unsigned parityBytes);

    unsigned DataBytes() const { return 255 - parity_; }
    unsigned ParityBytes() const { return parity_; }
    // The generator polynomial, lowest degree first (monic, degree = parity).
    const std::vector<std::uint8_t>& Generator() const { return generator_; }

    // Fills parity[0 .. ParityBytes) for data[0 .. DataBytes).
    void Encode(const std::uint8_t* data, std::uint8_t* parity) const;
    // Corrects one 255-byte codeword in place. Returns the number of bytes
    // corrected (0 when it was clean), or -1 when it is beyond repair.
    int Correct(std::uint8_t* codeword) const;
    // True when every syndrome is zero.
    bool IsCodeword(const std::uint8_t* codeword) const;

    std::uint8_t Mul(std::uint8_t a, std::uint8_t b) const;

private:
    std::uint8_t Syndromes(const std::uint8_t* codeword, std::uint8_t* s) const;
    unsigned Locator(const std::uint8_t* s, std::uint8_t* c) const;
    int Errors(const std::uint8_t* c, unsigned len, const std::uint8_t* w, unsigned* positions,
               std::uint8_t* values) const;
    std::uint8_t Inv(std::uint8_t a) const { return exp_[255 - log_[a]]; }

    // feedback byte -> its products with the generator's lower coefficients,
    // byte j of the 16 at bit 8j of lo/hi: one shift and two XORs a data byte.
    struct Row {
        std::uint64_t lo = 0, hi = 0;
    };

    unsigned parity_;
    std::array<Row, 256> rows_{};
    // x -> x * alpha^(i+1), for the syndromes.
    std::vector<std::array<std::uint8_t, 256>> rootMul_;
    std::array<std::uint8_t, 512> exp_{};
    std::array<std::uint8_t, 256> log_{};
    std::vector<std::uint8_t> generator_;
};

// The two codes of the format.
const ReedSolomon& SystemPageCode();
const ReedSolomon& DataPageCode();

// Encodes blocks * DataBytes() bytes into blocks * 255 bytes.
void RsEncodeBlocks(const ReedSolomon& code, const std::uint8_t* data, std::size_t blocks, bool interleaved,
                    std::uint8_t* out);
// Decodes blocks * 255 bytes into blocks * DataBytes() bytes, correcting what
// the code can. Returns the bytes corrected, or -1 when a block is beyond repair.
long RsDecodeBlocks(const ReedSolomon& code, const std::uint8_t* in, std::size_t blocks, bool interleaved,
                    std::uint8_t* data);

} // namespace ostrel::cad::dwg
