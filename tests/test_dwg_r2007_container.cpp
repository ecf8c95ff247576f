// The R2007 (AC1021) container: its check sums against published vectors,
// the Reed-Solomon codes (encoding, repair, what is beyond repair), the R21
// LZ77 variant, and whole files written and read back, whole and damaged.
// Outside readers read the container in whole drawings (test_dwg_releases).
#include <gtest/gtest.h>

#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <string>

#include "cad/drawing.h"
#include "cad/dwg/lz77_r21.h"
#include "cad/dwg/r2007_container.h"
#include "cad/dwg/r2007_crc.h"
#include "cad/dwg/r2007_random.h"
#include "cad/dwg/reed_solomon.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using namespace ostrel::cad::dwg;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

// Section-like data: runs of small numbers, repeated records, some noise.
Bytes DrawingLikeBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b;
    const std::string record = "AcDbEntity\x01\x02\x40LINE";
    while (b.size() < n) {
        if (rng() % 3 == 0) b.insert(b.end(), record.begin(), record.end());
        b.push_back(static_cast<std::uint8_t>(rng() % 7));
        if (rng() % 5 == 0) b.push_back(static_cast<std::uint8_t>(rng()));
    }
    b.resize(n);
    return b;
}

Bytes RoundTrip(const Bytes& data) {
    const Bytes packed = lz77r21::Compress(data.data(), data.size());
    Bytes back(data.size());
    lz77r21::Decompress(packed.data(), packed.size(), back.data(), back.size());
    return back;
}

std::vector<NamedSection> SampleSections() {
    const auto section = [](const char* name, Bytes data, bool compressed) {
        NamedSection s;
        s.name = name;
        s.data = std::move(data);
        s.compressed = compressed;
        return s;
    };
    return {section("AcDb:Header", DrawingLikeBytes(3000, 1), true),
            section("AcDb:Classes", DrawingLikeBytes(700, 2), true),
            section("AcDb:AcDbObjects", DrawingLikeBytes(150000, 3), true),  // three pages
            section("AcDb:Handles", RandomBytes(9000, 4), true),           // stored: does not compress
            section("AcDb:Template", {0, 0, 1, 0}, true),
            section("AcDb:SummaryInfo", RandomBytes(700, 5), false),        // plain, three blocks
            section("AcDb:AuxHeader", DrawingLikeBytes(123, 6), true)};
}

void ExpectSameSections(const std::vector<NamedSection>& want, const r2007::Container& got) {
    ASSERT_EQ(got.sections.size(), want.size());
    for (const auto& w : want) {
        const auto it = std::find_if(got.sections.begin(), got.sections.end(),
                                     [&](const NamedSection& s) { return s.name == w.name; });
        ASSERT_NE(it, got.sections.end()) << w.name;
        EXPECT_EQ(it->data, w.data) << w.name;
        EXPECT_EQ(it->compressed, w.compressed) << w.name;
    }
}

} // namespace

