#include "cad/dwg/r2007_container.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "cad/drawing.h"
#include "cad/dwg/lz77_r21.h"
#include "cad/dwg/r2007_crc.h"
#include "cad/dwg/r2007_random.h"
#include "cad/dwg/reed_solomon.h"

namespace ostrel::cad::dwg::r2007 {

namespace {

constexpr std::size_t kMetaSize = 0x80;
constexpr std::size_t kHeaderPageSize = 0x400;
constexpr std::uint64_t kPagesBase = 0x480;  // page offsets in the maps count from here
constexpr std::size_t kHeaderDataSize = 0x110;
constexpr std::size_t kCheckDataAt = 0x3D8;
constexpr std::size_t kHeaderBlocks = 3;
constexpr std::size_t kHeaderPreSize = kHeaderBlocks * 239;
constexpr std::uint64_t kCrcSeed = 0;  // the seed every writer known uses
constexpr std::uint64_t kRandomSeed = 0x5A17C0DEu;
constexpr std::uint64_t kMaxPageData = 0x1000000;  // 16 MiB: no page of a real file comes near
constexpr std::size_t kSectionRecord = 64;
constexpr std::size_t kPageRecord = 56;

// Fields of the decompressed file header (byte offsets).
enum HeaderField : std::size_t {
    kHeaderSize = 0x00,
    kFileSize = 0x08,
    kPagesMapCrcCompressed = 0x10,
    kPagesMapCorrection = 0x18,
    kPagesMapCrcSeed = 0x20,
    kPagesMap2Offset = 0x28,
    kPagesMap2Id = 0x30,
    kPagesMapOffset = 0x38,
    kPagesMapId = 0x40,
    kHeader2Offset = 0x48,
    kPagesMapSizeCompressed = 0x50,
    kPagesMapSizeUncompressed = 0x58,
    kPagesAmount = 0x60,
    kPagesMaxId = 0x68,
    kUnknown20 = 0x70,
    kUnknown40 = 0x78,
    kPagesMapCrcUncompressed = 0x80,
    kUnknownF800 = 0x88,
    kUnknown4 = 0x90,
    kUnknown1 = 0x98,
    kSectionsAmount = 0xA0,
    kSectionsMapCrcUncompressed = 0xA8,
    kSectionsMapSizeCompressed = 0xB0,
    kSectionsMap2Id = 0xB8,
    kSectionsMapId = 0xC0,
    kSectionsMapSizeUncompressed = 0xC8,
    kSectionsMapCrcCompressed = 0xD0,
    kSectionsMapCorrection = 0xD8,
    kSectionsMapCrcSeed = 0xE0,
    kStreamVersion = 0xE8,
    kCrcSeedField = 0xF0,
    kCrcSeedEncoded = 0xF8,
    kRandomSeedField = 0x100,
    kHeaderCrc = 0x108,
};

[[noreturn]] void Fail(const std::string& what) { throw CadError("R2007 DWG: " + what); }

std::uint64_t Get64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

void Put64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Append64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    const std::size_t at = out.size();
    out.resize(at + 8);
    Put64(out.data() + at, v);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint64_t Align(std::uint64_t v, std::uint64_t a) { return (v + a - 1) / a * a; }

// The rotation the check words are built with.
std::uint64_t Rotate(std::uint64_t value, std::uint64_t control) {
    const unsigned shift = static_cast<unsigned>(control & 0x1F);
    return shift == 0 ? value : (value << shift) | (value >> (64 - shift));
}

// The two CRCs of the header page's check data, from its two random words.
std::pair<std::uint64_t, std::uint64_t> CheckCrcs(std::uint64_t r1, std::uint64_t r2) {
    std::uint64_t b[8];
    std::uint8_t bytes[64];
    b[0] = Rotate(r1, r2);
    b[1] = Rotate(b[0], b[0]);
    b[2] = Rotate(r2, b[1]);
    b[3] = Rotate(b[2], b[2]);
    b[4] = Rotate(r1, b[3]);
    b[5] = Rotate(b[4], b[4]);
    b[6] = Rotate(b[5], b[5]);
    b[7] = Rotate(b[6], b[6]);
    for (int i = 0; i < 8; ++i) Put64(bytes + 8 * i, b[i]);
    const std::uint64_t normal = Crc64Normal(~r2, bytes, 64);
    b[0] = Rotate(r1, r2);
    b[1] = Rotate(normal, b[0]);
    b[2] = Rotate(r2, b[1]);
    b[3] = Rotate(normal, b[2]);
    b[4] = Rotate(r1, b[3]);
    b[5] = Rotate(normal, b[4]);
    b[6] = Rotate(r2, b[5]);
    b[7] = Rotate(b[6], b[6]);
    for (int i = 0; i < 8; ++i) Put64(bytes + 8 * i, b[i]);
    return {normal, Crc64Mirrored(~r1, bytes, 64)};
}

std::uint64_t SequenceCrc(std::uint64_t first) {
    std::uint8_t seq[16];
    Put64(seq, first);
    Put64(seq + 8, Rotate(first, first));
    return Crc64Normal(UpdateSeed1(0, 16), seq, 16);
}

// ---- what the format keeps for each section -------------------------------
struct SectionKind {
    const char* name;
    std::uint32_t hash;
    std::uint32_t pageSize;
};

// In section-map order; the data pages go to the file in kFileOrder.
constexpr SectionKind kKinds[] = {
    {"AcDb:Security", 0x4A0204EA, 0xF800},   {"AcDb:FileDepList", 0x6C4205CA, 0x100},
    {"AcDb:VBAProject", 0x586E0544, 0xF800}, {"AcDb:AppInfo", 0x3FA0043E, 0x300},
    {"AcDb:Preview", 0x40AA0473, 0x400},     {"AcDb:SummaryInfo", 0x717A060F, 0x80},
    {"AcDb:RevHistory", 0x60A205B3, 0x1000}, {"AcDb:AcDbObjects", 0x674C05A9, 0xF800},
    {"AcDb:ObjFreeSpace", 0x77E2061F, 0xF800}, {"AcDb:Template", 0x4A1404CE, 0x400},
    {"AcDb:Handles", 0x3F6E0450, 0xF800},    {"AcDb:Classes", 0x3F54045F, 0xF800},
    {"AcDb:AuxHeader", 0x54F0050A, 0x800},   {"AcDb:Header", 0x32B803D9, 0x800},
    {"AcDb:AppInfoHistory", 0, 0x580},
};
constexpr const char* kFileOrder[] = {"AcDb:SummaryInfo", "AcDb:Preview",      "AcDb:VBAProject",
                                      "AcDb:AppInfo",     "AcDb:AppInfoHistory", "AcDb:FileDepList",  "AcDb:RevHistory",
                                      "AcDb:Security",    "AcDb:AcDbObjects",  "AcDb:ObjFreeSpace",
                                      "AcDb:Template",    "AcDb:Handles",      "AcDb:Classes",
                                      "AcDb:AuxHeader",   "AcDb:Header"};

int MapRank(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (name == kKinds[i].name) return static_cast<int>(i);
    return static_cast<int>(std::size(kKinds));
}

int FileRank(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kFileOrder); ++i)
        if (name == kFileOrder[i]) return static_cast<int>(i);
    return static_cast<int>(std::size(kFileOrder));
}

