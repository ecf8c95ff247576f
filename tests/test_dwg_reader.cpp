// The DWG reader (R2000 here; the later releases in test_dwg_releases): what the writer puts into a file comes back as an
// equal database, and damaged, truncated, foreign or random files end in a
// clear CadError (any bytes, behind valid CRCs or not: the fuzz_dwg_reader
// harnesses of scripts/fuzz).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using ostrel::test::ExpectSameDrawing;
using ostrel::test::TempDir;

namespace {

std::vector<std::uint8_t> Encode(Drawing& d) {
    NormalizeForSave(d);
    return dwg::EncodeDwg(d);
}


// The object addresses of the first object map page.
std::vector<std::size_t> ObjectOffsets(const std::vector<std::uint8_t>& f) {
    const std::size_t mapAt = static_cast<std::size_t>(f[0x19 + 18 + 1] | (f[0x19 + 18 + 2] << 8) |
                                                       (f[0x19 + 18 + 3] << 16));
    std::vector<std::size_t> offsets;
    std::size_t pos = mapAt + 2;
    std::int64_t off = 0;
    const std::size_t pageEnd = mapAt + ((f[mapAt] << 8) | f[mapAt + 1]);
    while (pos < pageEnd) {
        dwg::ReadModularChar(f.data(), pageEnd, pos);
        off += dwg::ReadSignedModularChar(f.data(), pageEnd, pos);
        offsets.push_back(static_cast<std::size_t>(off));
    }
    return offsets;
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
    try {
        dwg::DecodeDwg(bytes.data(), bytes.size());
    } catch (const CadError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DwgRoundTrip, EveryKindDrawingReadsBackEqualAndWritesAgainUnchanged) {
    TempDir dir;
    auto original = ostrel::test::EveryKindDrawing();
    SaveDwg(*original, Release::R2000, dir.file("every.dwg"));
    auto read = ReadDwg(dir.file("every.dwg"));
    EXPECT_EQ(read->release, Release::R2000);
    ExpectSameDrawing(*original, *read);
    // Paper-space entities keep their paper-space flag; the viewports their order.
    auto ps = read->PaperSpace();
    ASSERT_NE(ps, kNone);
    for (auto idx : read->blocks[ps].entities) EXPECT_TRUE(read->entities[idx].flags & kEntityPaperSpace);
    auto second = Encode(*read);
    auto again = dwg::DecodeDwg(second.data(), second.size());
    ExpectSameDrawing(*read, *again);
    // New handles from the database never collide with those read.
    Handle fresh = again->NewHandle();
    for (const auto& e : again->entities) EXPECT_NE(e.handle, fresh);
    for (const auto& o : again->objects) EXPECT_NE(o.handle, fresh);
    // A new drawing and a large one read back equal too.
    for (const auto& other : {NewDrawing(), ostrel::test::SiteDrawing(6000)}) {
        auto bytes = Encode(*other);
        ExpectSameDrawing(*other, *dwg::DecodeDwg(bytes.data(), bytes.size()));
    }
}

// Code-page bytes in R2000 and R2004, UTF-16 from R2007: the text comes back
// as written; so do a lightweight polyline's bulges and widths.
TEST(DwgRoundTrip, TextKeepsCodePageBytesAndPolylineItsArcsInEveryRelease) {
    TempDir dir;
    for (Release r : {Release::R2000, Release::R2004, Release::R2007, Release::R2018}) {
        auto d = NewDrawing();
        Entity t;
        t.type = EntityType::Text;
        t.handle = d->NewHandle();
        t.geom.text = {};
        t.geom.text.height = 1;
        t.geom.text.widthFactor = 1;
        const std::string degrees = "45\xB0 N \xE9t\xE9 \x80";   // Windows-1252 degree sign, accents, euro
        d->SetText(t.geom.text, degrees);
        d->AppendEntity(d->ModelSpace(), t);
        Entity lw;
        lw.type = EntityType::LwPolyline;
        lw.handle = d->NewHandle();
        const std::vector<LwVertex> vertices{{0, 0, 0, 0, 0.5}, {10, 0, 1, 2, -1}, {10, 5, 0, 0, 0}};
        d->SetLwPolyline(lw, LwPolylineData{vertices});
        d->AppendEntity(d->ModelSpace(), lw);
        const auto path = dir.file(std::string(ReleaseName(r)) + ".dwg");
        SaveDwg(*d, r, path);
        auto read = ReadDwg(path);
        const auto& ms = read->blocks[read->ModelSpace()];
        ASSERT_EQ(ms.entities.size(), 2u) << ReleaseName(r);
        EXPECT_EQ(read->Text(read->entities[ms.entities[0]].geom.text), degrees) << ReleaseName(r);
        const auto& back = read->entities[ms.entities[1]];
        ASSERT_EQ(back.type, EntityType::LwPolyline) << ReleaseName(r);
        EXPECT_EQ(read->lwpolylines.at(back.geom.extra.index).vertices, vertices) << ReleaseName(r);
    }
}

TEST(DwgRoundTrip, ObjectsOf32KilobytesAndMoreTakeTheLongSizeForm) {
    auto d = NewDrawing();
    HatchData h;
    for (int i = 0; i < 3000; ++i)
        h.boundary.push_back({std::cos(i * 0.002) * (100 + i % 7), std::sin(i * 0.002) * (100 + i % 5), 0});
    d->hatches.push_back(h);
    Entity e;
    e.type = EntityType::Hatch;
    e.handle = d->NewHandle();
    e.geom.extra.index = 0;
    d->AppendEntity(d->ModelSpace(), e);
    Entity after;
    after.type = EntityType::Point;
    after.handle = d->NewHandle();
    after.geom.point = {{1, 2, 3}};
    d->AppendEntity(d->ModelSpace(), after);
    // R2010 and later put the handle stream's size before such an object too.
    TempDir dir;
    for (Release r : {Release::R2000, Release::R2007, Release::R2010}) {
        SaveDwg(*d, r, dir.file("long.dwg"));
        auto read = ReadDwg(dir.file("long.dwg"));
        if (r == Release::R2000) ExpectSameDrawing(*d, *read);     // the others lack the VX table
        ASSERT_EQ(read->entities.size(), d->entities.size()) << ReleaseName(r);
        ASSERT_EQ(read->hatches.size(), 1u);
        EXPECT_EQ(read->hatches[0].boundary.size(), 3000u) << ReleaseName(r);
    }
}

TEST(DwgReadErrors, MissingForeignAndOtherReleaseFilesAreRefusedClearly) {
    TempDir dir;
    try {
        ReadDwg(dir.file("none.dwg"));
        FAIL();
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("none.dwg"), std::string::npos);
    }
    auto text = dir.file("text.dwg");
    ostrel::test::WriteFile(text, "0\nSECTION\n2\nHEADER\n");
    try {
        ReadDwg(text);
        FAIL();
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("not a DWG file"), std::string::npos) << e.what();
    }
    auto d = ostrel::test::EveryKindDrawing();
    auto bytes = Encode(*d);
    auto newer = bytes;
    newer[4] = '1';
    newer[5] = '8';
    EXPECT_NE(ErrorOf(newer).find("the file is damaged"), std::string::npos) << ErrorOf(newer);   // no R2004 header
    newer[5] = '0';
    newer[4] = '4';
    EXPECT_NE(ErrorOf(newer).find("AC1040"), std::string::npos) << ErrorOf(newer);
    EXPECT_NE(ErrorOf({}).find("not a DWG file"), std::string::npos);
}