TEST(R2007Checks, CrcCoresMatchPublishedVectors) {
    const auto* check = reinterpret_cast<const std::uint8_t*>("123456789");
    // CRC-64/ECMA-182 (no complement) and CRC-64/Jones (reflected, as Redis uses it).
    EXPECT_EQ(r2007::Crc64NormalPlain(0, check, 9), 0x6C40DF5F0B497347ULL);
    EXPECT_EQ(r2007::Crc64MirroredPlain(0, check, 9), 0xE9C6D914C4B8D9CAULL);
    // The container's sums walk eight bytes as 6,7,4,5,2,3,0,1.
    const std::uint8_t block[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    const std::uint8_t walked[8] = {'7', '8', '5', '6', '3', '4', '1', '2'};
    EXPECT_EQ(r2007::Crc64Mirrored(5, block, 8), r2007::Crc64MirroredPlain(5, walked, 8));
    EXPECT_EQ(r2007::Crc64Normal(5, block, 8), ~r2007::Crc64NormalPlain(5, walked, 8));
    // The page checksum is an Adler-32 sum from a seeded start: a changed byte shows.
    Bytes data = DrawingLikeBytes(20000, 9);
    const auto sum = r2007::PageChecksum(0, data.data(), data.size());
    data[12345] ^= 1;
    EXPECT_NE(r2007::PageChecksum(0, data.data(), data.size()), sum);
}

TEST(R2007Checks, EncodedSeedsDecodeAndHideTheirBits) {
    r2007::CrcRandom rnd(1234);
    for (std::uint32_t v : {0u, 1u, 0x155u, 0x3FFu}) {
        const auto a = rnd.Encode(v), b = rnd.Encode(v);
        EXPECT_EQ(r2007::CrcRandom::Decode(a), v);
        EXPECT_NE(a, b);  // fresh random bits each time
    }
}

TEST(ReedSolomon, GeneratorOfTheSystemCodeIsTheKnownOne) {
    // (255, 239) over x^8+x^6+x^5+x^3+1, roots alpha^1..alpha^16, lowest degree first.
    const std::vector<std::uint8_t> known = {0x6a, 0xe3, 0x63, 0x1f, 0xa1, 0x24, 0x9e, 0x44, 0x13,
                                             0x1e, 0x2f, 0xfc, 0xfd, 0xce, 0xa9, 0xdb, 0x01};
    EXPECT_EQ(SystemPageCode().Generator(), known);
}

TEST(ReedSolomon, RepairsUpToHalfItsParityAndRefusesMore) {
    for (const ReedSolomon* code : {&SystemPageCode(), &DataPageCode()}) {
        const unsigned k = code->DataBytes(), t = code->ParityBytes() / 2;
        const Bytes data = RandomBytes(k, 7);
        Bytes word(255);
        std::copy(data.begin(), data.end(), word.begin());
        code->Encode(data.data(), word.data() + k);
        ASSERT_TRUE(code->IsCodeword(word.data()));
        for (unsigned errors = 1; errors <= t + 1; ++errors) {
            Bytes damaged = word;
            for (unsigned e = 0; e < errors; ++e) damaged[(e * 37 + 11) % 255] ^= static_cast<std::uint8_t>(0x5A + e);
            const int fixed = code->Correct(damaged.data());
            if (errors <= t) {
                EXPECT_EQ(fixed, static_cast<int>(errors));
                EXPECT_EQ(damaged, word);
            } else {
                // Beyond repair: refused, or (the short data code) taken for
                // another codeword, which the page CRC then catches.
                EXPECT_TRUE(fixed == -1 || damaged != word) << "k=" << k;
                if (k == 239) {
                    EXPECT_EQ(fixed, -1);
                }
            }
        }
    }
}

TEST(ReedSolomon, InterleavingSpreadsABurstOverTheBlocks) {
    const ReedSolomon& code = DataPageCode();
    const std::size_t blocks = 4;
    const Bytes data = RandomBytes(blocks * code.DataBytes(), 8);
    for (bool interleaved : {true, false}) {
        Bytes page(blocks * 255);
        RsEncodeBlocks(code, data.data(), blocks, interleaved, page.data());
        for (std::size_t i = 300; i < 300 + 2 * blocks; ++i) page[i] ^= 0xFF;  // a burst of 8 bytes
        Bytes back(data.size());
        const long fixed = RsDecodeBlocks(code, page.data(), blocks, interleaved, back.data());
        if (interleaved) {
            EXPECT_EQ(fixed, 8);
            EXPECT_EQ(back, data);
        } else {
            EXPECT_TRUE(fixed == -1 || back != data);  // eight errors in one block of a 2-error code
        }
    }
}

TEST(Lz77R21, RoundTripsVariedData) {
    std::vector<Bytes> cases = {{42}, Bytes(7, 1), RandomBytes(8, 1), RandomBytes(31, 2), RandomBytes(32, 3),
                                RandomBytes(33, 4), RandomBytes(0x17 + 0xFF, 5), RandomBytes(0x17 + 0xFF + 0xFFFF + 3, 6),
                                Bytes(300000, 0), DrawingLikeBytes(200000, 7)};
    Bytes text;
    for (int i = 0; i < 5000; ++i) text.insert(text.end(), {'L', 'I', 'N', 'E', static_cast<std::uint8_t>(i % 251)});
    cases.push_back(text);
    Bytes farRepeat = RandomBytes(40000, 8);
    farRepeat.insert(farRepeat.end(), farRepeat.begin() + 100, farRepeat.begin() + 30000);  // matches 9-40 KB back
    cases.push_back(farRepeat);
    for (const auto& data : cases) EXPECT_EQ(RoundTrip(data), data) << data.size() << " bytes";

    EXPECT_LT(lz77r21::Compress(cases[8].data(), cases[8].size()).size(), 100u);
    EXPECT_LT(lz77r21::Compress(cases[9].data(), cases[9].size()).size(), cases[9].size() / 2);
}

TEST(Lz77R21, DecodesHandWrittenStreams) {
    // A short first literal run (0x20 form); three literal bytes are stored reversed.
    const Bytes shortRun = {0x20, 0, 0, 3, 'c', 'b', 'a'};
    Bytes out(3);
    lz77r21::Decompress(shortRun.data(), shortRun.size(), out.data(), out.size());
    EXPECT_EQ(std::string(out.begin(), out.end()), "abc");
    // Eight literals, then a copy of 6 bytes from 4 back (0x63 0x00: length 6, offset 3+1).
    const Bytes withCopy = {0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x63, 0x00};
    out.assign(14, 0);
    lz77r21::Decompress(withCopy.data(), withCopy.size(), out.data(), out.size());
    EXPECT_EQ(std::string(out.begin(), out.end()), "ABCDEFGHEFGHEF");
}

TEST(Lz77R21, RejectsMalformedStreams) {
    const Bytes data = DrawingLikeBytes(5000, 11);
    const Bytes packed = lz77r21::Compress(data.data(), data.size());
    Bytes out(data.size());
    EXPECT_THROW(lz77r21::Decompress(packed.data(), packed.size() / 2, out.data(), out.size()), CadError);
    EXPECT_THROW(lz77r21::Decompress(packed.data(), packed.size(), out.data(), out.size() - 1), CadError);
    out.resize(out.size() + 1);
    EXPECT_THROW(lz77r21::Decompress(packed.data(), packed.size(), out.data(), out.size()), CadError);
    const Bytes backBeforeStart = {0x20, 0, 0, 1, 'x', 0x31, 0x00};  // offset 2 with one byte written
    EXPECT_THROW(lz77r21::Decompress(backBeforeStart.data(), backBeforeStart.size(), out.data(), 4), CadError);
}

TEST(R2007Container, WritesAndReadsBackEverySection) {
    const auto sections = SampleSections();
    r2007::FileFacts facts;
    facts.maintenanceVersion = 0x19;
    facts.codePage = 30;
    const Bytes file = r2007::WriteContainer(sections, facts);
    ASSERT_EQ(std::string(file.begin(), file.begin() + 6), "AC1021");
    EXPECT_EQ(r2007::WriteContainer(sections, facts), file);  // the same sections give the same bytes

    const auto back = r2007::ReadContainer(file.data(), file.size());
    ExpectSameSections(sections, back);
    EXPECT_EQ(back.facts.maintenanceVersion, 0x19);
    EXPECT_EQ(back.facts.codePage, 30);
    EXPECT_EQ(back.correctedBytes, 0);
    // The compressed sections take less room than their data.
    EXPECT_LT(file.size(), 150000u);
}

TEST(R2007Container, RepairsWhatTheCodesCoverAndRefusesTheRest) {
    const auto sections = SampleSections();
    const Bytes file = r2007::WriteContainer(sections);
    // One byte in each page anywhere, the file header included: repaired.
    Bytes damaged = file;
    for (std::size_t at = 0x80; at < file.size(); at += 4099) damaged[at] ^= 0x21;
    const auto repaired = r2007::ReadContainer(damaged.data(), damaged.size());
    ExpectSameSections(sections, repaired);
    EXPECT_GT(repaired.correctedBytes, 5);

    const auto refuses = [&](const Bytes& bad, const char* what) {
        EXPECT_THROW(r2007::ReadContainer(bad.data(), bad.size()), CadError) << what;
    };
    for (std::size_t cut : {std::size_t{0}, std::size_t{0x100}, std::size_t{0x47F}, file.size() / 2, file.size() - 1})
        refuses(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)), "truncated");
    // The check data at the end of both header copies.
    Bytes check = file;
    check[0x80 + 0x3D8 + 3] ^= 1;
    check[file.size() - 0x400 + 0x3D8 + 3] ^= 1;
    refuses(check, "flipped check data");
    // A run of bytes in a data page, more than its code repairs.
    Bytes burst = file;
    for (std::size_t i = 0; i < 3000; ++i) burst[0x480 + 0x800 + 4096 + i] ^= 0x77;
    refuses(burst, "damaged data page");
    // The file header (both copies) of a file whose section map differs only
    // in one page's check sums: this file's section map is not the one it names.
    auto others = sections;
    others[5].data[10] ^= 1;  // AcDb:SummaryInfo, stored plain: the same sizes
    const Bytes other = r2007::WriteContainer(others);
    ASSERT_EQ(other.size(), file.size());
    Bytes swapped = file;
    std::copy(other.begin() + 0x80, other.begin() + 0x480, swapped.begin() + 0x80);
    std::copy(other.end() - 0x400, other.end(), swapped.end() - 0x400);
    refuses(swapped, "wrong section map");
}

TEST(R2007Container, RandomDamageGivesTheDataOrAnError) {
    const auto sections = SampleSections();
    const Bytes file = r2007::WriteContainer(sections);
    std::mt19937 rng(2007);
    int errors = 0, clean = 0;
    for (int round = 0; round < 120; ++round) {
        Bytes bad = file;
        const int flips = 1 + static_cast<int>(rng() % 200);
        const std::size_t start = rng() % file.size();
        const std::size_t span = 1 + rng() % 3000;
        for (int f = 0; f < flips; ++f) bad[(start + rng() % span) % bad.size()] = static_cast<std::uint8_t>(rng());
        if (rng() % 4 == 0) bad.resize(rng() % bad.size());
        try {
            ExpectSameSections(sections, r2007::ReadContainer(bad.data(), bad.size()));
            ++clean;
        } catch (const CadError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 10);
    EXPECT_GT(clean, 10);
}