const SectionKind* KindOf(const std::string& name) {
    for (const auto& k : kKinds)
        if (name == k.name) return &k;
    return nullptr;
}

// ---- system pages ---------------------------------------------------------
std::uint64_t SystemPageSize(std::uint64_t dataSize) {
    const std::uint64_t aligned = Align(dataSize, 8);
    const std::uint64_t size = (aligned * 2 + 238) / 239 * 255;
    return size < 0x400 ? 0x400 : Align(size, 0x20);
}

struct SystemPage {
    std::vector<std::uint8_t> bytes;
    std::uint64_t uSize = 0, cSize = 0, crcU = 0, crcC = 0, repeat = 0;
};

SystemPage EncodeSystemPage(const std::vector<std::uint8_t>& data, CrcRandom& rnd) {
    SystemPage page;
    page.uSize = data.size();
    page.crcU = Crc64Mirrored(UpdateSeed1(kCrcSeed, page.uSize), data.data(), data.size());
    std::vector<std::uint8_t> comp = lz77r21::Compress(data.data(), data.size());
    const std::vector<std::uint8_t>& stored = comp.size() < data.size() ? comp : data;
    page.cSize = stored.size();
    page.crcC = Crc64Mirrored(UpdateSeed1(kCrcSeed, page.cSize), stored.data(), stored.size());

    const std::uint64_t pageSize = SystemPageSize(page.uSize);
    const std::uint64_t aligned = Align(page.cSize, 8);
    page.repeat = (pageSize / 255) * 239 / aligned;
    const std::uint64_t blocks = (aligned * page.repeat + 238) / 239;
    std::vector<std::uint8_t> pre(blocks * 239, 0);
    for (std::uint64_t r = 0; r < page.repeat; ++r) std::copy(stored.begin(), stored.end(), pre.begin() + r * aligned);
    const std::uint64_t used = aligned * page.repeat;
    rnd.Fill(pre.data() + used, pre.size() - used);
    page.bytes.assign(pageSize, 0);
    RsEncodeBlocks(SystemPageCode(), pre.data(), blocks, true, page.bytes.data());
    rnd.Fill(page.bytes.data() + blocks * 255, pageSize - blocks * 255);
    return page;
}

