#include "cad/dwg/dwg_sections.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "cad/dwg/bit_writer.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_format.h"

namespace ostrel::cad::dwg {

namespace {

void PutRS(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutRL(Bytes& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>((v >> (8 * k)) & 0xFF));
}

void PutSentinel(Bytes& out, const std::uint8_t (&s)[16]) {
    for (std::uint8_t b : s) out.push_back(b);
}

} // namespace

Bytes FileHeader(const SectionLocator (&loc)[6], std::uint32_t previewAddress, std::uint16_t codePage) {
    Bytes out;
    out.reserve(kFileHeaderSize);
    for (char c : std::string_view("AC1015")) out.push_back(static_cast<std::uint8_t>(c));
    for (int i = 0; i < 5; ++i) out.push_back(0);
    out.push_back(0);                           // maintenance version
    out.push_back(1);
    PutRL(out, previewAddress);
    out.push_back(kAcadVersionR2000);           // release of the writing application
    out.push_back(0);                           // and its maintenance version
    PutRS(out, codePage);
    PutRL(out, 6);
    for (const auto& l : loc) {
        out.push_back(l.number);
        PutRL(out, l.address);
        PutRL(out, l.size);
    }
    PutRS(out, Crc16(kDwgCrcSeed, out.data(), out.size()));
    PutSentinel(out, kFileHeaderEnd);
    return out;
}

Bytes AuxHeader(DwgDate created, DwgDate updated, Handle handSeed, const ReleaseTraits& release) {
    Bytes out = {0xFF, 0x77, 0x01};
    auto putVersion = [&out, &release]() {      // the writer's release and maintenance version
        PutRS(out, release.writerRelease);
        if (release.auxHeaderLongMaintenance) PutRL(out, release.writerMaintenance);
        else PutRS(out, release.writerMaintenance);
    };
    putVersion();
    PutRL(out, 1);                              // number of saves
    PutRL(out, 0xFFFFFFFFu);
    PutRS(out, 1);                              // saves, part 1
    PutRS(out, 0);                              // saves, part 2
    PutRL(out, 0);
    putVersion();
    putVersion();
    for (std::uint16_t v : {0x0005, 0x0893, 0x0005, 0x0893, 0x0000, 0x0001}) PutRS(out, v);
    for (int i = 0; i < 5; ++i) PutRL(out, 0);
    PutRL(out, static_cast<std::uint32_t>(created.day));
    PutRL(out, static_cast<std::uint32_t>(created.ms));
    PutRL(out, static_cast<std::uint32_t>(updated.day));
    PutRL(out, static_cast<std::uint32_t>(updated.ms));
    PutRL(out, handSeed < 0x7FFFFFFF ? static_cast<std::uint32_t>(handSeed) : 0xFFFFFFFFu);
    PutRL(out, 0);                              // educational plot stamp
    PutRS(out, 0);
    PutRS(out, 1);                              // saves part 1 - part 2
    for (int i = 0; i < 3; ++i) PutRL(out, 0);
    PutRL(out, 1);                              // number of saves
    out.resize(out.size() + release.auxHeaderTail, 0);
    return out;
}

Bytes EmptyPreview() {
    Bytes out;
    out.reserve(37);
    PutSentinel(out, kPreviewBegin);
    PutRL(out, 1);                              // the image area: just the count
    out.push_back(0);                           // no images
    PutSentinel(out, kPreviewEnd);
    return out;
}

Bytes FramedSection(const std::uint8_t (&begin)[16], const Bytes& data, const std::uint8_t (&end)[16], bool highSize) {
    Bytes out;
    out.reserve(data.size() + 42);
    PutSentinel(out, begin);
    PutRL(out, static_cast<std::uint32_t>(data.size()));
    if (highSize) PutRL(out, 0);
    out.insert(out.end(), data.begin(), data.end());
    PutRS(out, Crc16(kDwgCrcSeed, out.data() + 16, out.size() - 16));
    PutSentinel(out, end);
    return out;
}

Bytes ClassesData(Release release, const Drawing* d) {
    const bool r2004 = release >= Release::R2004;
    const bool strings = Traits(release).stringStream;
    BitWriter w, text;
    if (strings) {        // the size in bits of data and strings, patched below
        w.RL(0);
        w.text = &text;
    }
    std::int16_t number = 500;
    if (r2004) {
        w.BS(static_cast<std::int16_t>(500 + std::size(kWrittenClasses) - 1));   // highest class number
        w.RC(0);
        w.RC(0);
        w.B(true);
    }
    for (const auto& c : kWrittenClasses) {
        w.BS(number++);
        w.BS(static_cast<std::int16_t>(c.proxyFlags));
        w.TV(c.appName);
        w.TV(c.cppName);
        w.TV(c.dxfName);
        w.B(false);                             // not from a proxy
        w.BS(c.entity ? 0x1F2 : 0x1F3);
        if (r2004) {
            std::int32_t count = 0;
            if (d) count = static_cast<std::int32_t>(std::count_if(d->objects.begin(), d->objects.end(),
                                                                   [&c](const Object& o) { return o.type == c.type; }));
            w.BL(count);
            w.BS(static_cast<std::int16_t>(c.release));   // release and maintenance version of the class
            w.BL(c.maintenance);
            w.BL(0);
            w.BL(0);
        }
    }
    if (strings) {
        w.EndStrings(text);
        w.PatchRL(0, static_cast<std::uint32_t>(w.BitPosition()));
    }
    w.PadToByte();
    return w.Bytes();
}

std::size_t ObjectMap(const ObjectPlaces& places, const std::function<void(const std::uint8_t*, std::size_t)>& put) {
    std::size_t written = 0;
    Bytes page{0, 0};                           // the size, set when the page is full
    auto flush = [&]() {
        const auto size = static_cast<std::uint16_t>(page.size());
        page[0] = static_cast<std::uint8_t>(size >> 8);
        page[1] = static_cast<std::uint8_t>(size & 0xFF);
        const std::uint16_t crc = Crc16(kDwgCrcSeed, page.data(), page.size());
        page.push_back(static_cast<std::uint8_t>(crc >> 8));
        page.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        put(page.data(), page.size());
        written += page.size();
        page.resize(2);
    };
    Handle lastHandle = 0;
    std::int64_t lastOffset = 0;
    places.InHandleOrder([&](const ObjectLocation& l) {
        if (page.size() + 20 > kObjectMapPageLimit) {   // an entry takes at most 20 bytes
            flush();
            lastHandle = 0;
            lastOffset = 0;
        }
        AppendModularChar(page, l.handle - lastHandle);
        AppendSignedModularChar(page, static_cast<std::int64_t>(l.offset) - lastOffset);
        lastHandle = l.handle;
        lastOffset = static_cast<std::int64_t>(l.offset);
    });
    if (page.size() > 2) flush();
    flush();                                    // the empty last page
    return written;
}

Bytes FreeSpace(std::uint32_t objectCount, DwgDate updated, std::uint32_t objectsAddress) {
    Bytes out;
    PutRL(out, 0);
    PutRL(out, objectCount);
    PutRL(out, static_cast<std::uint32_t>(updated.day));
    PutRL(out, static_cast<std::uint32_t>(updated.ms));
    PutRL(out, objectsAddress);
    out.push_back(4);
    for (std::uint32_t v : {0x32u, 0u, 0x64u, 0u, 0x200u, 0u, 0xFFFFFFFFu, 0u}) PutRL(out, v);
    return out;
}

Bytes SecondHeader(std::uint32_t address, const SectionLocator (&loc)[6], const SecondHeaderHandles& handles,
                   std::uint16_t codePage) {
    BitWriter w;
    w.RL(0);                                    // size, patched below
    w.BL(static_cast<std::int32_t>(address));
    const char* version = "AC1015";
    for (int i = 0; i < 6; ++i) w.RC(static_cast<std::uint8_t>(version[i]));
    for (int i = 0; i < 5; ++i) w.RC(0);
    w.RC(0);                                    // maintenance version
    w.RC(1);
    w.BS(kAcadVersionR2000);                    // release and maintenance version of the writer
    w.RS(codePage);
    w.BS(5);                                    // section records 0 to 4
    for (int i = 0; i < 5; ++i) {
        w.RC(loc[i].number);
        w.BL(static_cast<std::int32_t>(loc[i].address));
        w.BL(static_cast<std::int32_t>(loc[i].size));
    }
    w.BS(14);
    for (std::uint8_t i = 0; i < 14; ++i) {
        Handle h = handles.values[i];
        std::uint8_t bytes[8];
        std::uint8_t n = 0;
        for (Handle t = h; t; t >>= 8) ++n;
        for (std::uint8_t k = 0; k < n; ++k) bytes[k] = static_cast<std::uint8_t>(h >> (8 * (n - 1 - k)));
        w.RC(n);
        w.RC(i);
        for (std::uint8_t k = 0; k < n; ++k) w.RC(bytes[k]);
    }
    w.PadToByte();
    Bytes body = w.Bytes();
    std::uint16_t crc = Crc16(kDwgCrcSeed, body.data(), body.size());
    body.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    body.push_back(static_cast<std::uint8_t>(crc >> 8));
    for (int i = 0; i < 8; ++i) body.push_back(0);     // unused trailer
    std::uint32_t size = static_cast<std::uint32_t>(body.size() - 4);
    for (int k = 0; k < 4; ++k) body[k] = static_cast<std::uint8_t>((size >> (8 * k)) & 0xFF);
    // The CRC covers the final size too.
    crc = Crc16(kDwgCrcSeed, body.data(), body.size() - 10);
    body[body.size() - 10] = static_cast<std::uint8_t>(crc & 0xFF);
    body[body.size() - 9] = static_cast<std::uint8_t>(crc >> 8);

    Bytes out;
    PutSentinel(out, kSecondHeaderBegin);
    out.insert(out.end(), body.begin(), body.end());
    PutSentinel(out, kSecondHeaderEnd);
    return out;
}

namespace {
constexpr std::string_view kTemplateDescription = "Ostrel survey drawing";
}

Bytes Template(std::int16_t measurement, Release release) {
    Bytes out;
    const ReleaseTraits& traits = Traits(release);
    if (traits.container == DwgContainer::Located) {
        PutRS(out, 0);                          // no description
    } else {                                    // the description with its closing zero
        PutRS(out, static_cast<std::uint16_t>(kTemplateDescription.size() + 1));
        for (char ch : kTemplateDescription) {
            out.push_back(static_cast<std::uint8_t>(ch));
            if (traits.stringStream) out.push_back(0);
        }
        out.resize(out.size() + (traits.stringStream ? 2 : 1), 0);
    }
    PutRS(out, static_cast<std::uint16_t>(measurement));
    return out;
}

int TemplateMeasurement(const std::uint8_t* data, std::size_t size, Release release) {
    if (size < 4) return -1;
    const std::size_t at = 2 + (data[0] | data[1] << 8) * std::size_t{Traits(release).stringStream ? 2u : 1u};
    return at + 2 <= size ? static_cast<std::int16_t>(data[at] | data[at + 1] << 8) : -1;
}

} // namespace ostrel::cad::dwg
