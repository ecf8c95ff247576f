#include "cad/dwg/dwg_r2004_container.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "cad/dwg/dwg_lz77_r2004.h"
#include "cad/dwg/dwg_named_sections.h"
#include "cad/dwg/dwg_page_pipeline.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kDataPage = 0x4163043B;
constexpr std::uint32_t kSectionMapPage = 0x4163003B;
constexpr std::uint32_t kPageMapPage = 0x41630E3B;
constexpr std::uint32_t kPageMask = 0x4164536B;
constexpr std::size_t kMaxPage = 0x7400;
constexpr std::size_t kHeaderData = 0x6C;
constexpr std::size_t kFirstPage = 0x100;
constexpr char kFileId[] = "AcFssFcAJMB";

// The pseudo-random bytes that encrypt the header data and fill the gaps.
const std::array<std::uint8_t, 256>& Magic() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        std::uint32_t seed = 1;
        for (auto& b : t) {
            seed = seed * 0x343FDu + 0x269EC3u;
            b = static_cast<std::uint8_t>(seed >> 16);
        }
        return t;
    }();
    return table;
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}

void PutRL(Bytes& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}
void PutLL(Bytes& out, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}
void SetRL(std::uint8_t* p, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) p[k] = static_cast<std::uint8_t>(v >> (8 * k));
}
std::uint32_t GetRL(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t GetLL(const std::uint8_t* p) { return GetRL(p) | (static_cast<std::uint64_t>(GetRL(p + 4)) << 32); }

struct PageRecord {
    std::uint32_t number;
    std::uint32_t size;         // bytes in the file
};

// A system page: 0x14-byte header, data compressed, checksum over both. The
// page map's data is stored as one literal run, as its size must be known
// before it is made (it lists itself).
void WriteSystemPage(Bytes& file, std::uint32_t type, const Bytes& data) {
    Bytes comp;
    if (type == kPageMapPage) StoreR2004(data.data(), data.size(), comp);
    else CompressR2004(data.data(), data.size(), comp);
    std::uint8_t head[0x14] = {};
    SetRL(head, type);
    SetRL(head + 4, static_cast<std::uint32_t>(data.size()));
    SetRL(head + 8, static_cast<std::uint32_t>(comp.size()));
    SetRL(head + 12, 2);
    const std::uint32_t sum = PageChecksum(PageChecksum(0, head, sizeof head), comp.data(), comp.size());
    SetRL(head + 16, sum);
    file.insert(file.end(), head, head + sizeof head);
    file.insert(file.end(), comp.begin(), comp.end());
    file.insert(file.end(), Magic().begin(), Magic().begin() + static_cast<std::ptrdiff_t>((0x20 - file.size() % 0x20) % 0x20));
}

std::size_t SystemPageSize(std::size_t dataSize) {
    std::size_t comp = dataSize + 1 + (dataSize <= 18 ? 1 : 2 + (dataSize - 18 - 1) / 255);
    return (0x14 + comp + 0x1F) & ~std::size_t{0x1F};
}

} // namespace

std::uint32_t PageChecksum(std::uint32_t seed, const std::uint8_t* data, std::size_t n) {
    std::uint32_t sum1 = seed & 0xFFFF, sum2 = seed >> 16;
    while (n != 0) {
        const std::size_t chunk = std::min<std::size_t>(0x15B0, n);
        n -= chunk;
        for (std::size_t i = 0; i < chunk; ++i) {
            sum1 += *data++;
            sum2 += sum1;
        }
        sum1 %= 0xFFF1;
        sum2 %= 0xFFF1;
    }
    return (sum2 << 16) | (sum1 & 0xFFFF);
}

const NamedSection* R2004File::Find(const char* name) const {
    for (const auto& s : sections)
        if (s.name == name) return &s;
    return nullptr;
}

namespace {

struct PageUse {
    std::uint32_t number, dataSize;
    std::uint64_t offset;
};

struct Descriptor {
    const NamedSection* s;
    std::uint32_t id, maxSize;
    std::vector<PageUse> pages;
    std::uint64_t size = 0;     // the section's bytes, uncompressed
};

// Lays the sections out page by page, in file order, through the sink.
// Compressed pages are compressed on a second thread while the next are cut.
class ContainerWriter {
public:
    explicit ContainerWriter(const DwgSink& sink)
        : sink_(sink), pipeline_([](PipelinePage& p) { Pack(p); }, [this](PipelinePage& p) { PutPacked(p); }) {}

