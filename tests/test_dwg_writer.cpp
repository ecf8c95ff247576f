// The R2000 DWG writer: the file's sections against their sentinels, sizes,
// locators and CRCs, the object map's paging, the objects each drawing
// content produces, and the save's handling of releases and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "cad/atomic_file.h"
#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_sections.h"
#include "cad/dwg/dwg_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using namespace ostrel::cad::dwg;
using ostrel::test::TempDir;

namespace {

std::uint32_t RL(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint32_t>(f[at]) | (static_cast<std::uint32_t>(f[at + 1]) << 8) |
           (static_cast<std::uint32_t>(f[at + 2]) << 16) | (static_cast<std::uint32_t>(f[at + 3]) << 24);
}
std::uint16_t RS(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}
bool SentinelAt(const std::vector<std::uint8_t>& f, std::size_t at, const std::uint8_t (&s)[16]) {
    return at + 16 <= f.size() && std::memcmp(f.data() + at, s, 16) == 0;
}

struct Locator { std::uint8_t number; std::uint32_t address, size; };

std::map<int, Locator> Locators(const std::vector<std::uint8_t>& f) {
    std::map<int, Locator> out;
    std::uint32_t n = RL(f, 0x15);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::size_t p = 0x19 + 9 * i;
        out[f[p]] = {f[p], RL(f, p + 1), RL(f, p + 5)};
    }
    return out;
}

// A framed section: sentinels at both ends, its size field agreeing with
// the locator, and the CRC over size and data.
void ExpectFramed(const std::vector<std::uint8_t>& f, const Locator& l, const std::uint8_t (&begin)[16],
                  const std::uint8_t (&end)[16], const char* what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(SentinelAt(f, l.address, begin));
    std::uint32_t size = RL(f, l.address + 16);
    EXPECT_EQ(size + 38, l.size);
    EXPECT_EQ(Crc16(kDwgCrcSeed, f.data() + l.address + 16, 4 + size), RS(f, l.address + 20 + size));
    EXPECT_TRUE(SentinelAt(f, l.address + 22 + size, end));
}

struct MapEntry { Handle handle; std::uint64_t offset; };
struct MapPages {
    std::vector<MapEntry> entries;
    std::vector<std::size_t> pageSizes;
    std::vector<Handle> firstDeltas;    // the first handle delta of each page
    bool crcsMatch = true;
};

MapPages ParseMap(const std::vector<std::uint8_t>& f, const Locator& l) {
    MapPages m;
    std::size_t pos = l.address;
    for (;;) {
        std::size_t start = pos;
        std::size_t size = (static_cast<std::size_t>(f[pos]) << 8) | f[pos + 1];
        m.pageSizes.push_back(size);
        std::uint16_t stored = static_cast<std::uint16_t>((f[start + size] << 8) | f[start + size + 1]);
        m.crcsMatch = m.crcsMatch && Crc16(kDwgCrcSeed, f.data() + start, size) == stored;
        if (size == 2) break;
        pos += 2;
        Handle h = 0;
        std::int64_t off = 0;
        bool first = true;
        while (pos < start + size) {
            auto dh = ReadModularChar(f.data(), start + size, pos);
            if (first) m.firstDeltas.push_back(dh);
            first = false;
            h += dh;
            off += ReadSignedModularChar(f.data(), start + size, pos);
            m.entries.push_back({h, static_cast<std::uint64_t>(off)});
        }
        pos = start + size + 2;
    }
    return m;
}

// The type code and own handle of the object at `offset`, after checking its CRC.
std::pair<std::int16_t, Handle> ObjectAt(const std::vector<std::uint8_t>& f, std::uint64_t offset, bool& crcOk) {
    std::size_t pos = static_cast<std::size_t>(offset);
    std::uint32_t size = ReadModularShort(f.data(), f.size(), pos);
    crcOk = Crc16(kDwgCrcSeed, f.data() + offset, pos - offset + size) == RS(f, pos + size);
    BitReader r(f.data() + pos, size, "test");
    std::int16_t type = r.BS();
    std::uint32_t bits = r.RL();
    EXPECT_LE(bits, size * 8);
    return {type, r.H().value};
}

