#include "cad/dwg/dwg_type_names.h"

#include "cad/dwg/dwg_entity_kinds.h"

namespace ostrel::cad::dwg {

namespace {

// By type code, 0 to 82, the types no entity kind of the database is read
// from (those take their kind's name); the mesh vertex and polyline kinds
// share the names of the ones read.
constexpr const char* kFixedNames[] = {
    "",          "",            "",            "",            "",            "",            "",
    "",          "",            "",            "",            "",            "VERTEX",      "VERTEX",
    "VERTEX",    "",            "",            "",            "",            "",            "",
    "",          "",            "",            "",            "",            "",            "",
    "",          "POLYLINE",    "POLYLINE",    "",            "TRACE",       "SHAPE",       "",
    "",          "",            "REGION",      "3DSOLID",     "BODY",        "RAY",         "XLINE",
    "DICTIONARY", "OLEFRAME",   "",            "LEADER",      "TOLERANCE",   "MLINE",       "BLOCK_CONTROL",
    "BLOCK_RECORD", "LAYER_CONTROL", "LAYER",  "STYLE_CONTROL", "STYLE",     "",            "",
    "LTYPE_CONTROL", "LTYPE",   "",            "",            "VIEW_CONTROL", "VIEW",       "UCS_CONTROL",
    "UCS",       "VPORT_CONTROL", "VPORT",     "APPID_CONTROL", "APPID",     "DIMSTYLE_CONTROL", "DIMSTYLE",
    "VX_CONTROL", "VX_TABLE_RECORD", "GROUP",  "MLINESTYLE",  "OLE2FRAME",   "",            "LONG_TRANSACTION",
    "",          "",            "XRECORD",     "ACDBPLACEHOLDER", "VBA_PROJECT", "LAYOUT",
};
static_assert(sizeof kFixedNames / sizeof kFixedNames[0] == 83);

} // namespace

const char* FixedTypeDxfName(std::int16_t type) {
    if (const auto kind = KindOfType(type)) return EntityTypeName(*kind);
    if (type >= 0 && type < 83) return kFixedNames[type];
    if (type == 498) return "ACAD_PROXY_ENTITY";
    if (type == 499) return "ACAD_PROXY_OBJECT";
    return "";
}

} // namespace ostrel::cad::dwg