std::vector<std::uint8_t> ReadSystemPage(const std::uint8_t* file, std::size_t fileSize, std::uint64_t at,
                                         std::uint64_t cSize, std::uint64_t uSize, std::uint64_t repeat,
                                         std::uint64_t seed, std::uint64_t crcC, std::uint64_t crcU,
                                         const char* what, long& corrected) {
    const std::string name(what);
    if (cSize == 0 || uSize == 0 || cSize > uSize || cSize > fileSize || uSize > 4 * fileSize + 0x10000 || repeat == 0)
        Fail("the " + name + " sizes do not fit the file");
    const std::uint64_t aligned = Align(cSize, 8);
    if (repeat > fileSize / aligned + 1) Fail("the " + name + " repeat count does not fit the file");
    const std::uint64_t blocks = (aligned * repeat + 238) / 239;
    if (at > fileSize || blocks * 255 > fileSize - at) Fail("the " + name + " runs past the end of the file");
    std::vector<std::uint8_t> pre(blocks * 239);
    const long fixed = RsDecodeBlocks(SystemPageCode(), file + at, blocks, true, pre.data());
    if (fixed < 0) Fail("the " + name + " is damaged beyond repair");
    corrected += fixed;
    // The page holds `repeat` copies: take the first whose CRC holds.
    const std::uint64_t seedC = UpdateSeed1(seed, cSize);
    for (std::uint64_t r = 0; r < repeat; ++r) {
        const std::uint8_t* copy = pre.data() + r * aligned;
        if (Crc64Mirrored(seedC, copy, cSize) != crcC) continue;
        std::vector<std::uint8_t> data(uSize);
        if (cSize < uSize)
            lz77r21::Decompress(copy, cSize, data.data(), uSize);
        else
            std::copy(copy, copy + cSize, data.begin());
        if (Crc64Mirrored(UpdateSeed1(seed, uSize), data.data(), uSize) != crcU)
            Fail("the " + name + " CRC does not match its data");
        return data;
    }
    Fail("the " + name + " CRC does not match (compressed data)");
}

// ---- data pages -----------------------------------------------------------
struct DataPage {
    std::uint64_t offset = 0, id = 0, uSize = 0, cSize = 0, checksum = 0, crc = 0;
    std::vector<std::uint8_t> bytes;  // as in the file
};

struct SectionOut {
    const NamedSection* section = nullptr;
    std::uint32_t hash = 0;
    std::uint64_t pageSize = 0;
    bool compressed = false;
    std::vector<DataPage> pages;
};

DataPage EncodeDataPage(const std::uint8_t* data, std::size_t n, bool compress, CrcRandom& rnd) {
    DataPage page;
    page.uSize = n;
    page.checksum = PageChecksum(kCrcSeed, data, n);
    std::vector<std::uint8_t> comp;
    if (compress) comp = lz77r21::Compress(data, n);
    const bool useComp = compress && comp.size() < n;
    const std::uint8_t* stored = useComp ? comp.data() : data;
    page.cSize = useComp ? comp.size() : n;
    page.crc = Crc64Mirrored(UpdateSeed1(kCrcSeed, page.cSize), stored, page.cSize);
    const std::uint64_t aligned = Align(page.cSize, 8);
    const std::uint64_t blocks = std::max<std::uint64_t>(1, (aligned + 250) / 251);
    std::vector<std::uint8_t> pre(blocks * 251, 0);
    std::copy(stored, stored + page.cSize, pre.begin());
    rnd.Fill(pre.data() + aligned, pre.size() - aligned);
    page.bytes.assign(Align(blocks * 255, 0x20), 0);
    RsEncodeBlocks(DataPageCode(), pre.data(), blocks, compress, page.bytes.data());
    return page;
}

std::vector<std::uint8_t> Utf16Name(const std::string& name) {
    std::vector<std::uint8_t> out;
    for (char c : name) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

} // namespace

// ============================================================== writer =====