// Objects the writer makes of a drawing without viewports: one per record,
// entity and object, and the ten table controls.
std::size_t ObjectCount(const Drawing& d) {
    return d.entities.size() + d.layers.size() + d.linetypes.size() + d.styles.size() + d.appids.size() +
           d.dimstyles.size() + d.vports.size() + d.blocks.size() + d.objects.size() + 10;
}

} // namespace

TEST(DwgFileLayout, TinyDrawingSectionsSitWhereTheLocatorsSay) {
    auto d = NewDrawing();
    NormalizeForSave(*d);
    auto f = EncodeDwg(*d);

    ASSERT_GE(f.size(), 0x61u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "AC1015");
    EXPECT_EQ(RS(f, 0x13), kCodePageAnsi1252);
    EXPECT_EQ(RL(f, 0x15), 6u);
    const std::size_t crcAt = 0x19 + 6 * 9;
    EXPECT_EQ(Crc16(kDwgCrcSeed, f.data(), crcAt), RS(f, crcAt));
    EXPECT_TRUE(SentinelAt(f, crcAt + 2, kFileHeaderEnd));

    auto loc = Locators(f);
    ASSERT_EQ(loc.size(), 6u);
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(loc[n].number, n);
        EXPECT_LE(loc[n].address + loc[n].size, f.size()) << n;
    }
    ExpectFramed(f, loc[kSectionHeader], kHeaderBegin, kHeaderEnd, "header");
    ExpectFramed(f, loc[kSectionClasses], kClassesBegin, kClassesEnd, "classes");

    // The aux header follows the file header; the empty preview follows it.
    EXPECT_EQ(loc[kSectionAuxHeader].address, 0x61u);
    EXPECT_EQ(f[0x61], 0xFF);
    EXPECT_EQ(f[0x62], 0x77);
    EXPECT_EQ(f[0x63], 0x01);
    const std::uint32_t preview = RL(f, 0x0D);
    EXPECT_EQ(preview, loc[kSectionAuxHeader].address + loc[kSectionAuxHeader].size);
    EXPECT_TRUE(SentinelAt(f, preview, kPreviewBegin));
    EXPECT_TRUE(SentinelAt(f, preview + 16 + 5, kPreviewEnd));
    EXPECT_EQ(loc[kSectionHeader].address, preview + 37);

    // Free space directly after the object map, then the second header, then the template.
    const auto& map = loc[kSectionObjectMap];
    const auto& free = loc[kSectionFreeSpace];
    EXPECT_EQ(free.address, map.address + map.size);
    EXPECT_EQ(free.size, 53u);
    const std::size_t second = free.address + free.size;
    EXPECT_TRUE(SentinelAt(f, second, kSecondHeaderBegin));
    const auto& tmpl = loc[kSectionTemplate];
    EXPECT_TRUE(SentinelAt(f, tmpl.address - 16, kSecondHeaderEnd));
    EXPECT_EQ(tmpl.size, 4u);
    EXPECT_EQ(RS(f, tmpl.address + 2), 1);          // metric
    EXPECT_EQ(tmpl.address + tmpl.size, f.size());
    // The second header's CRC covers everything from its size field up to the CRC.
    const std::size_t secondBody = second + 16;
    const std::size_t secondEnd = tmpl.address - 16;
    EXPECT_EQ(RL(f, secondBody), secondEnd - secondBody - 4);
    EXPECT_EQ(Crc16(kDwgCrcSeed, f.data() + secondBody, secondEnd - 10 - secondBody), RS(f, secondEnd - 10));
}

TEST(DwgObjectMap, TwoObjectsGiveTheKnownBytes) {
    ObjectPlaces places;
    places.Add(2, 0x120);
    places.Add(1, 0x100);                               // sorted by handle on the way
    std::vector<std::uint8_t> bytes;
    const auto size = ObjectMap(places, [&](const std::uint8_t* p, std::size_t n) { bytes.insert(bytes.end(), p, p + n); });
    EXPECT_EQ(size, bytes.size());
    // Page: size 7 (big-endian), handle +1 / address +0x100, handle +1 / address +0x20, CRC.
    std::vector<std::uint8_t> page = {0x00, 0x07, 0x01, 0x80, 0x02, 0x01, 0x20};
    std::uint16_t crc = Crc16(kDwgCrcSeed, page.data(), page.size());
    page.push_back(static_cast<std::uint8_t>(crc >> 8));
    page.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    std::vector<std::uint8_t> last = {0x00, 0x02};
    crc = Crc16(kDwgCrcSeed, last.data(), last.size());
    last.push_back(static_cast<std::uint8_t>(crc >> 8));
    last.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    page.insert(page.end(), last.begin(), last.end());
    EXPECT_EQ(bytes, page);
}