    void WriteFileHeaderSpace() { Put(header_.data(), header_.size()); }
    void WriteSections(const std::vector<NamedSection>& sections);
    void WriteSystemPages();
    void WriteHeaderData();
    void PatchFileHeader(Release release, std::uint16_t codePage);

private:
    static void Pack(PipelinePage& page);
    void Put(const std::uint8_t* data, std::size_t n);
    void Align();
    void PutPageHeader(std::size_t offset, std::size_t compSize, std::uint32_t dataSum);
    void PutPacked(PipelinePage& page);
    void PutStored(std::size_t offset, const std::uint8_t* chunk, std::size_t n);
    void Page(std::size_t offset, const std::uint8_t* chunk, std::size_t n);
    void ProducedPages(const NamedSection& s);
    Bytes SectionMap() const;

    const DwgSink& sink_;
    std::uint64_t written_ = 0;
    std::vector<PageRecord> pages_;
    std::vector<Descriptor> descriptors_;
    Descriptor* current_ = nullptr;     // the section being written
    Bytes cut_;                         // a page's bytes on their way to the pipeline
    std::uint64_t previewAddress_ = 0, summaryAddress_ = 0;
    std::uint32_t sectionMapId_ = 0, pageMapId_ = 0;
    std::uint64_t pageMapAddress_ = 0;
    Bytes header_ = Bytes(kFirstPage, 0);  // the file header, filled in last
    PagePipeline pipeline_;
};

void ContainerWriter::Put(const std::uint8_t* data, std::size_t n) {
    if (n == 0) return;
    sink_.write(data, n);
    written_ += n;
}

// The next page starts on a 0x20 boundary.
void ContainerWriter::Align() {
    Put(Magic().data(), static_cast<std::size_t>((0x20 - written_ % 0x20) % 0x20));
}

// Compresses a page (a short tail with zeros after it, which keeps the run
// valid) and sums what is stored.
void ContainerWriter::Pack(PipelinePage& page) {
    if (page.plain.size() < 4) page.plain.resize(4, 0);
    page.packed.clear();
    CompressR2004(page.plain.data(), page.plain.size(), page.packed);
    page.sum = PageChecksum(0, page.packed.data(), page.packed.size());
}

// A page's masked header, and the page's entries in the page map and its section's list.
void ContainerWriter::PutPageHeader(std::size_t offset, std::size_t compSize, std::uint32_t dataSum) {
    const std::uint64_t address = written_;
    std::uint8_t head[32] = {};
    SetRL(head, kDataPage);
    SetRL(head + 4, current_->id);
    SetRL(head + 8, static_cast<std::uint32_t>(compSize));
    // The page's size in the file: header and data, to the next 0x20 boundary.
    const auto inFile = static_cast<std::uint32_t>((sizeof head + compSize + 0x1F) & ~std::size_t{0x1F});
    SetRL(head + 12, inFile);
    SetRL(head + 16, static_cast<std::uint32_t>(offset));
    // 0x14 unused, 0x18 the header's checksum (seeded with the data's), 0x1C the data's.
    SetRL(head + 28, dataSum);
    SetRL(head + 24, PageChecksum(dataSum, head, sizeof head));
    const std::uint32_t mask = kPageMask ^ static_cast<std::uint32_t>(address);
    for (int k = 0; k < 8; ++k) SetRL(head + 4 * k, GetRL(head + 4 * k) ^ mask);
    Put(head, sizeof head);
    const auto number = static_cast<std::uint32_t>(pages_.size() + 1);
    pages_.push_back({number, inFile});
    current_->pages.push_back({number, static_cast<std::uint32_t>(compSize), offset});
}

void ContainerWriter::PutPacked(PipelinePage& page) {
    PutPageHeader(page.offset, page.packed.size(), page.sum);
    Put(page.packed.data(), page.packed.size());
    Align();
}

// A stored page: the data where it lies, then zeros to the section's page
// size (the checksum runs over the pieces in turn).
void ContainerWriter::PutStored(std::size_t offset, const std::uint8_t* chunk, std::size_t n) {
    const Bytes pad(current_->maxSize > n ? current_->maxSize - n : 0, 0);
    const std::uint32_t dataSum = PageChecksum(PageChecksum(0, chunk, n), pad.data(), pad.size());
    PutPageHeader(offset, current_->maxSize, dataSum);
    Put(chunk, n);
    Put(pad.data(), pad.size());
    Align();
}

void ContainerWriter::Page(std::size_t offset, const std::uint8_t* chunk, std::size_t n) {
    if (!current_->s->compressed) return PutStored(offset, chunk, n);
    cut_.assign(chunk, chunk + n);
    pipeline_.Submit(offset, cut_);
}

// A section made as it is written: pages are cut from what the producer
// hands over, so the section is never held whole.
void ContainerWriter::ProducedPages(const NamedSection& s) {
    const std::size_t maxSize = current_->maxSize;
    std::size_t off = 0;
    cut_.reserve(maxSize);
    s.produce([&](const std::uint8_t* p, std::size_t n) {
        while (n != 0) {
            const std::size_t take = std::min<std::size_t>(n, maxSize - cut_.size());
            cut_.insert(cut_.end(), p, p + take);
            p += take;
            n -= take;
            if (cut_.size() == maxSize) {
                pipeline_.Submit(off, cut_);
                off += maxSize;
            }
        }
    });
    const std::size_t tail = cut_.size();
    if (tail != 0 || off == 0) pipeline_.Submit(off, cut_);
    current_->size = off + tail;
}

void ContainerWriter::WriteSections(const std::vector<NamedSection>& sections) {
    descriptors_.reserve(sections.size());
    for (std::size_t si = 0; si < sections.size(); ++si) {
        const NamedSection& s = sections[si];
        auto maxSize = static_cast<std::uint32_t>(kMaxPage);
        if (!s.compressed)
            maxSize = static_cast<std::uint32_t>(std::max<std::size_t>(0x100, (s.data.size() + 0x1F) & ~std::size_t{0x1F}));
        current_ = &descriptors_.emplace_back(Descriptor{&s, static_cast<std::uint32_t>(si + 1), maxSize, {}, s.data.size()});
        if (s.name == "AcDb:Preview") previewAddress_ = written_;
        if (s.name == "AcDb:SummaryInfo") summaryAddress_ = written_;
        if (s.produce) {
            ProducedPages(s);
        } else {
            for (std::size_t off = 0; off < s.data.size() || off == 0; off += maxSize) {
                Page(off, s.data.data() + off, std::min<std::size_t>(maxSize, s.data.size() - off));
                if (s.data.empty()) break;
            }
        }
        pipeline_.Drain();
    }
}

// The section map: an empty section 0, then every section with its pages.
Bytes ContainerWriter::SectionMap() const {
    Bytes map;
    const auto count = static_cast<std::uint32_t>(descriptors_.size() + 1);
    for (std::uint32_t v : {count, 2u, static_cast<std::uint32_t>(kMaxPage), 0u, count}) PutRL(map, v);
    auto putDescriptor = [&map](std::uint64_t size, const Descriptor* d, std::uint32_t maxSize, bool compressed,
                                std::uint32_t id, const std::string& name) {
        PutLL(map, size);
        PutRL(map, d ? static_cast<std::uint32_t>(d->pages.size()) : 0);
        for (std::uint32_t v : {maxSize, 1u, compressed ? 2u : 1u, id, 0u}) PutRL(map, v);   // 0: not encrypted
        char field[64] = {};
        std::memcpy(field, name.data(), std::min<std::size_t>(name.size(), 63));
        map.insert(map.end(), field, field + 64);
        if (d)
            for (const auto& p : d->pages) {
                PutRL(map, p.number);
                PutRL(map, p.dataSize);
                PutLL(map, p.offset);
            }
    };
    putDescriptor(0, nullptr, static_cast<std::uint32_t>(kMaxPage), true, 0, "");
    for (const auto& d : descriptors_) putDescriptor(d.size, &d, d.maxSize, d.s->compressed, d.id, d.s->name);
    return map;
}

// The section map, then the page map, which lists every page, itself last.
void ContainerWriter::WriteSystemPages() {
    Bytes system;
    sectionMapId_ = static_cast<std::uint32_t>(pages_.size() + 1);
    WriteSystemPage(system, kSectionMapPage, SectionMap());
    pages_.push_back({sectionMapId_, static_cast<std::uint32_t>(system.size())});
    pageMapId_ = static_cast<std::uint32_t>(pages_.size() + 1);
    pages_.push_back({pageMapId_, static_cast<std::uint32_t>(SystemPageSize(8 * (pages_.size() + 1)))});
    Bytes pageMap;
    for (const auto& p : pages_) {
        PutRL(pageMap, p.number);
        PutRL(pageMap, p.size);
    }
    pageMapAddress_ = written_ + system.size();
    WriteSystemPage(system, kPageMapPage, pageMap);
    if (written_ + system.size() - pageMapAddress_ != pages_.back().size)
        throw CadError("cannot write DWG: page map size mismatch");
    Put(system.data(), system.size());
}

// The header data, encrypted: at the end of the file, and at 0x80 when the
// file header is patched.
void ContainerWriter::WriteHeaderData() {
    Bytes head(kFileId, kFileId + 12);
    const auto pageCount = static_cast<std::uint32_t>(pages_.size());   // pages (and gaps) the page map lists
    // 0, 0x6C, 4, tree node gaps (three), 1, the last page.
    for (std::uint32_t v : {0u, 0x6Cu, 4u, 0u, 0u, 0u, 1u, pageMapId_}) PutRL(head, v);
    PutLL(head, pageMapAddress_ + pages_.back().size - kFirstPage);
    PutLL(head, written_);                      // where the copy goes
    for (std::uint32_t v : {0u, pageCount, 0x20u, 0x80u, 0x40u, pageMapId_}) PutRL(head, v);   // 0: no gaps
    PutLL(head, pageMapAddress_ - kFirstPage);
    for (std::uint32_t v : {sectionMapId_, pageCount, 0u, 0u}) PutRL(head, v);     // gap array, CRC (below)
    SetRL(head.data() + 0x68, Crc32(head.data(), head.size()));
    for (std::size_t i = 0; i < kHeaderData; ++i) head[i] ^= Magic()[i];
    Put(head.data(), head.size());
    std::memcpy(header_.data() + 0x80, head.data(), kHeaderData);
}

void ContainerWriter::PatchFileHeader(Release release, std::uint16_t codePage) {
    std::uint8_t* p = header_.data();
    std::memcpy(p, AcadVersionString(release), 6);
    const ReleaseTraits& traits = Traits(release);
    p[0x0B] = traits.maintenance;
    p[0x0C] = 3;
    SetRL(p + 0x0D, static_cast<std::uint32_t>(previewAddress_ + 0x20));
    p[0x11] = traits.writerRelease;             // the release that wrote it
    p[0x12] = traits.writerMaintenance;
    p[0x13] = static_cast<std::uint8_t>(codePage & 0xFF);
    p[0x14] = static_cast<std::uint8_t>(codePage >> 8);
    SetRL(p + 0x20, static_cast<std::uint32_t>(summaryAddress_ + 0x20));
    SetRL(p + 0x28, 0x80);
    std::memcpy(p + 0xEC, Magic().data() + 0xEC, 0x14);
    sink_.patch(0, p, kFirstPage);
}

} // namespace

