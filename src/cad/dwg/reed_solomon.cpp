#include "cad/dwg/reed_solomon.h"

namespace ostrel::cad::dwg {

namespace {
constexpr unsigned kMaxParity = 16;
} // namespace

ReedSolomon::ReedSolomon(unsigned fieldPolynomial, unsigned parityBytes) : parity_(parityBytes) {
    unsigned x = 1;
    for (unsigned i = 0; i < 255; ++i) {
        exp_[i] = static_cast<std::uint8_t>(x);
        log_[x] = static_cast<std::uint8_t>(i);
        x <<= 1;
        if (x & 0x100) x ^= fieldPolynomial;
    }
    for (unsigned i = 255; i < exp_.size(); ++i) exp_[i] = exp_[i - 255];
    // g(x) = (x - a^1)(x - a^2)...(x - a^parity)
    generator_.assign(1, 1);
    for (unsigned r = 1; r <= parity_; ++r) {
        std::vector<std::uint8_t> next(generator_.size() + 1, 0);
        for (std::size_t i = 0; i < generator_.size(); ++i) {
            next[i + 1] ^= generator_[i];
            next[i] ^= Mul(generator_[i], exp_[r]);
        }
        generator_ = std::move(next);
    }
    rootMul_.resize(parity_);
    for (unsigned i = 0; i < parity_; ++i)
        for (unsigned x = 0; x < 256; ++x) rootMul_[i][x] = Mul(static_cast<std::uint8_t>(x), exp_[i + 1]);
    for (unsigned f = 0; f < 256; ++f)
        for (unsigned j = 0; j < parity_; ++j) {
            const std::uint64_t v = Mul(static_cast<std::uint8_t>(f), generator_[j]);
            if (j < 8)
                rows_[f].lo |= v << (8 * j);
            else
                rows_[f].hi |= v << (8 * (j - 8));
        }
}

std::uint8_t ReedSolomon::Mul(std::uint8_t a, std::uint8_t b) const {
    if (a == 0 || b == 0) return 0;
    return exp_[log_[a] + log_[b]];
}

void ReedSolomon::Encode(const std::uint8_t* data, std::uint8_t* parity) const {
    // The codeword is cyclic, so data in the low degrees and parity above them
    // is the rotation of the usual x^parity * D(x) + (x^parity * D(x) mod g).
    // The register as 16 bytes in two words: byte j is the coefficient of x^j.
    std::uint64_t lo = 0, hi = 0;
    const unsigned top = parity_ - 1;
    const std::uint64_t loMask = parity_ >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * parity_)) - 1;
    const std::uint64_t hiMask = parity_ >= 16 ? ~std::uint64_t{0} : parity_ <= 8 ? 0 : (std::uint64_t{1} << (8 * (parity_ - 8))) - 1;
    for (unsigned i = DataBytes(); i-- > 0;) {
        const std::uint8_t last = static_cast<std::uint8_t>(top < 8 ? lo >> (8 * top) : hi >> (8 * (top - 8)));
        const Row& row = rows_[data[i] ^ last];
        hi = ((hi << 8) | (lo >> 56)) & hiMask;
        lo = (lo << 8) & loMask;
        lo ^= row.lo;
        hi ^= row.hi;
    }
    for (unsigned j = 0; j < parity_; ++j)
        parity[j] = static_cast<std::uint8_t>(j < 8 ? lo >> (8 * j) : hi >> (8 * (j - 8)));
}

std::uint8_t ReedSolomon::Syndromes(const std::uint8_t* codeword, std::uint8_t* s) const {
    std::uint8_t any = 0;
    for (unsigned i = 0; i < parity_; ++i) {
        // Horner from the highest degree: sum c_j * (a^(i+1))^j
        const auto& times = rootMul_[i];
        std::uint8_t v = 0;
        for (unsigned j = 255; j-- > 0;) v = static_cast<std::uint8_t>(times[v] ^ codeword[j]);
        s[i] = v;
        any |= v;
    }
    return any;
}

bool ReedSolomon::IsCodeword(const std::uint8_t* codeword) const {
    std::uint8_t s[kMaxParity];
    return Syndromes(codeword, s) == 0;
}

// Berlekamp-Massey: the error locator c(x), lowest degree first, from the
// syndromes; returns its degree (the errors), 0 for none or too many.
unsigned ReedSolomon::Locator(const std::uint8_t* s, std::uint8_t* c) const {
    std::uint8_t b[kMaxParity + 1] = {1};
    c[0] = 1;
    unsigned len = 0, shift = 1;
    std::uint8_t lastDiscrepancy = 1;
    for (unsigned n = 0; n < parity_; ++n) {
        std::uint8_t d = s[n];
        for (unsigned i = 1; i <= len; ++i) d ^= Mul(c[i], s[n - i]);
        if (d == 0) {
            ++shift;
            continue;
        }
        const std::uint8_t scale = Mul(d, Inv(lastDiscrepancy));
        std::uint8_t previous[kMaxParity + 1];
        for (unsigned i = 0; i <= parity_; ++i) previous[i] = c[i];
        for (unsigned i = 0; i + shift <= parity_; ++i) c[i + shift] ^= Mul(scale, b[i]);
        if (2 * len <= n) {
            len = n + 1 - len;
            for (unsigned i = 0; i <= parity_; ++i) b[i] = previous[i];
            lastDiscrepancy = d;
            shift = 1;
        } else {
            ++shift;
        }
    }
    return 2 * len > parity_ ? 0 : len;
}

