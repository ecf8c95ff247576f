// CLASSES: the class records of the object types that are not built into
// the format (R13 on). R13 and R14 write none of those types, so their
// section is empty.
#include <cstdint>

#include "cad/dxf/dxf_write_context.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dxf {

namespace {

struct ClassRecord {
    ObjectType type;
    const char* dxfName;
    const char* cppName;
    std::int32_t proxyFlags;
    const char* appName = "ObjectDBX Classes";
};

constexpr ClassRecord kClasses[] = {
    {ObjectType::DictionaryWithDefault, "ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", 0},
    {ObjectType::Placeholder, "ACDBPLACEHOLDER", "AcDbPlaceHolder", 0},
    {ObjectType::Layout, "LAYOUT", "AcDbLayout", 0},
    {ObjectType::DictionaryVar, "DICTIONARYVAR", "AcDbDictionaryVar", 0},
    {ObjectType::Scale, "SCALE", "AcDbScale", 1153},
    {ObjectType::MLeaderStyle, "MLEADERSTYLE", "AcDbMLeaderStyle", 4095, "ACDB_MLEADERSTYLE_CLASS"},
    {ObjectType::TableStyle, "TABLESTYLE", "AcDbTableStyle", 4095},
    {ObjectType::Material, "MATERIAL", "AcDbMaterial", 1153},
    {ObjectType::VisualStyle, "VISUALSTYLE", "AcDbVisualStyle", 4095},
};

} // namespace

void WriteClassesSection(WriteContext& c) {
    auto& w = c.w;
    w.Marker("SECTION");
    w.Name(2, "CLASSES");
    if (!c.preR2000) {
        for (const auto& cls : kClasses) {
            std::int64_t instances = 0;
            for (std::size_t i = 0; i < c.d.objects.size(); ++i)
                if (c.d.objects[i].type == cls.type && c.objectWritten[i]) ++instances;
            // All are always declared: every drawing of R2000 on holds them.
            w.Marker("CLASS");
            w.Name(1, cls.dxfName);
            w.Name(2, cls.cppName);
            w.Name(3, cls.appName);
            w.Int(90, cls.proxyFlags);                 // proxy capabilities
            if (Traits(c.release).classInstanceCounts) w.Int(91, instances);
            w.Int(280, 0);                             // was a proxy
            w.Int(281, 0);                             // not an entity
        }
    }
    w.Marker("ENDSEC");
}

} // namespace ostrel::cad::dxf