std::vector<std::uint8_t> WriteR2004Container(const std::vector<NamedSection>& sections, Release release,
                                              std::uint16_t codePage) {
    Bytes file;
    DwgSink sink;
    sink.write = [&file](const std::uint8_t* data, std::size_t size) { file.insert(file.end(), data, data + size); };
    sink.patch = [&file](std::size_t offset, const std::uint8_t* data, std::size_t size) {
        std::copy(data, data + size, file.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    WriteR2004Container(sections, release, codePage, sink);
    return file;
}

void WriteR2004Container(const std::vector<NamedSection>& sections, Release release, std::uint16_t codePage,
                         const DwgSink& sink) {
    ContainerWriter writer(sink);
    writer.WriteFileHeaderSpace();              // zeros, patched last
    writer.WriteSections(sections);
    writer.WriteSystemPages();
    writer.WriteHeaderData();
    writer.PatchFileHeader(release, codePage);
}

namespace {

[[noreturn]] void Damaged(const std::string& what) { throw CadError("DWG: " + what + " (the file is damaged)"); }
// A structure this reader does not understand: where, and what it expected there.
[[noreturn]] void Unexpected(const std::string& where, const std::string& expected) {
    throw CadError("DWG " + where + ": expected " + expected);
}

Bytes ReadSystemPage(const std::uint8_t* file, std::size_t size, std::uint64_t address, std::uint32_t type,
                     const char* what) {
    if (address > size || size - address < 0x14) Damaged(std::string("the ") + what + " lies past the end of the file");
    const std::uint8_t* h = file + address;
    if (GetRL(h) != type) Damaged(std::string("the ") + what + " is not where the file header puts it");
    const std::uint32_t plain = GetRL(h + 4), compSize = GetRL(h + 8);
    if (compSize > size - address - 0x14 || plain > (64u << 20)) Damaged(std::string("the ") + what + " is truncated");
    std::uint8_t head[0x14];
    std::memcpy(head, h, sizeof head);
    SetRL(head + 16, 0);
    if (PageChecksum(PageChecksum(0, head, sizeof head), h + 0x14, compSize) != GetRL(h + 16))
        Damaged(std::string("the ") + what + " fails its checksum");
    Bytes out(plain);
    std::size_t made = GetRL(h + 12) == 2 ? DecompressR2004(h + 0x14, compSize, out.data(), out.size())
                                          : (std::memcpy(out.data(), h + 0x14, std::min<std::size_t>(plain, compSize)), plain);
    if (made != plain) Damaged(std::string("the ") + what + " expands to the wrong size");
    return out;
}

} // namespace

namespace {

struct FileHeaderFacts {
    std::uint32_t pageMapId = 0, sectionMapId = 0;
    std::uint64_t pageMapAddress = 0;
};

// The release, code page and maintenance version, and (from the encrypted
// header data) where the maps lie.
FileHeaderFacts ReadFileHeader(const std::uint8_t* file, std::size_t size, R2004File& out) {
    if (size < kFirstPage) Damaged("the file header is truncated");
    std::string version(reinterpret_cast<const char*>(file), 6);
    auto release = ReleaseFromAcadVersion(version);
    if (!release) throw CadError("DWG version " + version + " is unknown");
    out.release = *release;
    out.codePage = static_cast<std::uint16_t>(file[0x13] | (file[0x14] << 8));
    out.maintenance = file[0x0B];
    std::uint8_t head[kHeaderData];
    for (std::size_t i = 0; i < kHeaderData; ++i) head[i] = file[0x80 + i] ^ Magic()[i];
    if (std::memcmp(head, kFileId, 12) != 0) Damaged("the encrypted file header does not decode");
    const std::uint32_t crc = GetRL(head + 0x68);
    SetRL(head + 0x68, 0);
    if (Crc32(head, kHeaderData) != crc) Damaged("the file header fails its CRC");
    // The header data is repeated at the end: a file cut short loses it.
    if (GetLL(head + 0x34) > size || size - GetLL(head + 0x34) < kHeaderData) Damaged("the file is truncated");
    return {GetRL(head + 0x50), GetRL(head + 0x5C), GetLL(head + 0x54) + kFirstPage};
}

// Where each page lies, from the page map's sizes in file order.
std::map<std::uint32_t, std::uint64_t> PageAddresses(const Bytes& pageMap, const FileHeaderFacts& facts) {
    std::map<std::uint32_t, std::uint64_t> pageAddress;
    std::uint64_t address = kFirstPage;
    for (std::size_t i = 0; i + 8 <= pageMap.size();) {
        const auto number = static_cast<std::int32_t>(GetRL(pageMap.data() + i));
        const std::uint32_t pageSize = GetRL(pageMap.data() + i + 4);
        i += 8;
        if (number > 0) pageAddress[static_cast<std::uint32_t>(number)] = address;
        else i += 16;                           // a gap: parent, left, right, 0
        address += pageSize;
    }
    if (pageAddress.count(facts.pageMapId) == 0 || pageAddress[facts.pageMapId] != facts.pageMapAddress)
        Damaged("the page map does not list itself where it lies");
    return pageAddress;
}

// One data page of a section at `a`, checked and expanded into `page`;
// returns the bytes made.
std::size_t ReadDataPage(const std::uint8_t* file, std::size_t size, std::uint64_t a, std::uint32_t id,
                         bool compressed, const std::string& name, Bytes& page) {
    if (a > size || size - a < 32) Damaged("a page of section " + name + " lies past the end of the file");
    std::uint8_t h[32];
    const std::uint32_t mask = kPageMask ^ static_cast<std::uint32_t>(a);
    for (int w = 0; w < 8; ++w) SetRL(h + 4 * w, GetRL(file + a + 4 * w) ^ mask);
    if (GetRL(h) != kDataPage || GetRL(h + 4) != id) Damaged("a page of section " + name + " is not a page of it");
    const std::uint32_t compSize = GetRL(h + 8);
    if (compSize > size - a - 32) Damaged("a page of section " + name + " is truncated");
    const std::uint8_t* data = file + a + 32;
    const std::uint32_t dataSum = PageChecksum(0, data, compSize);
    const std::uint32_t headSum = GetRL(h + 24);
    SetRL(h + 24, 0);
    if (dataSum != GetRL(h + 28) || PageChecksum(dataSum, h, 32) != headSum)
        Damaged("a page of section " + name + " fails its checksum");
    if (compressed) return DecompressR2004(data, compSize, page.data(), page.size());
    const std::size_t made = std::min<std::size_t>(compSize, page.size());
    std::memcpy(page.data(), data, made);
    return made;
}

// The section whose entry in the section map (its pages listed after it)
// starts at `pos`, read from its pages; `pos` moves past the entry.
NamedSection ReadSection(const std::uint8_t* file, std::size_t size, const Bytes& map, std::size_t& pos,
                         const std::map<std::uint32_t, std::uint64_t>& pageAddress, std::uint32_t& id) {
    if (map.size() - pos < 0x60) Damaged("the section map is truncated");
    const std::uint8_t* d = map.data() + pos;
    const std::uint64_t sectionSize = GetLL(d);
    const std::uint32_t pageCount = GetRL(d + 8), maxSize = GetRL(d + 12), compressed = GetRL(d + 20);
    id = GetRL(d + 24);
    std::string name(reinterpret_cast<const char*>(d + 32), strnlen(reinterpret_cast<const char*>(d + 32), 64));
    pos += 0x60;
    if (static_cast<std::uint64_t>(pageCount) * 16 > map.size() - pos) Damaged("the section map is truncated");
    if (maxSize == 0 || maxSize > 0x1000000)    // stored sections (a large preview) take pages above 1 MB
        Unexpected("section " + name, "a page size from 1 byte to 16 MB, not " + std::to_string(maxSize));
    // Some writers list a section (the template) with a size but no
    // pages: only what its pages hold is read.
    const std::uint64_t held = std::min<std::uint64_t>(sectionSize, static_cast<std::uint64_t>(pageCount) * maxSize);
    NamedSection s{name, {}, compressed == 2, false, {}};
    Bytes page(pageCount != 0 ? maxSize : 0);
    for (std::uint32_t p = 0; p < pageCount; ++p, pos += 16) {
        const std::uint64_t offset = GetLL(map.data() + pos + 8);
        auto pa = pageAddress.find(GetRL(map.data() + pos));
        if (pa == pageAddress.end()) Damaged("section " + name + " names a page the page map lacks");
        const std::size_t made = ReadDataPage(file, size, pa->second, id, compressed == 2, name, page);
        // Grown page by page, so that a size the pages do not bear out is never allocated.
        if (offset > held || offset > s.data.size() + maxSize)
            Unexpected("section " + name, "page " + std::to_string(p) + " to start within the section, not at " +
                                              std::to_string(offset));
        const std::size_t n = std::min<std::size_t>(made, static_cast<std::size_t>(held - offset));
        if (offset + n > s.data.size()) s.data.resize(static_cast<std::size_t>(offset + n));
        std::memcpy(s.data.data() + offset, page.data(), n);
    }
    return s;
}

} // namespace

R2004File ReadR2004Container(const std::uint8_t* file, std::size_t size) {
    R2004File out;
    const FileHeaderFacts facts = ReadFileHeader(file, size, out);
    const Bytes pageMap = ReadSystemPage(file, size, facts.pageMapAddress, kPageMapPage, "page map");
    const auto pageAddress = PageAddresses(pageMap, facts);
    auto at = pageAddress.find(facts.sectionMapId);
    if (at == pageAddress.end()) Damaged("the page map lacks the section map");
    const Bytes map = ReadSystemPage(file, size, at->second, kSectionMapPage, "section map");
    if (map.size() < 20) Damaged("the section map is truncated");
    const std::uint32_t count = GetRL(map.data());
    std::size_t pos = 20;
    for (std::uint32_t k = 0; k < count; ++k) {
        std::uint32_t id = 0;
        NamedSection s = ReadSection(file, size, map, pos, pageAddress, id);
        if (id != 0 || !s.name.empty()) out.sections.push_back(std::move(s));
    }
    return out;
}

} // namespace ostrel::cad::dwg
