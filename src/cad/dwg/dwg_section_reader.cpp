#include "cad/dwg/dwg_section_reader.h"

#include <cstdint>
#include <cstring>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_format.h"

namespace ostrel::cad::dwg {

namespace {

std::uint16_t GetRS(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t GetRL(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

const char* ReleaseOfVersion(const std::string& v) {
    if (auto r = ReleaseFromAcadVersion(v)) return ReleaseName(*r);
    return "unknown";
}

} // namespace

const SectionLocator* FileLayout::Find(std::uint8_t number) const {
    for (const auto& s : sections)
        if (s.number == number) return &s;
    return nullptr;
}

FileLayout ReadFileHeader(const std::uint8_t* file, std::size_t size, bool checkCrc) {
    if (size < 6 || std::memcmp(file, "AC", 2) != 0) throw CadError("DWG: not a DWG file (no AC version mark)");
    std::string version(reinterpret_cast<const char*>(file), 6);
    if (version != "AC1015")
        throw CadError("DWG version " + version + " (" + ReleaseOfVersion(version) +
                       ") cannot be read; DWG files are read as R2000 (AC1015)");
    if (size < 0x19) throw CadError("DWG: the file header is truncated");
    FileLayout layout;
    layout.codePage = GetRS(file + 0x13);
    std::uint32_t count = GetRL(file + 0x15);
    if (count < 3 || count > 6) throw CadError("DWG: the file header lists " + std::to_string(count) + " sections");
    const std::size_t crcAt = 0x19 + 9 * static_cast<std::size_t>(count);
    if (size < crcAt + 2 + 16) throw CadError("DWG: the file header is truncated");
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = file + 0x19 + 9 * i;
        SectionLocator l{p[0], GetRL(p + 1), GetRL(p + 5)};
        if (static_cast<std::uint64_t>(l.address) + l.size > size)
            throw CadError("DWG: section " + std::to_string(l.number) + " reaches beyond the end of the file (truncated)");
        layout.sections.push_back(l);
    }
    if (checkCrc && Crc16(kDwgCrcSeed, file, crcAt) != GetRS(file + crcAt))
        throw CadError("DWG: CRC mismatch in the file header (the file is damaged)");
    for (std::uint8_t n : {kSectionHeader, kSectionClasses, kSectionObjectMap})
        if (!layout.Find(n)) throw CadError("DWG: the file header lacks section " + std::to_string(n));
    return layout;
}

std::pair<const std::uint8_t*, std::size_t> FramedSectionData(const std::uint8_t* file, std::size_t,
                                                              const SectionLocator& loc,
                                                              const std::uint8_t (&begin)[16],
                                                              const std::uint8_t (&end)[16], const char* what,
                                                              bool checkCrc, bool highSize) {
    const std::string name(what);
    const std::size_t head = highSize ? 24 : 20;        // sentinel, size and its high part
    if (loc.size < head + 18) throw CadError("DWG " + name + " section: too small");
    const std::uint8_t* p = file + loc.address;
    if (std::memcmp(p, begin, 16) != 0) throw CadError("DWG " + name + " section: start sentinel not found");
    std::uint32_t dataSize = GetRL(p + 16);
    if (dataSize > loc.size - head - 18) throw CadError("DWG " + name + " section: its size reaches past its end");
    std::uint16_t crc = Crc16(kDwgCrcSeed, p + 16, head - 16 + static_cast<std::size_t>(dataSize));
    if (checkCrc && crc != GetRS(p + head + dataSize)) throw CadError("DWG " + name + " section: CRC mismatch (the file is damaged)");
    if (std::memcmp(p + head + 2 + dataSize, end, 16) != 0) throw CadError("DWG " + name + " section: end sentinel not found");
    return {p + head, dataSize};
}

std::vector<DwgClass> ReadClassNames(const std::uint8_t* data, std::size_t size, Release release) {
    const bool r2004 = release >= Release::R2004;
    std::vector<DwgClass> names;
    BitReader r(data, size, "classes section");
    BitReader text(data, size, "classes section's texts");
    if (release >= Release::R2007) {        // the data's size in bits; the names at its end
        const std::uint32_t bits = r.RL();
        if (bits < 33 || bits > r.BitLimit())
            r.Fail("expected the size in bits of its data (at most " + std::to_string(r.BitLimit()) + "), found " +
                   std::to_string(bits));
        const std::size_t end = static_cast<std::size_t>(bits);
        text.SetStrings(end);
        r.SetBitLimit(text.BitPosition());  // the names follow the data
        r.text = &text;
    }
    // A class takes at least eight bytes (from R2007, its names elsewhere, 40 bits).
    const std::size_t least = release >= Release::R2007 ? 40 : 64;
    std::size_t count = SIZE_MAX;           // R2000: as many as the section holds
    if (r2004) {
        const std::int16_t highest = r.BS();
        r.RC();
        r.RC();
        r.B();
        count = highest < 500 ? 0 : static_cast<std::size_t>(highest - 499);
        r.RequireItems(count, static_cast<unsigned>(least), "classes");
    }
    for (std::size_t k = 0; k < count && (r2004 || r.BitsLeft() >= least); ++k) {
        std::int16_t number = r.BS();
        r.BS();                             // proxy flags
        r.TV();                             // application
        r.TV();                             // C++ class
        std::string dxf = r.TV();
        r.B();
        const bool entity = r.BS() == 0x1F2;  // entity or object
        if (r2004) {
            r.BL();                         // instances
            r.BS();                         // release
            r.BL();                         // maintenance version
            r.BL();
            r.BL();
        }
        if (number < 500 || number > 500 + 4096)
            r.Fail("expected class numbers from 500 to 4596, found " + std::to_string(number));
        std::size_t index = static_cast<std::size_t>(number - 500);
        if (names.size() <= index) names.resize(index + 1);
        names[index] = DwgClass{std::move(dxf), entity};
    }
    return names;
}

std::vector<ObjectLocation> ReadObjectMap(const std::uint8_t* file, std::size_t size, const SectionLocator& loc,
                                          bool checkCrc, std::size_t objectsEnd) {
    std::vector<ObjectLocation> out;
    if (objectsEnd == 0) objectsEnd = size;
    std::size_t pos = loc.address;
    const std::size_t end = static_cast<std::size_t>(loc.address) + loc.size;
    for (;;) {
        if (pos + 2 > end) throw CadError("DWG object map: it ends without its closing page");
        const std::size_t start = pos;
        const std::size_t pageSize = (static_cast<std::size_t>(file[pos]) << 8) | file[pos + 1];
        if (pageSize < 2 || pageSize > 2040) throw CadError("DWG object map: a page has an impossible size");
        if (start + pageSize + 2 > end) throw CadError("DWG object map: a page reaches past the section (truncated)");
        std::uint16_t stored = static_cast<std::uint16_t>((file[start + pageSize] << 8) | file[start + pageSize + 1]);
        if (checkCrc && Crc16(kDwgCrcSeed, file + start, pageSize) != stored)
            throw CadError("DWG object map: CRC mismatch (the file is damaged)");
        if (pageSize == 2) break;
        pos = start + 2;
        Handle handle = 0;
        std::int64_t offset = 0;
        while (pos < start + pageSize) {
            std::uint64_t dh = ReadModularChar(file, start + pageSize, pos);
            std::int64_t doff = ReadSignedModularChar(file, start + pageSize, pos);
            handle += dh;
            offset += doff;
            if (offset < 0 || static_cast<std::uint64_t>(offset) >= objectsEnd)
                throw CadError("DWG object map: an object address lies outside the objects");
            out.push_back({handle, static_cast<std::uint64_t>(offset)});
        }
        pos = start + pageSize + 2;
    }
    return out;
}

} // namespace ostrel::cad::dwg