namespace {

// The sections in map order, each cut into its encoded pages.
std::vector<SectionOut> EncodeSections(const std::vector<NamedSection>& sections, CrcRandom& rnd) {
    std::vector<SectionOut> outs;
    for (const auto& s : sections) {
        for (const auto& o : outs)
            if (o.section->name == s.name) Fail("section " + s.name + " given twice");
        if (s.name.empty() || s.name.size() > 60) Fail("a section name must have 1-60 characters");
        SectionOut o;
        o.section = &s;
        const SectionKind* kind = KindOf(s.name);
        o.hash = kind ? kind->hash : 0;
        o.compressed = s.compressed;
        const std::uint64_t base = kind ? kind->pageSize : 0xF800;
        // Plain sections keep all their data in one page.
        o.pageSize = o.compressed ? base : std::max<std::uint64_t>(base, Align(s.data.size(), 0x20));
        outs.push_back(std::move(o));
    }
    std::stable_sort(outs.begin(), outs.end(), [](const SectionOut& a, const SectionOut& b) {
        return MapRank(a.section->name) < MapRank(b.section->name);
    });
    for (auto& o : outs) {
        const auto& data = o.section->data;
        for (std::size_t at = 0; at < data.size(); at += o.pageSize) {
            const std::size_t n = std::min<std::size_t>(o.pageSize, data.size() - at);
            DataPage page = EncodeDataPage(data.data() + at, n, o.compressed, rnd);
            page.offset = at;
            o.pages.push_back(std::move(page));
        }
    }
    return outs;
}

// Data pages in file order, numbered in file order from 3 (the page map is
// 1, its copy 2; the section map and its copy follow the data pages).
std::vector<DataPage*> NumberPages(std::vector<SectionOut>& outs) {
    std::vector<SectionOut*> byFile;
    for (auto& o : outs) byFile.push_back(&o);
    std::stable_sort(byFile.begin(), byFile.end(), [](const SectionOut* a, const SectionOut* b) {
        return FileRank(a->section->name) < FileRank(b->section->name);
    });
    std::vector<DataPage*> fileOrder;
    for (SectionOut* o : byFile)
        for (auto& p : o->pages) fileOrder.push_back(&p);
    std::uint64_t nextId = 3;
    for (DataPage* p : fileOrder) p->id = nextId++;
    return fileOrder;
}

// Each section with its pages, then the empty descriptor that closes the map.
std::vector<std::uint8_t> SectionMapData(const std::vector<SectionOut>& outs) {
    std::vector<std::uint8_t> sectionMap;
    for (const auto& o : outs) {
        const auto name = Utf16Name(o.section->name);
        // Size, page size, not encrypted, hash, name size, 0, compressed (4) or not, pages.
        for (std::uint64_t v : {std::uint64_t{o.section->data.size()}, o.pageSize, std::uint64_t{0}, std::uint64_t{o.hash},
                                std::uint64_t{name.size()}, std::uint64_t{0}, std::uint64_t{o.compressed ? 4u : 1u},
                                std::uint64_t{o.pages.size()}})
            Append64(sectionMap, v);
        sectionMap.insert(sectionMap.end(), name.begin(), name.end());
        for (const auto& p : o.pages)
            for (std::uint64_t v : {p.offset, std::uint64_t{p.bytes.size()}, p.id, p.uSize, p.cSize, p.checksum, p.crc})
                Append64(sectionMap, v);
    }
    for (int i = 0; i < 8; ++i) Append64(sectionMap, i == 6 ? 4 : 0);
    return sectionMap;
}

// Where things lie: the page maps, the data pages, the section maps, the
// header's copy.
struct Layout {
    std::uint64_t pageMapSize = 0, pageCount = 0, sectionMapId = 0, maxId = 0;
    std::uint64_t sectionMapAt = 0, header2At = 0, fileSize = 0;
};

// The page map: every page in file order, with its size.
SystemPage PageMap(const std::vector<DataPage*>& fileOrder, const SystemPage& sectionPage, Layout& at,
                   CrcRandom& rnd) {
    at.pageCount = 4 + fileOrder.size();
    at.pageMapSize = SystemPageSize(at.pageCount * 16);
    at.sectionMapId = 3 + fileOrder.size();
    at.maxId = at.sectionMapId + 1;
    std::vector<std::uint8_t> pageMap;
    for (std::uint64_t v : {at.pageMapSize, std::uint64_t{1}, at.pageMapSize, std::uint64_t{2}}) Append64(pageMap, v);
    std::uint64_t pos = kPagesBase + 2 * at.pageMapSize;
    for (DataPage* p : fileOrder) {
        Append64(pageMap, p->bytes.size());
        Append64(pageMap, p->id);
        pos += p->bytes.size();
    }
    at.sectionMapAt = pos;
    for (std::uint64_t v : {std::uint64_t{sectionPage.bytes.size()}, at.sectionMapId,
                            std::uint64_t{sectionPage.bytes.size()}, at.sectionMapId + 1})
        Append64(pageMap, v);
    at.header2At = pos + 2 * sectionPage.bytes.size();
    at.fileSize = at.header2At + kHeaderPageSize;
    SystemPage pagePage = EncodeSystemPage(pageMap, rnd);
    if (pagePage.bytes.size() != at.pageMapSize) Fail("internal: page map size");
    return pagePage;
}

// The random values the header page's check data holds.
struct CheckData {
    std::uint64_t random1 = 0, random2 = 0, seed = 0;
};

// The file header data, its fields filled in the order the format derives them.
std::array<std::uint8_t, kHeaderDataSize> FileHeaderData(const Layout& at, const SystemPage& pagePage,
                                                     const SystemPage& sectionPage, std::size_t sections,
                                                     CheckData& check, CrcRandom& rnd) {
    std::array<std::uint8_t, kHeaderDataSize> header{};
    const auto set = [&](std::size_t field, std::uint64_t v) { Put64(header.data() + field, v); };
    set(kSectionsMapCrcSeed, rnd.Encode(static_cast<std::uint32_t>(kCrcSeed)));
    set(kPagesMapCrcSeed, rnd.Encode(static_cast<std::uint32_t>(kCrcSeed)));
    check.random1 = rnd.Next();
    check.random2 = rnd.Next();
    check.seed = rnd.Encode(static_cast<std::uint32_t>(kCrcSeed));
    set(kCrcSeedEncoded, rnd.Encode(static_cast<std::uint32_t>(kCrcSeed)));
    const std::pair<std::size_t, std::uint64_t> fields[] = {
        {kHeaderSize, 0x70}, {kFileSize, at.fileSize}, {kPagesMapCrcCompressed, pagePage.crcC},
        {kPagesMapCorrection, pagePage.repeat}, {kPagesMap2Offset, at.pageMapSize}, {kPagesMap2Id, 2},
        {kPagesMapOffset, 0}, {kPagesMapId, 1}, {kHeader2Offset, at.header2At - kPagesBase},
        {kPagesMapSizeCompressed, pagePage.cSize}, {kPagesMapSizeUncompressed, pagePage.uSize},
        {kPagesAmount, at.pageCount}, {kPagesMaxId, at.maxId}, {kUnknown20, 0x20}, {kUnknown40, 0x40},
        {kPagesMapCrcUncompressed, pagePage.crcU}, {kUnknownF800, 0xF800}, {kUnknown4, 4}, {kUnknown1, 1},
        {kSectionsAmount, sections + 1}, {kSectionsMapCrcUncompressed, sectionPage.crcU},
        {kSectionsMapSizeCompressed, sectionPage.cSize}, {kSectionsMap2Id, at.sectionMapId + 1},
        {kSectionsMapId, at.sectionMapId}, {kSectionsMapSizeUncompressed, sectionPage.uSize},
        {kSectionsMapCrcCompressed, sectionPage.crcC}, {kSectionsMapCorrection, sectionPage.repeat},
        {kStreamVersion, 0x60100}, {kCrcSeedField, kCrcSeed}, {kRandomSeedField, kRandomSeed}};
    for (const auto& [field, v] : fields) set(field, v);
    set(kHeaderCrc, Crc64Normal(UpdateSeed2(0, kHeaderDataSize), header.data(), header.size()));
    return header;
}

// The header page: the header data (compressed where that is shorter)
// behind a check sequence, repeated over three Reed-Solomon blocks, then
// filler and the check data.
std::array<std::uint8_t, kHeaderPageSize> HeaderPage(const std::array<std::uint8_t, kHeaderDataSize>& header,
                                                     const CheckData& check, CrcRandom& rnd) {
    std::vector<std::uint8_t> comp = lz77r21::Compress(header.data(), header.size());
    const bool useComp = comp.size() < header.size();
    const std::uint8_t* stored = useComp ? comp.data() : header.data();
    const std::size_t storedSize = useComp ? comp.size() : header.size();
    const std::uint64_t first = rnd.Next();
    std::vector<std::uint8_t> block(32 + Align(storedSize, 8));
    Put64(block.data(), SequenceCrc(first));
    Put64(block.data() + 8, first);
    Put64(block.data() + 16, Crc64Normal(UpdateSeed2(0, storedSize), stored, storedSize));
    Put32(block.data() + 24, useComp ? static_cast<std::uint32_t>(storedSize)
                                     : static_cast<std::uint32_t>(-static_cast<std::int32_t>(storedSize)));
    Put32(block.data() + 28, 0);
    std::copy(stored, stored + storedSize, block.begin() + 32);
    rnd.Fill(block.data() + 32 + storedSize, block.size() - 32 - storedSize);
    std::array<std::uint8_t, kHeaderPreSize> pre{};
    std::size_t used = 0;
    for (; used + block.size() <= pre.size(); used += block.size()) std::copy(block.begin(), block.end(), pre.begin() + used);
    rnd.Fill(pre.data() + used, pre.size() - used);
    std::array<std::uint8_t, kHeaderPageSize> headerPage{};
    RsEncodeBlocks(SystemPageCode(), pre.data(), kHeaderBlocks, true, headerPage.data());
    rnd.Fill(headerPage.data() + kHeaderBlocks * 255, kCheckDataAt - kHeaderBlocks * 255);
    const auto [checkNormal, checkMirrored] = CheckCrcs(check.random1, check.random2);
    std::size_t k = 0;
    for (std::uint64_t v : {checkNormal, checkMirrored, check.random1, check.random2, check.seed})
        Put64(headerPage.data() + kCheckDataAt + 8 * k++, v);
    return headerPage;
}

// The meta data: release, the facts, and where the side sections begin
// (the first page of each).
std::vector<std::uint8_t> MetaData(const FileFacts& facts, const std::vector<SectionOut>& outs,
                                   const std::vector<DataPage*>& fileOrder, const Layout& at) {
    const auto addressOf = [&](const char* name) -> std::uint32_t {
        std::uint64_t pos = kPagesBase + 2 * at.pageMapSize;
        for (DataPage* p : fileOrder) {
            for (const auto& o : outs)
                if (o.section->name == name && !o.pages.empty() && &o.pages.front() == p)
                    return static_cast<std::uint32_t>(pos);
            pos += p->bytes.size();
        }
        return 0;
    };
    std::vector<std::uint8_t> file(kMetaSize, 0);
    std::memcpy(file.data(), "AC1021", 6);
    file[0x0B] = facts.maintenanceVersion;
    file[0x0C] = facts.zeroOneOrThree;
    Put32(file.data() + 0x0D, addressOf("AcDb:Preview"));
    file[0x11] = facts.writerVersion;
    file[0x12] = facts.writerMaintenance;
    file[0x13] = static_cast<std::uint8_t>(facts.codePage);
    file[0x14] = static_cast<std::uint8_t>(facts.codePage >> 8);
    Put32(file.data() + 0x20, addressOf("AcDb:SummaryInfo"));
    Put32(file.data() + 0x24, addressOf("AcDb:VBAProject"));
    Put32(file.data() + 0x28, 0x80);
    Put32(file.data() + 0x2C, addressOf("AcDb:AppInfo"));
    return file;
}

} // namespace

