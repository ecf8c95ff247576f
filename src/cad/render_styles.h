#pragma once
// The render settings every current drawing carries: MATERIAL objects (in
// ACAD_MATERIAL) and VISUALSTYLE objects (in ACAD_VISUALSTYLE). A visual
// style is a row of values ("slots") whose order, kinds and group codes
// differ by release; the layouts below say, per release, which slots a DWG
// object and a DXF record hold and how.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "cad/release_traits.h"

namespace ostrel::cad {

// ------------------------------------------------------------ materials

struct MaterialColour {
    std::uint8_t method = 0;    // 0 the object's colour, 1 the colour below
    double factor = 1;
    std::int32_t rgb = 0;       // method 1 only
    bool operator==(const MaterialColour&) const = default;
};

struct MaterialMap {
    double blend = 1;
    std::uint8_t projection = 1, tiling = 1, autoTransform = 1;
    std::array<double, 16> matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::uint8_t source = 1;    // 0 the scene, 1 a file (procedural maps are not held)
    std::string file;           // source 1
    bool operator==(const MaterialMap&) const = default;
};

struct MaterialData {
    std::string name, description;
    MaterialColour ambient, diffuse, specular;
    MaterialMap diffuseMap, specularMap, reflectionMap, opacityMap, bumpMap, refractionMap;
    double gloss = 0.5, opacity = 1, refractionIndex = 1;
    // R2007 and later.
    double translucence = 0, selfIllumination = 0, reflectivity = 0;
    std::int32_t illumination = 0, channels = 0, mode = 0;
    const std::string& Name() const { return name; }
    bool operator==(const MaterialData&) const = default;
};

// -------------------------------------------------------- visual styles

// Slots 0-57 are the style's properties in the order of R2013 and later
// (face, edge and display settings, then the later ones); the rest are the
// fields around them.
enum VisualStyleSlot : std::uint8_t {
    kVsType = 58,               // which standard style it is
    kVsLightingModel = 59,      // R2010 and later
    kVsInternal = 60,           // kept out of the user's list
    kVsEdgeStyleApply = 61,     // before R2010
    kVsTrailingReal = 62,       // before R2010 (written from R2007)
    kVsDescription = 63,        // the name
    kVsSlots = 64,
};

struct VisualStyleValue {
    double number = 0;          // numbers, flags and colour indexes
    std::int32_t rgb = 0;       // colours from R2004: the colour value (method byte first)
    std::uint8_t colourNames = 0;   // colours: 1 a colour name, 2 a book name follow
    std::string text, book;     // the text slot; a colour's names
    std::int16_t flag = 0;      // R2010 and later: the property's "set" flag
    bool operator==(const VisualStyleValue&) const = default;
};

struct VisualStyleData {
    std::array<VisualStyleValue, kVsSlots> slots{};
    Release source = Release::R2018;    // the release whose layout the values follow
    bool standard = false;              // made here: written with the values of the release written
    const std::string& Name() const { return slots[kVsDescription].text; }
};

enum class StyleKind : std::uint8_t { BL, BS, RC, BD, BLReal, B, CMC, T, Fixed };

struct VisualStyleField {
    std::uint8_t slot;
    StyleKind kind;
    std::int16_t dxf;           // group code in DXF
    bool flagged;               // followed by the property's flag (DWG BS, DXF 176)
};

// A style colour as R2004 and later files keep it (a colour value: method
// byte 0xC0 ByLayer, 0xC1 ByBlock, 0xC2 a true colour, 0xC3 an index, 0xC8
// none) and as an index (R2000 files, DXF group 62: true colours as the
// leading program's R2000 files give them, white 7, others 8).
std::int32_t StyleColourValue(const VisualStyleValue& v);
std::int16_t StyleColourIndex(const VisualStyleValue& v);
std::int32_t ColourValueOfIndex(std::int16_t index);

// The fields of a VISUALSTYLE object in a DWG of the release, in order.
const std::vector<VisualStyleField>& VisualStyleDwgLayout(Release r);
// The groups of a VISUALSTYLE record in a DXF of the release, in order (a
// Fixed field writes its slot number as the value: a constant).
const std::vector<VisualStyleField>& VisualStyleDxfLayout(Release r);

// The standard materials and visual styles of a new drawing, as the leading
// program writes them in a file of the release.
const std::vector<MaterialData>& StandardMaterials();
const std::vector<VisualStyleData>& StandardVisualStyles(Release r);
const VisualStyleData* StandardVisualStyle(std::string_view name, Release r);   // nullptr: none of that name

// The values to write of a visual style in a file of the release: its own
// where they follow that release's layout, else (and for the styles made
// here) the standard style of its name where there is one.
const VisualStyleData& VisualStyleToWrite(const VisualStyleData& v, Release r);

// The objects the header, the layers and the active viewport name: the
// material ByLayer (the current material), Global (every layer's) and the
// visual style 2dWireframe; 0 when the drawing lacks it.
Handle StandardMaterialHandle(const Drawing& d, std::string_view name);
Handle StandardVisualStyleHandle(const Drawing& d, std::string_view name);

} // namespace ostrel::cad
