#include "cad/dwg/dwg_reader.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <fstream>
#include <algorithm>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_drawing_builder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/dwg/dwg_object_decoder.h"
#include "cad/dwg/dwg_named_sections.h"
#include "cad/dwg/dwg_r2004_container.h"
#include "cad/dwg/dwg_section_reader.h"
#include "cad/dwg/r2007_container.h"

namespace ostrel::cad {

namespace dwg {

namespace {

// The drawing of a file of R2004 and later, from its named sections (the
// R2004 family's page container, or R2007's).
std::unique_ptr<Drawing> DecodeNamedSections(const std::uint8_t* file, std::size_t size, bool crc) {
    const std::string version(reinterpret_cast<const char*>(file), 6);
    const auto known = ReleaseFromAcadVersion(version);
    if (!known || *known < Release::R2004)
        throw CadError("DWG version " + version + " (" + (known ? ReleaseName(*known) : "unknown") +
                       ") cannot be read; DWG files are read as R2000 (AC1015), R2004 (AC1018), R2007 (AC1021), "
                       "R2010 (AC1024), R2013 (AC1027) or R2018 (AC1032)");
    const Release release = *known;
    std::vector<NamedSection> sections;
    std::uint16_t codePage = kCodePageAnsi1252;
    std::uint8_t maintenance = 0;
    if (release == Release::R2007) {
        r2007::Container f = r2007::ReadContainer(file, size);
        sections = std::move(f.sections);
        codePage = f.facts.codePage;
    } else {
        R2004File f = ReadR2004Container(file, size);
        sections = std::move(f.sections);
        codePage = f.codePage;
        maintenance = f.maintenance;
    }
    auto find = [&sections](const char* name) -> const NamedSection* {
        for (const auto& s : sections)
            if (s.name == name) return &s;
        return nullptr;
    };
    auto need = [&find](const char* name) -> const NamedSection& {
        const NamedSection* s = find(name);
        if (!s) throw CadError(std::string("DWG section map: expected a section ") + name + ", found none");
        return *s;
    };
    const NamedSection& header = need("AcDb:Header");
    const NamedSection& classes = need("AcDb:Classes");
    const NamedSection& handles = need("AcDb:Handles");
    const NamedSection& objects = need("AcDb:AcDbObjects");
    auto whole = [](const NamedSection& s) {
        return SectionLocator{0, 0, static_cast<std::uint32_t>(s.data.size())};
    };
    const bool highSize = SectionSizeHasHighPart(release, maintenance);
    auto [headerData, headerSize] = FramedSectionData(header.data.data(), header.data.size(), whole(header),
                                                      kHeaderBegin, kHeaderEnd, "header", crc, highSize);
    HeaderVars vars;
    HeaderHandles hh;
    ReadHeaderSection(headerData, headerSize, vars, hh, release);
    vars.codePage = CodePageName(codePage);
    if (const NamedSection* t = find("AcDb:Template"))
        if (const int m = TemplateMeasurement(t->data.data(), t->data.size(), release); m >= 0)
            vars.measurement = static_cast<std::int16_t>(m);
    auto [classData, classSize] = FramedSectionData(classes.data.data(), classes.data.size(), whole(classes),
                                                    kClassesBegin, kClassesEnd, "classes", crc, highSize);
    ObjectSource src{objects.data.data(), objects.data.size(), ReadClassNames(classData, classSize, release), release,
                     crc};
    auto map = ReadObjectMap(handles.data.data(), handles.data.size(), whole(handles), crc, objects.data.size());
    auto byOffset = [](const ObjectLocation& a, const ObjectLocation& b) { return a.offset < b.offset; };
    if (!std::is_sorted(map.begin(), map.end(), byOffset)) std::sort(map.begin(), map.end(), byOffset);
    DecodedObjects decoded;
    decoded.entities.reserve(map.size());
    for (const auto& loc : map) DecodeObject(src, loc.offset, loc.handle, decoded);
    return BuildDrawing(decoded, vars, hh, release);
}

} // namespace

std::unique_ptr<Drawing> DecodeDwg(const std::uint8_t* file, std::size_t size, DecodeOptions options) {
    const bool crc = options.checkCrc;
    if (size >= 6 && std::memcmp(file, "AC10", 4) == 0 && std::memcmp(file, "AC1015", 6) > 0)
        return DecodeNamedSections(file, size, crc);
    FileLayout layout = ReadFileHeader(file, size, crc);

    auto [headerData, headerSize] =
        FramedSectionData(file, size, *layout.Find(kSectionHeader), kHeaderBegin, kHeaderEnd, "header", crc);
    HeaderVars vars;
    HeaderHandles handles;
    ReadHeaderSection(headerData, headerSize, vars, handles, Release::R2000);
    vars.codePage = CodePageName(layout.codePage);
    if (const SectionLocator* t = layout.Find(kSectionTemplate); t && t->size >= 4)
        vars.measurement = static_cast<std::int16_t>(file[t->address + 2] | (file[t->address + 3] << 8));

    auto [classData, classSize] =
        FramedSectionData(file, size, *layout.Find(kSectionClasses), kClassesBegin, kClassesEnd, "classes", crc);
    ObjectSource src{file, size, ReadClassNames(classData, classSize), Release::R2000, crc};

    // Decoded in file order, which is the drawing order of each block's entities.
    auto map = ReadObjectMap(file, size, *layout.Find(kSectionObjectMap), crc);
    auto byOffset = [](const ObjectLocation& a, const ObjectLocation& b) { return a.offset < b.offset; };
    if (!std::is_sorted(map.begin(), map.end(), byOffset)) std::sort(map.begin(), map.end(), byOffset);
    DecodedObjects objects;
    objects.entities.reserve(map.size());
    for (const auto& loc : map) DecodeObject(src, loc.offset, loc.handle, objects);
    return BuildDrawing(objects, vars, handles, Release::R2000);
}

} // namespace dwg

std::unique_ptr<Drawing> ReadDwg(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw CadError("cannot open DWG file " + path + ": " + std::generic_category().message(errno));
    const std::streamoff length = in.tellg();
    std::vector<std::uint8_t> bytes(length > 0 ? static_cast<std::size_t>(length) : 0);
    in.seekg(0);
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        throw CadError("cannot read DWG file " + path);
    try {
        return dwg::DecodeDwg(bytes.data(), bytes.size());
    } catch (const CadError& e) {
        throw CadError(path + ": " + e.what());
    }
}

} // namespace ostrel::cad