// Chien search over the 255 positions for the roots of the locator c (of
// degree len), Forney with the evaluator w for the error values; returns
// the errors found, -1 where they do not add up to len.
int ReedSolomon::Errors(const std::uint8_t* c, unsigned len, const std::uint8_t* w, unsigned* positions,
                        std::uint8_t* values) const {
    unsigned found = 0;
    for (unsigned pos = 0; pos < 255; ++pos) {
        const std::uint8_t xInv = exp_[(255 - pos) % 255];
        std::uint8_t v = 0, p = 1;
        for (unsigned i = 0; i <= len; ++i) {
            v ^= Mul(c[i], p);
            p = Mul(p, xInv);
        }
        if (v != 0) continue;
        if (found == len) return -1;
        std::uint8_t num = 0, den = 0;
        p = 1;
        for (unsigned i = 0; i < parity_; ++i) {
            num ^= Mul(w[i], p);
            p = Mul(p, xInv);
        }
        // Formal derivative: only odd powers survive in characteristic 2.
        p = 1;
        const std::uint8_t xInv2 = Mul(xInv, xInv);
        for (unsigned i = 1; i <= len; i += 2) {
            den ^= Mul(c[i], p);
            p = Mul(p, xInv2);
        }
        if (den == 0) return -1;
        positions[found] = pos;
        values[found] = Mul(num, Inv(den));
        ++found;
    }
    return found == len ? static_cast<int>(found) : -1;
}

int ReedSolomon::Correct(std::uint8_t* codeword) const {
    std::uint8_t s[kMaxParity];
    if (Syndromes(codeword, s) == 0) return 0;
    std::uint8_t c[kMaxParity + 1] = {1};
    const unsigned len = Locator(s, c);
    if (len == 0) return -1;
    // Error evaluator w(x) = s(x) c(x) mod x^parity.
    std::uint8_t w[kMaxParity] = {};
    for (unsigned i = 0; i < parity_; ++i)
        for (unsigned j = 0; j <= i && j <= len; ++j) w[i] ^= Mul(c[j], s[i - j]);
    unsigned positions[kMaxParity];
    std::uint8_t values[kMaxParity];
    const int found = Errors(c, len, w, positions, values);
    if (found < 0) return -1;
    for (int i = 0; i < found; ++i) codeword[positions[i]] ^= values[i];
    if (!IsCodeword(codeword)) {
        for (int i = 0; i < found; ++i) codeword[positions[i]] ^= values[i];
        return -1;
    }
    return found;
}

const ReedSolomon& SystemPageCode() {
    static const ReedSolomon code(0x169, 16);
    return code;
}

const ReedSolomon& DataPageCode() {
    static const ReedSolomon code(0x11D, 4);
    return code;
}

void RsEncodeBlocks(const ReedSolomon& code, const std::uint8_t* data, std::size_t blocks, bool interleaved,
                    std::uint8_t* out) {
    const std::size_t k = code.DataBytes();
    std::uint8_t word[255];
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint8_t* part = data + b * k;
        code.Encode(part, word + k);
        if (interleaved) {
            for (std::size_t j = 0; j < k; ++j) out[j * blocks + b] = part[j];
            for (std::size_t j = k; j < 255; ++j) out[j * blocks + b] = word[j];
        } else {
            for (std::size_t j = 0; j < k; ++j) out[b * k + j] = part[j];
            for (std::size_t j = k; j < 255; ++j) out[blocks * k + b * (255 - k) + (j - k)] = word[j];
        }
    }
}

long RsDecodeBlocks(const ReedSolomon& code, const std::uint8_t* in, std::size_t blocks, bool interleaved,
                    std::uint8_t* data) {
    const std::size_t k = code.DataBytes();
    long corrected = 0;
    std::uint8_t word[255];
    for (std::size_t b = 0; b < blocks; ++b) {
        for (std::size_t j = 0; j < 255; ++j)
            word[j] = interleaved ? in[j * blocks + b]
                                  : (j < k ? in[b * k + j] : in[blocks * k + b * (255 - k) + (j - k)]);
        const int fixed = code.Correct(word);
        if (fixed < 0) return -1;
        corrected += fixed;
        for (std::size_t j = 0; j < k; ++j) data[b * k + j] = word[j];
    }
    return corrected;
}

} // namespace ostrel::cad::dwg