// Places added in runs of ascending handles (as tables, blocks, entities
// and objects go out) come back in handle order with their addresses, large
// steps too; the check names a repeated, a missing and a too-high handle.
TEST(DwgObjectMap, PlacesComeBackInHandleOrderAndBadHandlesAreNamed) {
    const std::vector<ObjectLocation> added = {{0x10, 100},  {0x11, 140},          {0x400, 180}, {0x12, 300},
                                               {0x13, 301},  {0x2, 5000},          {0x300000000, 5200},
                                               {0x14, 70000}};
    ObjectPlaces places;
    for (const auto& l : added) places.Add(l.handle, l.offset);
    std::vector<ObjectLocation> got;
    places.InHandleOrder([&](const ObjectLocation& l) { got.push_back(l); });
    auto sorted = added;
    std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.handle < b.handle; });
    ASSERT_EQ(got.size(), sorted.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].handle, sorted[i].handle) << i;
        EXPECT_EQ(got[i].offset, sorted[i].offset) << i;
    }
    EXPECT_NO_THROW(places.Check(0x300000001));
    auto message = [](const std::vector<ObjectLocation>& v, Handle seed) {
        ObjectPlaces p;
        for (const auto& l : v) p.Add(l.handle, l.offset);
        try {
            p.Check(seed);
        } catch (const CadError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(message(added, 0x300000000).find("handle 300000000 is above the handle seed"), std::string::npos);
    EXPECT_NE(message({{5, 10}, {7, 20}, {5, 30}}, 9).find("handle 5 is used twice"), std::string::npos);
    EXPECT_NE(message({{5, 10}, {0, 20}}, 9).find("an object has no handle"), std::string::npos);
}

// A large drawing saved to a file: written in pieces, the file header patched
// at the end names the sections of the saved file; the object map is paged.
TEST(DwgObjectMap, ALargeSavedDrawingHasAPagedMapAndAPatchedFileHeader) {
    TempDir dir;
    auto path = dir.file("large.dwg");
    auto d = ostrel::test::SiteDrawing(120000);     // several pieces of objects
    SaveDwg(*d, Release::R2000, path);
    auto text = ostrel::test::ReadFile(path);
    std::vector<std::uint8_t> f(text.begin(), text.end());
    const std::size_t crcAt = 0x19 + 6 * 9;
    EXPECT_EQ(Crc16(kDwgCrcSeed, f.data(), crcAt), RS(f, crcAt));
    auto loc = Locators(f);
    ExpectFramed(f, loc[kSectionHeader], kHeaderBegin, kHeaderEnd, "header");
    EXPECT_EQ(loc[kSectionTemplate].address + loc[kSectionTemplate].size, f.size());
    auto m = ParseMap(f, loc[kSectionObjectMap]);
    EXPECT_TRUE(m.crcsMatch);
    ASSERT_GT(m.pageSizes.size(), 3u);
    EXPECT_EQ(m.pageSizes.back(), 2u);
    for (auto s : m.pageSizes) EXPECT_LE(s, kObjectMapPageLimit);
    // Each page starts again from handle 0: its first delta is a whole handle.
    for (std::size_t p = 1; p < m.firstDeltas.size(); ++p) EXPECT_GT(m.firstDeltas[p], 0x20u) << p;
    ASSERT_EQ(m.entries.size(), ObjectCount(*d));
    // Sorted by handle (the writer merges its runs of objects).
    for (std::size_t i = 1; i < m.entries.size(); ++i) ASSERT_LT(m.entries[i - 1].handle, m.entries[i].handle);
    // Every entry names an intact object carrying that handle (the last one too).
    for (std::size_t i = 0; i < m.entries.size(); i = i + 1 == m.entries.size() ? i + 1 : std::min(i + 997, m.entries.size() - 1)) {
        bool crcOk = false;
        auto [type, handle] = ObjectAt(f, m.entries[i].offset, crcOk);
        EXPECT_TRUE(crcOk) << i;
        EXPECT_EQ(handle, m.entries[i].handle);
        EXPECT_GT(type, 0);
    }
}

TEST(DwgObjects, HandleSeedIsAboveEveryHandleInBothHeaders) {
    auto d = ostrel::test::EveryKindDrawing();
    NormalizeForSave(*d);
    auto f = EncodeDwg(*d);
    auto loc = Locators(f);
    auto m = ParseMap(f, loc[kSectionObjectMap]);
    const Handle highest = m.entries.back().handle;

    // The second header's first record is the seed (size, number 0, bytes).
    const std::size_t second = loc[kSectionFreeSpace].address + loc[kSectionFreeSpace].size + 16;
    BitReader r(f.data() + second, loc[kSectionTemplate].address - 16 - second, "test");
    r.RL();
    r.BL();
    r.Skip(12 * 8 + 8 + 8);                 // version, zeros, maintenance, 1
    r.BS();
    r.RS();
    std::int16_t sections = r.BS();
    for (int i = 0; i < sections; ++i) {
        r.RC();
        r.BL();
        r.BL();
    }
    EXPECT_EQ(r.BS(), 14);
    unsigned n = r.RC();
    EXPECT_EQ(r.RC(), 0);
    Handle seed = 0;
    for (unsigned i = 0; i < n; ++i) seed = (seed << 8) | r.RC();
    EXPECT_GT(seed, highest);
    EXPECT_GE(seed, d->HandleSeed()) << "the VX records take handles from the seed on";
    // The aux header repeats it.
    EXPECT_EQ(RL(f, loc[kSectionAuxHeader].address + 3 + 2 + 2 + 4 + 4 + 2 + 2 + 4 + 8 + 12 + 20 + 16), seed);
}

TEST(SaveDwg, OtherReleasesAreRefusedWithTheRuleAndNoFile) {
    TempDir dir;
    auto d = NewDrawing();
    for (Release r : {Release::R12, Release::R13, Release::R14}) {
        auto path = dir.file(std::string("x") + ReleaseName(r) + ".dwg");
        try {
            SaveDwg(*d, r, path);
            FAIL() << ReleaseName(r);
        } catch (const CadError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("DWG ") + ReleaseName(r) +
                                                 " cannot be written; DWG is written as R2000, R2004, R2007, R2010, R2013 "
                                                 "or R2018 (release code 0, 2000, 2004, 2007, 2010, 2013 or 2018)");
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SaveDwg, ReplacesAFileWholeAndLeavesNothingBehindOnFailure) {
    TempDir dir;
    auto path = dir.file("site.dwg");
    ostrel::test::WriteFile(path, "old contents");
    auto d = ostrel::test::EveryKindDrawing();
    SaveDwg(*d, Release::R2000, path);
    auto written = ostrel::test::ReadFile(path);
    EXPECT_EQ(written.substr(0, 6), "AC1015");
    std::size_t files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u);                   // no temporary left

    // A refused release keeps the earlier file as it was.
    EXPECT_THROW(SaveDwg(*d, Release::R14, path), CadError);
    EXPECT_EQ(ostrel::test::ReadFile(path), written);
    // A folder that does not exist: a clear error, nothing created.
    EXPECT_THROW(SaveDwg(*d, Release::R2000, dir.file("missing/site.dwg")), CadError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(AtomicFileWriteAt, OverwritesEarlierBytesAndKeepsAppending) {
    TempDir dir;
    auto path = dir.file("x.bin");
    {
        AtomicFile f(path);
        f.Write("0000abcd", 8);
        f.WriteAt(2, "XY", 2);
        f.Write("ef", 2);
        f.Commit();
    }
    EXPECT_EQ(ostrel::test::ReadFile(path), "00XYabcdef");
}

TEST(SaveDwg, ADrawingWithoutItsSpacesIsRefused) {
    Drawing d;
    d.RebuildIndexes();
    EXPECT_THROW(EncodeDwg(d), CadError);
}