// File order: meta data, header page, page map and its copy, data pages,
// section map and its copy, header page again.
std::vector<std::uint8_t> WriteContainer(const std::vector<NamedSection>& sections, const FileFacts& facts) {
    CrcRandom rnd(kRandomSeed);
    std::vector<SectionOut> outs = EncodeSections(sections, rnd);
    const std::vector<DataPage*> fileOrder = NumberPages(outs);
    const SystemPage sectionPage = EncodeSystemPage(SectionMapData(outs), rnd);
    Layout at;
    const SystemPage pagePage = PageMap(fileOrder, sectionPage, at, rnd);
    CheckData check;
    const auto header = FileHeaderData(at, pagePage, sectionPage, outs.size(), check, rnd);
    const auto headerPage = HeaderPage(header, check, rnd);

    std::vector<std::uint8_t> file = MetaData(facts, outs, fileOrder, at);
    file.reserve(at.fileSize);
    file.insert(file.end(), headerPage.begin(), headerPage.end());
    for (int copy = 0; copy < 2; ++copy) file.insert(file.end(), pagePage.bytes.begin(), pagePage.bytes.end());
    for (DataPage* p : fileOrder) file.insert(file.end(), p->bytes.begin(), p->bytes.end());
    if (file.size() != at.sectionMapAt) Fail("internal: page layout");
    for (int copy = 0; copy < 2; ++copy) file.insert(file.end(), sectionPage.bytes.begin(), sectionPage.bytes.end());
    file.insert(file.end(), headerPage.begin(), headerPage.end());
    if (file.size() != at.fileSize) Fail("internal: file size");
    return file;
}

