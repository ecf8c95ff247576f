#include "cad/dwg/dwg_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_drawing_builder.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/dwg/dwg_object_decoder.h"
#include "cad/dwg/dwg_section_reader.h"

namespace ostrel::cad {

namespace dwg {

std::unique_ptr<Drawing> DecodeDwg(const std::uint8_t* file, std::size_t size) {
    FileLayout layout = ReadFileHeader(file, size);

    auto [headerData, headerSize] =
        FramedSectionData(file, size, *layout.Find(kSectionHeader), kHeaderBegin, kHeaderEnd, "header");
    HeaderVars vars;
    HeaderHandles handles;
    BitReader hr(headerData, headerSize, "header section");
    ReadHeaderVariables(hr, vars, handles);
    vars.codePage = CodePageName(layout.codePage);
    if (const SectionLocator* t = layout.Find(kSectionTemplate); t && t->size >= 4)
        vars.measurement = static_cast<std::int16_t>(file[t->address + 2] | (file[t->address + 3] << 8));

    auto [classData, classSize] =
        FramedSectionData(file, size, *layout.Find(kSectionClasses), kClassesBegin, kClassesEnd, "classes");
    ObjectSource src{file, size, ReadClassNames(classData, classSize)};

    const auto map = ReadObjectMap(file, size, *layout.Find(kSectionObjectMap));
    DecodedObjects objects;
    objects.entities.reserve(map.size());
    for (const auto& loc : map) DecodeObject(src, loc.offset, loc.handle, objects);
    return BuildDrawing(objects, vars, handles);
}

} // namespace dwg

std::unique_ptr<Drawing> ReadDwg(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CadError("cannot open DWG file " + path + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CadError("cannot read DWG file " + path);
    try {
        return dwg::DecodeDwg(bytes.data(), bytes.size());
    } catch (const CadError& e) {
        throw CadError(path + ": " + e.what());
    }
}

} // namespace ostrel::cad
