#include "cad/dwg/dwg_named_sections.h"

#include <memory>
#include <utility>

#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_entity_encoder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/dwg/dwg_nongraphic_encoder.h"
#include "cad/dwg/dwg_sections.h"
#include "cad/dwg/dwg_table_encoder.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

namespace {

constexpr std::uint8_t kObjectsStart[4] = {0xCA, 0x0D, 0x00, 0x00};   // what the objects section opens with

void PutRS(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutRL(Bytes& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>((v >> (8 * k)) & 0xFF));
}

// Title, subject, author, keywords, comments, last saved by, revision and
// hyperlink base (all empty), editing time, dates, no custom properties.
Bytes SummaryInfo(DwgDate created, DwgDate updated) {
    Bytes out;
    for (int i = 0; i < 8; ++i) PutRS(out, 0);
    PutRL(out, 0);
    PutRL(out, 0);
    for (DwgDate date : {created, updated}) {
        PutRL(out, static_cast<std::uint32_t>(date.day));
        PutRL(out, static_cast<std::uint32_t>(date.ms));
    }
    PutRS(out, 0);
    PutRL(out, 0);
    PutRL(out, 0);
    return out;
}

// A string of the side sections: its length with the closing zero, then UTF-16.
void PutText16W(Bytes& out, std::string_view text) {
    PutRS(out, static_cast<std::uint16_t>(text.size() + 1));
    for (char ch : text) PutRS(out, static_cast<std::uint8_t>(ch));
    PutRS(out, 0);
}

constexpr std::string_view kProduct = "<ProductInformation name =\"Ostrel\" build_version=\"1.0\" "
                                      "registry_version=\"1.0\" install_id_string=\"Ostrel\" registry_localeID=\"1033\"/>";

// The application list in UTF-16: its name, then three strings (version,
// comment, product), each after a 16-byte checksum left zero.
void PutAppInfoList(Bytes& out) {
    PutText16W(out, "AppInfoDataList");
    PutRL(out, 3);
    for (std::string_view text : {std::string_view("1.0"), std::string_view("Written by Ostrel"), kProduct}) {
        out.resize(out.size() + 16, 0);
        PutText16W(out, text);
    }
}

// Which application wrote the file: class version 3, then the UTF-16
// application list, in every release (the leading program's files of
// R2004 to R2018 all have this form).
Bytes AppInfo() {
    Bytes out;
    PutRL(out, 3);
    PutAppInfoList(out);
    return out;
}

// The revision history: class version and minor (0), one revision, 0.
Bytes RevHistory() {
    Bytes out;
    for (std::uint32_t v : {0u, 0u, 1u, 0u}) PutRL(out, v);
    return out;
}

// Which applications saved the file, in the form of the R2007 AppInfo: a
// 16-byte checksum (left zero), a zero long, then the AppInfo's list.
Bytes AppInfoHistory() {
    Bytes out(16, 0);
    PutRL(out, 0);
    PutAppInfoList(out);
    return out;
}

// The files the drawing depends on: no features, no files.
Bytes FileDepList() { return Bytes(8, 0); }

// The objects, encoded as the container writes them, page by page; they
// leave their places for the object map and their count for the free-space
// section after them.
struct Objects {
    Objects(const Drawing& d, Release release) : c(d, release) {}
    EncodeContext c;
    ObjectPlaces places;
};

// AcDb:AcDbObjects, AcDb:ObjFreeSpace, AcDb:Template and AcDb:Handles, the
// ones after the objects made as the container asks for them.
void AddObjectSections(const std::shared_ptr<Objects>& objects, Release release, DwgDate now, std::int16_t measurement,
                       std::vector<NamedSection>& out) {
    auto produce = [&out](const char* name, std::function<void(const ByteSink&)> make) {
        out.push_back(NamedSection{name, {}, true, false, std::move(make)});
    };
    produce("AcDb:AcDbObjects", [objects, release](const ByteSink& put) {
        put(kObjectsStart, sizeof kObjectsStart);
        ObjectStream stream(sizeof kObjectsStart, put);
        stream.SetRelease(release);
        objects->places = std::move(EncodeEveryObject(stream, objects->c));
    });
    produce("AcDb:ObjFreeSpace", [objects, now](const ByteSink& put) {
        const Bytes free = FreeSpace(static_cast<std::uint32_t>(objects->places.Count()), now, 0);
        put(free.data(), free.size());
    });
    out.push_back(NamedSection{"AcDb:Template", Template(measurement, release), true, false, {}});
    produce("AcDb:Handles", [objects](const ByteSink& put) {
        ObjectMap(objects->places, put);
    });
}

// A framed section (header, classes), closed with eight zero bytes from
// R2004 on; R2018 gives its size a high part.
Bytes Framed(Release release, const std::uint8_t (&begin)[16], const Bytes& data, const std::uint8_t (&end)[16]) {
    Bytes out = FramedSection(begin, data, end, Traits(release).sectionHiSize);
    out.resize(out.size() + 8, 0);
    return out;
}

} // namespace

bool SectionSizeHasHighPart(Release release, std::uint8_t maintenance) {
    return release >= Release::R2018 || (release >= Release::R2010 && maintenance > 3);
}

std::vector<NamedSection> EncodeNamedSections(const Drawing& d, Release release) {
    const DwgContainer container = Traits(release).container;
    if (container != DwgContainer::R2004Pages && container != DwgContainer::R2007Pages)
        throw CadError(std::string("DWG ") + ReleaseName(release) + " is not laid out in named sections");
    auto objects = std::make_shared<Objects>(d, release);
    const EncodeContext& c = objects->c;
    const DwgDate now = DateNow();
    const Bytes vars = HeaderVariablesData(c, now, now);

    std::vector<NamedSection> out;
    out.reserve(13);
    auto add = [&out](const char* name, Bytes data, bool compressed) {
        out.push_back(NamedSection{name, std::move(data), compressed, false, {}});
    };
    add("AcDb:SummaryInfo", SummaryInfo(now, now), false);
    add("AcDb:Preview", EmptyPreview(), false);
    add("AcDb:AppInfo", AppInfo(), false);
    const ReleaseTraits& traits = Traits(release);
    if (traits.revHistory) {
        // Stored plain in the R2004 family, compressed in R2007 (as the leading program's files keep them).
        add("AcDb:AppInfoHistory", AppInfoHistory(), traits.container == DwgContainer::R2007Pages);
        add("AcDb:RevHistory", RevHistory(), true);
    }
    if (traits.fileDepList) add("AcDb:FileDepList", FileDepList(), true);
    AddObjectSections(objects, release, now, d.header.measurement, out);
    add("AcDb:Classes", Framed(release, kClassesBegin, ClassesData(release, &d), kClassesEnd), true);
    add("AcDb:AuxHeader", AuxHeader(now, now, c.handSeed, Traits(release)), true);
    add("AcDb:Header", Framed(release, kHeaderBegin, vars, kHeaderEnd), true);
    return out;
}

void MakeWhole(std::vector<NamedSection>& sections) {
    for (auto& s : sections) {
        if (!s.produce) continue;
        s.data.clear();
        s.produce([&s](const std::uint8_t* p, std::size_t n) { s.data.insert(s.data.end(), p, p + n); });
        s.produce = nullptr;
    }
}

} // namespace ostrel::cad::dwg