// ============================================================== reader =====

namespace {

struct HeaderData {
    std::array<std::uint8_t, kHeaderDataSize> bytes{};
    std::uint64_t operator[](std::size_t field) const { return Get64(bytes.data() + field); }
};

HeaderData DecodeHeaderPage(const std::uint8_t* page, long& corrected) {
    std::array<std::uint8_t, kHeaderPreSize> pre{};
    const long fixed = RsDecodeBlocks(SystemPageCode(), page, kHeaderBlocks, true, pre.data());
    if (fixed < 0) Fail("the file header is damaged beyond repair");
    const std::uint64_t first = Get64(pre.data() + 8);
    if (Get64(pre.data()) != SequenceCrc(first)) Fail("the file header check sequence does not match");
    const auto compLen = static_cast<std::int32_t>(Get32(pre.data() + 24));
    const std::int64_t len = compLen < 0 ? -static_cast<std::int64_t>(compLen) : compLen;
    if (len == 0 || len > static_cast<std::int64_t>(kHeaderPreSize - 32)) Fail("the file header data length is wrong");
    const std::uint8_t* stored = pre.data() + 32;
    if (Get64(pre.data() + 16) != Crc64Normal(UpdateSeed2(0, static_cast<std::uint64_t>(len)), stored, len))
        Fail("the file header data CRC does not match");
    HeaderData h;
    if (compLen > 0) {
        lz77r21::Decompress(stored, static_cast<std::size_t>(len), h.bytes.data(), h.bytes.size());
    } else {
        if (len != static_cast<std::int64_t>(kHeaderDataSize)) Fail("the file header data length is wrong");
        std::copy(stored, stored + len, h.bytes.begin());
    }
    auto zeroed = h.bytes;
    Put64(zeroed.data() + kHeaderCrc, 0);
    if (h[kHeaderCrc] != Crc64Normal(UpdateSeed2(0, kHeaderDataSize), zeroed.data(), zeroed.size()))
        Fail("the file header CRC does not match");
    const std::uint8_t* check = page + kCheckDataAt;
    const auto [normal, mirrored] = CheckCrcs(Get64(check + 16), Get64(check + 24));
    if (Get64(check) != normal || Get64(check + 8) != mirrored) Fail("the file header check data does not match");
    if (CrcRandom::Decode(Get64(check + 32)) != h[kCrcSeedField] || CrcRandom::Decode(h[kCrcSeedEncoded]) != h[kCrcSeedField])
        Fail("the file header CRC seed does not match its check data");
    corrected += fixed;
    return h;
}

struct PageSpot {
    std::uint64_t at = 0, size = 0;
};

std::string NameFromUtf16(const std::uint8_t* p, std::size_t bytes) {
    std::string name;
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const unsigned c = p[i] | (static_cast<unsigned>(p[i + 1]) << 8);
        if (c == 0) break;
        name.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return name;
}

struct PageFacts {
    std::uint64_t cSize = 0, uSize = 0, checksum = 0, crc = 0;
};

// One data page into `dst` (uSize bytes). A page stored as it is (its
// compressed size its size) lies in the file without Reed-Solomon coding in
// the leading program's files, and coded (255, 251) in ours: the CRC tells
// which. Coded pages are interleaved in sections kept compressed, one block
// after another in the others.
void ReadDataPage(const std::uint8_t* file, const PageSpot& spot, const PageFacts& page, std::uint64_t seed,
                  bool interleaved, const std::string& where, std::uint8_t* dst, long& corrected) {
    const std::uint64_t crcSeed = UpdateSeed1(seed, page.cSize);
    const bool stored = page.cSize == page.uSize;
    if (stored && page.cSize <= spot.size && Crc64Mirrored(crcSeed, file + spot.at, page.cSize) == page.crc) {
        std::copy(file + spot.at, file + spot.at + page.cSize, dst);
    } else {
        const std::uint64_t blocks = (Align(page.cSize, 8) + 250) / 251;
        if (blocks * 255 > spot.size)
            Fail(where + ": expected its " + std::to_string(page.cSize) + " bytes, coded, within its page of " +
                 std::to_string(spot.size) + " bytes");
        std::vector<std::uint8_t> coded(blocks * 251);
        const long fixed = RsDecodeBlocks(DataPageCode(), file + spot.at, blocks, interleaved, coded.data());
        if (fixed < 0) Fail(where + " is damaged beyond repair");
        corrected += fixed;
        if (Crc64Mirrored(crcSeed, coded.data(), page.cSize) != page.crc)
            Fail(where + ": the CRC does not match (the file is damaged)");
        if (stored)
            std::copy(coded.begin(), coded.begin() + static_cast<std::ptrdiff_t>(page.cSize), dst);
        else
            lz77r21::Decompress(coded.data(), page.cSize, dst, page.uSize);
    }
    if (PageChecksum(seed, dst, page.uSize) != page.checksum)
        Fail(where + ": the checksum does not match (the file is damaged)");
}

using PageSpots = std::map<std::uint64_t, PageSpot>;

PageSpot SpotOf(const PageSpots& pages, std::uint64_t id, const std::string& what) {
    const auto it = pages.find(id);
    if (it == pages.end()) Fail(what + " names page " + std::to_string(id) + ", which the page map does not have");
    return it->second;
}

// The header at 0x80, else its copy at the end of the file; the meta data's
// facts into `out`.
HeaderData ReadFileHeader(const std::uint8_t* file, std::size_t size, Container& out) {
    if (size < kPagesBase || std::memcmp(file, "AC1021", 6) != 0) Fail("not an AC1021 file, or cut short before its header (the file is damaged)");
    out.facts.maintenanceVersion = file[0x0B];
    out.facts.zeroOneOrThree = file[0x0C];
    out.facts.writerVersion = file[0x11];
    out.facts.writerMaintenance = file[0x12];
    out.facts.codePage = static_cast<std::uint16_t>(file[0x13] | (file[0x14] << 8));
    HeaderData h;
    try {
        h = DecodeHeaderPage(file + kMetaSize, out.correctedBytes);
    } catch (const CadError&) {
        if (size < kPagesBase + kHeaderPageSize) throw;
        h = DecodeHeaderPage(file + size - kHeaderPageSize, out.correctedBytes);
    }
    if (h[kFileSize] != size) Fail("the file is " + std::to_string(size) + " bytes, its header says " + std::to_string(h[kFileSize]) +
                                     " (the file is truncated or damaged)");
    return h;
}

// Every page's place, from the page map's sizes in file order.
PageSpots ReadPageMap(const std::uint8_t* file, std::size_t size, const HeaderData& h, long& corrected) {
    const std::uint64_t pagesAt = kPagesBase + h[kPagesMapOffset];
    if (h[kPagesMapOffset] > size) Fail("the page map lies outside the file");
    const auto pageMap = ReadSystemPage(file, size, pagesAt, h[kPagesMapSizeCompressed], h[kPagesMapSizeUncompressed],
                                        h[kPagesMapCorrection], CrcRandom::Decode(h[kPagesMapCrcSeed]),
                                        h[kPagesMapCrcCompressed], h[kPagesMapCrcUncompressed], "page map", corrected);
    if (pageMap.size() % 16 != 0) Fail("the page map is not a whole number of entries");
    PageSpots pages;
    std::uint64_t at = kPagesBase, entries = 0;
    for (std::size_t i = 0; i < pageMap.size(); i += 16, ++entries) {
        const std::uint64_t pageSize = Get64(pageMap.data() + i);
        const auto id = static_cast<std::int64_t>(Get64(pageMap.data() + i + 8));
        if (pageSize == 0 || at > size || pageSize > size - at) Fail("the page map has a page outside the file");
        if (id > 0) {
            if (static_cast<std::uint64_t>(id) > h[kPagesMaxId]) Fail("the page map has a page id above the highest");
            if (!pages.emplace(static_cast<std::uint64_t>(id), PageSpot{at, pageSize}).second)
                Fail("the page map names a page twice");
        }
        at += pageSize;
    }
    if (entries != h[kPagesAmount]) Fail("the page map does not hold the pages the header counts");
    if (SpotOf(pages, h[kPagesMapId], "the file header").at != pagesAt) Fail("the page map is not where its page says");
    return pages;
}

// The pages the section map lists for one section, from `pos` on, appended
// to s.data; pages another section took are refused.
struct SectionReading {
    const std::uint8_t* file;
    const PageSpots& pages;
    std::map<std::uint64_t, bool>& claimed;
    std::uint64_t seed;
    long& corrected;
};

void ReadSectionPages(const SectionReading& in, const std::vector<std::uint8_t>& sectionMap, std::size_t& pos,
                      std::uint64_t pageCount, std::uint64_t dataSize, NamedSection& s) {
    // Grown page by page, so that a size the pages do not bear out is never allocated.
    std::vector<std::uint8_t> page;
    for (std::uint64_t i = 0; i < pageCount; ++i, pos += kPageRecord) {
        const std::uint8_t* p = sectionMap.data() + pos;
        const std::uint64_t offset = Get64(p), id = Get64(p + 16), uSize = Get64(p + 24),
                            cSize = Get64(p + 32), checksum = Get64(p + 40), crc = Get64(p + 48);
        const std::string where = "section " + s.name + " page " + std::to_string(i);
        const PageSpot spot = SpotOf(in.pages, id, where);
        if (!in.claimed.emplace(id, true).second) Fail(where + " uses a page another section uses");
        // A page may hold more than the section's size (the last page's
        // tail) and more than its `maxSize`; the record's page size is
        // not its place in the file (the page map's), so neither is checked.
        if (offset != s.data.size() || offset >= dataSize || uSize == 0 || uSize > kMaxPageData)
            Fail(where + ": expected " + std::to_string(s.data.size() < dataSize ? dataSize - s.data.size() : 0) +
                 " more bytes of the section from offset " + std::to_string(s.data.size()) + ", found " +
                 std::to_string(uSize) + " at " + std::to_string(offset));
        if (cSize == 0 || cSize > uSize)
            Fail(where + ": expected a compressed size from 1 to its size " + std::to_string(uSize) + ", found " +
                 std::to_string(cSize));
        page.assign(uSize, 0);
        ReadDataPage(in.file, spot, {cSize, uSize, checksum, crc}, in.seed, s.compressed, where, page.data(),
                     in.corrected);
        s.data.insert(s.data.end(), page.begin(), page.begin() + static_cast<std::ptrdiff_t>(std::min(uSize, dataSize - offset)));
    }
    if (pageCount != 0 && s.data.size() != dataSize)    // a section listed without pages is read empty
        Fail("section " + s.name + ": expected pages holding its " + std::to_string(dataSize) + " bytes, found " +
             std::to_string(s.data.size()));
}

// The section whose record starts at `pos`, read from its pages, `pos`
// moved past its page list; false at the unnamed record that closes the map.
bool ReadSection(const SectionReading& in, const std::vector<std::uint8_t>& sectionMap, std::size_t& pos,
                 NamedSection& s) {
    const std::uint8_t* r = sectionMap.data() + pos;
    const std::uint64_t dataSize = Get64(r), maxSize = Get64(r + 8), encryption = Get64(r + 16),
                        nameLength = Get64(r + 32), encoding = Get64(r + 48), pageCount = Get64(r + 56);
    pos += kSectionRecord;
    if (nameLength == 0) {
        if (dataSize != 0 || pageCount != 0) Fail("the section map has an unnamed section with data");
        return false;
    }
    if (nameLength % 2 != 0 || nameLength > 256 || nameLength > sectionMap.size() - pos)
        Fail("the section map has a section name that does not fit");
    s.name = NameFromUtf16(sectionMap.data() + pos, nameLength);
    pos += nameLength;
    if (s.name.empty()) Fail("the section map has an empty section name");
    if (encoding != 1 && encoding != 4) Fail("section " + s.name + " has an unknown encoding");
    if (encryption == 1) Fail("section " + s.name + " is encrypted, which this reader does not read");
    if (pageCount > (sectionMap.size() - pos) / kPageRecord) Fail("section " + s.name + " lists more pages than the map holds");
    if (maxSize == 0 || maxSize > kMaxPageData) Fail("section " + s.name + " has a page size out of range");
    s.compressed = encoding == 4;
    s.encrypted = encryption != 0;
    ReadSectionPages(in, sectionMap, pos, pageCount, dataSize, s);
    return true;
}

} // namespace

