// A structural check of R2004-family DWG files: file header CRC and copy, page
// and section maps, every page's place, sizes and checksums, decompression,
// framed sections, object map, every object's CRC and handle, the sections
// held. Run on the leading program's and ACadSharp's files (clean), then ours.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_lz77_r2004.h"
#include "cad/dwg/dwg_named_sections.h"
#include "cad/dwg/dwg_r2004_container.h"
#include "cad/dwg/dwg_section_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using namespace ostrel::cad::dwg;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::uint32_t RL(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24; }
std::uint64_t LL(const std::uint8_t* p) { return RL(p) | static_cast<std::uint64_t>(RL(p + 4)) << 32; }

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = ~0u;
    for (std::size_t i = 0; i < 8 * n; ++i) c = (i % 8 ? c : c ^ p[i / 8]) >> 1 ^ (0xEDB88320u & (0u - ((i % 8 ? c : c ^ p[i / 8]) & 1)));
    return ~c;
}

// A system page's data, checked and expanded; `type` its page type.
Bytes SystemPage(const Bytes& f, std::uint64_t at, std::uint32_t type, std::ostream& bad) {
    if (at + 0x14 > f.size() || RL(&f[at]) != type) return bad << "system page " << std::hex << type << " missing; ", Bytes{};
    std::uint8_t head[0x14] = {};
    std::memcpy(head, &f[at], 0x10);
    const std::uint32_t comp = RL(&f[at + 8]);
    Bytes out(RL(&f[at + 4]));
    if (PageChecksum(PageChecksum(0, head, 0x14), &f[at + 0x14], comp) != RL(&f[at + 16]) ||
        DecompressR2004(&f[at + 0x14], comp, out.data(), out.size()) != out.size())
        bad << "system page " << std::hex << type << "; ";
    return out;
}

// AppInfo: class version 3, then "AppInfoDataList" and its strings, each
// after a 16-byte checksum, in UTF-16, to the section's end.
bool AppInfoLayout(const Bytes& s) {
    std::size_t pos = 4;
    auto text = [&] {
        pos += 2 + 2 * (pos + 2 <= s.size() ? s[pos] | s[pos + 1] << 8 : s.size());
        return pos <= s.size() && s[pos - 1] == 0 && s[pos - 2] == 0;
    };
    if (s.size() < 8 || RL(s.data()) != 3 || !text() || pos + 4 > s.size()) return false;
    for (std::uint32_t k = 0, n = RL(&s[pos += 4] - 4); k < n; ++k)
        if (pos += 16, !text()) return false;
    return pos == s.size();
}