TEST(DwgReadErrors, EveryDamagedSectionIsReportedAsACrcMismatch) {
    auto d = ostrel::test::EveryKindDrawing();
    auto good = Encode(*d);
    ASSERT_EQ(ErrorOf(good), "(no error)");
    auto locator = [&](int n) {
        std::size_t p = 0x19 + 9 * static_cast<std::size_t>(n);
        return static_cast<std::size_t>(good[p + 1] | (good[p + 2] << 8) | (good[p + 3] << 16) | (good[p + 4] << 24));
    };
    struct Case { std::size_t at; const char* expect; };
    const Case cases[] = {
        {0x0E, "file header"},                  // the preview address
        {locator(0) + 40, "header section"},
        {locator(1) + 30, "classes section"},
        {locator(2) + 5, "object map"},
    };
    for (auto c : cases) {
        auto bad = good;
        bad[c.at] ^= 0x10;
        auto msg = ErrorOf(bad);
        EXPECT_NE(msg.find(c.expect), std::string::npos) << msg;
        EXPECT_NE(msg.find("CRC"), std::string::npos) << msg;
    }
    // A byte inside any object: that object's own CRC catches it.
    for (std::size_t o : ObjectOffsets(good)) {
        auto bad = good;
        bad[o + 4] ^= 0x04;
        auto msg = ErrorOf(bad);
        EXPECT_NE(msg.find("CRC mismatch"), std::string::npos) << o << ": " << msg;
    }
}

TEST(DwgReadErrors, TruncationsAndRandomDamageEndInAnErrorNeverACrash) {
    auto d = ostrel::test::EveryKindDrawing();
    const auto good = Encode(*d);
    // A cut just short of the file header's end, and a section whose stated
    // size reaches one byte past it: each named for what it is.
    const auto rl = [&good](std::size_t p) {
        return static_cast<std::size_t>(good[p] | good[p + 1] << 8 | good[p + 2] << 16 | good[p + 3] << 24);
    };
    const std::vector<std::uint8_t> headerCut(good.begin(), good.begin() + 0x19 + 9 * good[0x15] + 17);
    EXPECT_NE(ErrorOf(headerCut).find("file header is truncated"), std::string::npos) << ErrorOf(headerCut);
    auto longer = good;
    const std::size_t stated = rl(0x19 + 5) - 20 - 17;
    for (int i = 0; i < 4; ++i) longer[rl(0x19 + 1) + 16 + i] = static_cast<std::uint8_t>(stated >> (8 * i));
    EXPECT_NE(ErrorOf(longer).find("reaches past its end"), std::string::npos) << ErrorOf(longer);
    for (std::size_t len = 0; len < good.size(); len += std::max<std::size_t>(1, good.size() / 97)) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len));
        EXPECT_NE(ErrorOf(cut), "(no error)") << len;
    }
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<std::size_t> at(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        auto bad = good;
        int flips = 1 + round % 8;
        for (int k = 0; k < flips; ++k) bad[at(rng)] = static_cast<std::uint8_t>(byte(rng));
        if (ErrorOf(bad) != "(no error)") ++failures;
    }
    EXPECT_GT(failures, 300);               // nearly every change is noticed
    // Files of random bytes behind a correct version mark.
    for (int round = 0; round < 100; ++round) {
        std::vector<std::uint8_t> noise(64 + round * 37);
        for (auto& b : noise) b = static_cast<std::uint8_t>(byte(rng));
        std::memcpy(noise.data(), "AC1015", 6);
        EXPECT_NE(ErrorOf(noise), "(no error)");
    }
}