Container ReadContainer(const std::uint8_t* file, std::size_t size) {
    Container out;
    const HeaderData h = ReadFileHeader(file, size, out);
    const PageSpots pages = ReadPageMap(file, size, h, out.correctedBytes);
    const PageSpot sectionsSpot = SpotOf(pages, h[kSectionsMapId], "the file header");
    const auto sectionMap =
        ReadSystemPage(file, size, sectionsSpot.at, h[kSectionsMapSizeCompressed], h[kSectionsMapSizeUncompressed],
                       h[kSectionsMapCorrection], CrcRandom::Decode(h[kSectionsMapCrcSeed]),
                       h[kSectionsMapCrcCompressed], h[kSectionsMapCrcUncompressed], "section map",
                       out.correctedBytes);
    std::map<std::uint64_t, bool> claimed;
    const SectionReading in{file, pages, claimed, h[kCrcSeedField], out.correctedBytes};
    std::size_t pos = 0;
    bool closed = false;
    while (!closed && pos + kSectionRecord <= sectionMap.size()) {
        NamedSection s;
        if (ReadSection(in, sectionMap, pos, s)) out.sections.push_back(std::move(s));
        else closed = true;
    }
    if (!closed && pos != sectionMap.size()) Fail("the section map ends inside a section");
    if (out.sections.size() + 1 != h[kSectionsAmount]) Fail("the section map does not hold the sections the header counts");
    return out;
}

} // namespace ostrel::cad::dwg::r2007
