#include "cad/dwg/dwg_type_names.h"

namespace ostrel::cad::dwg {

namespace {

// By type code, 0 to 82; the seven dimension kinds share one name, as do
// the vertex and polyline kinds.
constexpr const char* kFixedNames[] = {
    "",          "TEXT",        "ATTRIB",      "ATTDEF",      "BLOCK",       "ENDBLK",      "SEQEND",
    "INSERT",    "INSERT",      "",            "VERTEX",      "VERTEX",      "VERTEX",      "VERTEX",
    "VERTEX",    "POLYLINE",    "POLYLINE",    "ARC",         "CIRCLE",      "LINE",        "DIMENSION",
    "DIMENSION", "DIMENSION",   "DIMENSION",   "DIMENSION",   "DIMENSION",   "DIMENSION",   "POINT",
    "3DFACE",    "POLYLINE",    "POLYLINE",    "SOLID",       "TRACE",       "SHAPE",       "VIEWPORT",
    "ELLIPSE",   "SPLINE",      "REGION",      "3DSOLID",     "BODY",        "RAY",         "XLINE",
    "DICTIONARY", "OLEFRAME",   "MTEXT",       "LEADER",      "TOLERANCE",   "MLINE",       "BLOCK_CONTROL",
    "BLOCK_RECORD", "LAYER_CONTROL", "LAYER",  "STYLE_CONTROL", "STYLE",     "",            "",
    "LTYPE_CONTROL", "LTYPE",   "",            "",            "VIEW_CONTROL", "VIEW",       "UCS_CONTROL",
    "UCS",       "VPORT_CONTROL", "VPORT",     "APPID_CONTROL", "APPID",     "DIMSTYLE_CONTROL", "DIMSTYLE",
    "VX_CONTROL", "VX_TABLE_RECORD", "GROUP",  "MLINESTYLE",  "OLE2FRAME",   "",            "LONG_TRANSACTION",
    "LWPOLYLINE", "HATCH",      "XRECORD",     "ACDBPLACEHOLDER", "VBA_PROJECT", "LAYOUT",
};
static_assert(sizeof kFixedNames / sizeof kFixedNames[0] == 83);

} // namespace

const char* FixedTypeDxfName(std::int16_t type) {
    if (type >= 0 && type < 83) return kFixedNames[type];
    if (type == 498) return "ACAD_PROXY_ENTITY";
    if (type == 499) return "ACAD_PROXY_OBJECT";
    return "";
}

} // namespace ostrel::cad::dwg