// The problems found, "" for none.
std::string CheckR2004Family(const std::string& file) {
    const Bytes f(file.begin(), file.end());
    std::ostringstream bad;
    std::uint8_t head[0x6C];
    for (std::uint32_t i = 0, seed = 1; i < 0x6C; ++i) head[i] = f[0x80 + i] ^ static_cast<std::uint8_t>((seed = seed * 0x343FD + 0x269EC3) >> 16);
    const std::uint32_t crc = RL(head + 0x68);
    std::memset(head + 0x68, 0, 4);
    if (Crc32(head, 0x6C) != crc) bad << "file header CRC; ";
    if (LL(head + 0x34) + 0x6C > f.size() || std::memcmp(&f[LL(head + 0x34)], &f[0x80], 0x6C) != 0) bad << "file header copy; ";
    const Bytes pageMap = SystemPage(f, LL(head + 0x54) + 0x100, 0x41630E3B, bad);
    std::map<std::uint32_t, std::uint64_t> address;
    std::uint64_t at = 0x100;
    for (std::size_t i = 0; i + 8 <= pageMap.size(); i += 8, at += RL(&pageMap[i - 4]))
        if (static_cast<std::int32_t>(RL(&pageMap[i])) > 0) address[RL(&pageMap[i])] = at;
        else i += 16;
    const Bytes map = SystemPage(f, address[RL(head + 0x5C)], 0x4163003B, bad);
    std::map<std::string, Bytes> sections;
    for (std::size_t pos = 20, k = 0; map.size() >= 20 && k < RL(&map[0]) && pos + 0x60 <= map.size(); ++k) {
        const std::uint8_t* d = &map[pos];
        const std::string name(reinterpret_cast<const char*>(d + 32));
        Bytes& data = sections[name];
        data.resize(LL(d));
        pos += 0x60;
        for (std::uint32_t p = 0; p < RL(d + 8); ++p, pos += 16) {
            const std::uint64_t a = address[RL(&map[pos])];
            std::uint8_t h[32];
            for (int w = 0; w < 8; ++w) for (int b = 0; b < 4; ++b) h[4 * w + b] = f[a + 4 * w + b] ^ static_cast<std::uint8_t>((0x4164536Bu ^ a) >> 8 * b);
            const std::uint32_t comp = RL(h + 8), dataSum = PageChecksum(0, &f[a + 32], comp), headSum = RL(h + 24);
            std::memset(h + 24, 0, 4);
            if (RL(h) != 0x4163043B || RL(h + 4) != RL(d + 24) || comp != RL(&map[pos + 4])) bad << name << " page header; ";
            if (RL(h + 12) != ((32 + comp + 31) & ~31u)) bad << name << " page size in the file; ";
            if (dataSum != RL(h + 28) || PageChecksum(dataSum, h, 32) != headSum) bad << name << " page checksums; ";
            Bytes page(RL(d + 12));
            const std::size_t made = RL(d + 20) == 2 ? DecompressR2004(&f[a + 32], comp, page.data(), page.size()) : comp;
            if (RL(d + 20) != 2) std::memcpy(page.data(), &f[a + 32], std::min<std::size_t>(comp, page.size()));
            const std::uint64_t off = LL(&map[pos + 8]);
            if (off < data.size()) std::memcpy(&data[off], page.data(), std::min<std::size_t>(made, data.size() - off));
        }
    }
    for (const char* s : {"AcDb:Header", "AcDb:Classes", "AcDb:Handles", "AcDb:AcDbObjects", "AcDb:ObjFreeSpace",
                          "AcDb:Template", "AcDb:AuxHeader", "AcDb:Preview", "AcDb:SummaryInfo", "AcDb:AppInfo",
                          "AcDb:AppInfoHistory", "AcDb:RevHistory"})
        if (sections.count(s) == 0) bad << s << " missing; ";
    if (!bad.str().empty()) return bad.str();
    if (!AppInfoLayout(sections["AcDb:AppInfo"])) bad << "AcDb:AppInfo layout; ";
    const Release release = *ReleaseFromAcadVersion(std::string(f.begin(), f.begin() + 6));
    const bool hi = SectionSizeHasHighPart(release, f[0x0B]);
    auto whole = [](const Bytes& s) { return SectionLocator{0, 0, static_cast<std::uint32_t>(s.size())}; };
    const Bytes &header = sections["AcDb:Header"], &classes = sections["AcDb:Classes"];
    const Bytes &objects = sections["AcDb:AcDbObjects"], &handles = sections["AcDb:Handles"];
    try {
        FramedSectionData(header.data(), header.size(), whole(header), kHeaderBegin, kHeaderEnd, "header", true, hi);
        FramedSectionData(classes.data(), classes.size(), whole(classes), kClassesBegin, kClassesEnd, "classes", true, hi);
        for (const auto& loc : ReadObjectMap(handles.data(), handles.size(), whole(handles), true, objects.size())) {
            std::size_t pos = loc.offset;
            const std::uint32_t size = ReadModularShort(objects.data(), objects.size(), pos);
            if (release >= Release::R2010) ReadModularChar(objects.data(), objects.size(), pos);
            if (pos + size + 2 > objects.size()) { bad << "object " << loc.handle << " past the section; "; break; }
            if (Crc16(kDwgCrcSeed, &objects[loc.offset], pos + size - loc.offset) != (objects[pos + size] | objects[pos + size + 1] << 8))
                bad << "object " << std::hex << loc.handle << " CRC; ";
            BitReader r(&objects[pos], size, "object");
            if (release >= Release::R2010) r.Bits(r.BB() == 2 ? 16 : 8);
            else r.BS(), r.RL();
            if (r.H().value != loc.handle) bad << "object " << std::hex << loc.handle << " handle; ";
        }
    } catch (const std::exception& x) { bad << x.what() << "; "; }
    return bad.str();
}

} // namespace

TEST(DwgStructure, FilesOfTheLeadingProgramAndAcadSharpCheckClean) {
    const auto dir = ostrel::test::SharedCases("real-dwg");
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "the real DWG files (../shared/cases/real-dwg) are absent";
    int checked = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string f = ostrel::test::ReadFile(e.path());
        const auto release = ReleaseFromAcadVersion(f.substr(0, 6));
        if (!release || *release < Release::R2004 || *release == Release::R2007) continue;
        EXPECT_EQ(CheckR2004Family(f), "") << e.path();
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

TEST(DwgStructure, OursCheckCleanInEveryReleaseAndADamagedPageIsFound) {
    ostrel::test::TempDir dir;
    auto d = ostrel::test::EveryKindDrawing();
    for (Release release : {Release::R2004, Release::R2010, Release::R2013, Release::R2018}) {
        SaveDwg(*d, release, dir.file("out.dwg"));
        std::string f = ostrel::test::ReadFile(dir.file("out.dwg"));
        EXPECT_EQ(CheckR2004Family(f), "") << ReleaseName(release);
        f[0x100 + 40] ^= 1;                     // a byte of the first page's data
        EXPECT_NE(CheckR2004Family(f).find("checksums"), std::string::npos) << ReleaseName(release);
    }
}
