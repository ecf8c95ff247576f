#include "cad/dwg/dwg_encoder.h"

#include <algorithm>

#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_entity_encoder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/dwg/dwg_nongraphic_encoder.h"
#include "cad/dwg/dwg_sections.h"
#include "cad/dwg/dwg_table_encoder.h"

namespace ostrel::cad::dwg {

namespace {

constexpr std::size_t kPadding = 0x200;     // between the classes and the objects

std::uint32_t Address(std::size_t v) {
    if (v > 0xFFFFFFFFu) throw CadError("cannot write DWG: the drawing is larger than an R2000 file can hold (4 GB)");
    return static_cast<std::uint32_t>(v);
}

// The handles the second file header lists: the seed, the table controls,
// the root dictionary, the first MLINESTYLE and the group dictionary.
SecondHeaderHandles SecondHandles(const EncodeContext& c) {
    const Drawing& d = c.d;
    SecondHeaderHandles handles;
    handles.values[0] = c.handSeed;
    const Handle controls[10] = {d.controls.block, d.controls.layer, d.controls.style, d.controls.linetype,
                                 d.controls.view, d.controls.ucs, d.controls.vport, d.controls.appid,
                                 d.controls.dimstyle, d.controls.vx};
    for (int i = 0; i < 10; ++i) handles.values[1 + i] = controls[i];
    handles.values[11] = d.rootDictionary;
    handles.values[12] = c.FirstObject(ObjectType::MLineStyle);
    handles.values[13] = c.RootEntry("ACAD_GROUP");
    return handles;
}

// The template follows the second header, which lists the template's
// address in a bit-coded field: repeat until the two agree. Sets the
// template's locator and returns the second header.
Bytes PlaceTemplate(SectionLocator (&loc)[6], std::size_t secondAddress, std::size_t templateSize,
                    const SecondHeaderHandles& handles, std::uint16_t codePage) {
    loc[4] = {kSectionTemplate, Address(secondAddress), static_cast<std::uint32_t>(templateSize)};
    Bytes second;
    for (int round = 0; round < 8; ++round) {
        second = SecondHeader(Address(secondAddress), loc, handles, codePage);
        const std::uint32_t templateAddress = Address(secondAddress + second.size());
        if (templateAddress == loc[4].address) break;
        loc[4].address = templateAddress;
    }
    return second;
}

} // namespace

std::vector<std::uint8_t> EncodeDwg(const Drawing& d) {
    std::vector<std::uint8_t> file;
    file.reserve(64 * 1024 + d.entities.size() * 64);
    DwgSink sink;
    sink.write = [&file](const std::uint8_t* data, std::size_t size) { file.insert(file.end(), data, data + size); };
    sink.patch = [&file](std::size_t offset, const std::uint8_t* data, std::size_t size) {
        std::copy(data, data + size, file.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    EncodeDwg(d, sink);
    return file;
}

ObjectPlaces& EncodeEveryObject(ObjectStream& stream, const EncodeContext& c) {
    const Drawing& d = c.d;
    stream.Places().Reserve(d.entities.size() + d.objects.size() + d.layers.size() + d.blocks.size() +
                            d.linetypes.size() + 64);
    EncodeTables(stream, c);
    EncodeBlockHeaders(stream, c);
    EncodeBlockContents(stream, c);
    EncodeObjects(stream, c);
    stream.Finish();
    stream.Places().Check(c.handSeed);
    return stream.Places();
}

void EncodeDwg(const Drawing& d, const DwgSink& sink) {
    EncodeContext c(d);
    const DwgDate now = DateNow();
    const std::uint16_t codePage = CodePageNumber(d.header.codePage);

    BitWriter vars;
    WriteHeaderVariables(vars, c, now, now);
    vars.PadToByte();
    const Bytes header = FramedSection(kHeaderBegin, vars.Bytes(), kHeaderEnd);
    const Bytes classes = FramedSection(kClassesBegin, ClassesData(), kClassesEnd);
    const Bytes aux = AuxHeader(now, now, c.handSeed, Traits(Release::R2000));
    const Bytes preview = EmptyPreview();

    const std::size_t auxAddress = kFileHeaderSize;
    const std::size_t previewAddress = auxAddress + aux.size();
    const std::size_t headerAddress = previewAddress + preview.size();
    const std::size_t classesAddress = headerAddress + header.size();
    const std::size_t objectsAddress = classesAddress + classes.size() + kPadding;

    // Everything before the objects; the file header is filled in at the end.
    auto append = [&sink](const Bytes& b) { sink.write(b.data(), b.size()); };
    append(Bytes(kFileHeaderSize, 0));
    append(aux);
    append(preview);
    append(header);
    append(classes);
    append(Bytes(kPadding, 0));

    ObjectStream stream(objectsAddress, sink.write);
    const auto& places = EncodeEveryObject(stream, c);

    // The map follows the objects, handed over page by page as it is made.
    const auto objectCount = static_cast<std::uint32_t>(places.Count());
    const std::size_t mapAddress = objectsAddress + stream.Size();
    const std::size_t mapSize = ObjectMap(places, sink.write);
    const std::size_t freeAddress = mapAddress + mapSize;
    const Bytes free = FreeSpace(objectCount, now, Address(objectsAddress));
    const std::size_t secondAddress = freeAddress + free.size();
    const Bytes tmpl = Template(d.header.measurement);

    SectionLocator loc[6];
    loc[0] = {kSectionHeader, Address(headerAddress), static_cast<std::uint32_t>(header.size())};
    loc[1] = {kSectionClasses, Address(classesAddress), static_cast<std::uint32_t>(classes.size())};
    loc[2] = {kSectionObjectMap, Address(mapAddress), static_cast<std::uint32_t>(mapSize)};
    loc[3] = {kSectionFreeSpace, Address(freeAddress), static_cast<std::uint32_t>(free.size())};
    loc[5] = {kSectionAuxHeader, Address(auxAddress), static_cast<std::uint32_t>(aux.size())};

    const Bytes second = PlaceTemplate(loc, secondAddress, tmpl.size(), SecondHandles(c), codePage);

    append(free);
    append(second);
    append(tmpl);
    const Bytes fileHeader = FileHeader(loc, Address(previewAddress), codePage);
    sink.patch(0, fileHeader.data(), fileHeader.size());
}

} // namespace ostrel::cad::dwg
