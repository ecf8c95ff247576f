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

    // Decoded in file order, which is the drawing order of each block's entities.
    auto map = ReadObjectMap(file, size, *layout.Find(kSectionObjectMap));
    auto byOffset = [](const ObjectLocation& a, const ObjectLocation& b) { return a.offset < b.offset; };
    if (!std::is_sorted(map.begin(), map.end(), byOffset)) std::sort(map.begin(), map.end(), byOffset);
    DecodedObjects objects;
    objects.entities.reserve(map.size());
    for (const auto& loc : map) DecodeObject(src, loc.offset, loc.handle, objects);
    return BuildDrawing(objects, vars, handles);
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
