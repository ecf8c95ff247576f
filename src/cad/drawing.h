#pragma once
// The in-memory drawing database: header, symbol tables, blocks with their
// entity lists, entities and non-graphic objects. Plain data; it knows
// nothing of survey records or settings. Codecs (dxf/, dwg/) turn it into
// bytes and back.
//
// Strings held here are bytes in the drawing's code page (Windows-1252);
// the codecs convert for releases that store UTF-8 or UTF-16.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/annotation_styles.h"
#include "cad/release_traits.h"

namespace ostrel::cad {

using Handle = std::uint64_t;   // 0 = no handle
constexpr std::uint32_t kNone = 0xFFFFFFFFu;  // "no index"

std::string HandleText(Handle h);              // upper-case hex, no leading zeros ("0" for 0)
std::optional<Handle> ParseHandle(std::string_view text);

struct Vec3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

// Colour numbers as the formats store them.
constexpr std::int16_t kColourByBlock = 0;
constexpr std::int16_t kColourByLayer = 256;

// ---------------------------------------------------------------- entities

// Every entity kind, with its DXF name: the one list the layers' dispatches
// (cad/entity_kinds.h, dxf/dxf_kinds.h, dwg/dwg_entity_kinds.cpp) are made
// from, so that a kind added here fails to build until each layer has it.
#define OSTREL_ENTITY_KINDS(X)                                                                        \
    X(Point, "POINT") X(Line, "LINE") X(Circle, "CIRCLE") X(Arc, "ARC") X(Text, "TEXT")               \
    X(Insert, "INSERT") X(Polyline, "POLYLINE") X(Vertex, "VERTEX") X(SeqEnd, "SEQEND")             \
    X(Face3D, "3DFACE") X(Block, "BLOCK") X(EndBlk, "ENDBLK") X(Viewport, "VIEWPORT")               \
    X(Hatch, "HATCH") X(LwPolyline, "LWPOLYLINE") X(Ellipse, "ELLIPSE") X(Spline, "SPLINE")         \
    X(MText, "MTEXT") X(Solid, "SOLID") X(AttDef, "ATTDEF") X(Attrib, "ATTRIB")                     \
    X(Dimension, "DIMENSION")

#define OSTREL_KIND_ENUMERATOR(kind, name) kind,
enum class EntityType : std::uint8_t { OSTREL_ENTITY_KINDS(OSTREL_KIND_ENUMERATOR) };
#undef OSTREL_KIND_ENUMERATOR
#define OSTREL_KIND_ONE(kind, name) +1
constexpr int kEntityTypeCount = 0 OSTREL_ENTITY_KINDS(OSTREL_KIND_ONE);
#undef OSTREL_KIND_ONE
const char* EntityTypeName(EntityType t);     // DXF name: "POINT", "3DFACE", ...

struct PointGeom { Vec3 pos; };
struct LineGeom { Vec3 start, end; };
struct CircleGeom { Vec3 center; double radius; };
struct ArcGeom { Vec3 center; double radius; double startAngle, endAngle; };  // radians
struct TextGeom {
    Vec3 pos;               // first alignment point (insertion point)
    Vec3 align;             // second alignment point (used when hAlign/vAlign != 0)
    double height;
    double rotation;        // radians, counter-clockwise
    double widthFactor;
    double oblique;         // radians
    std::uint32_t textOffset, textLength;   // into Drawing::textPool
    std::uint32_t style;    // index into Drawing::styles
    std::uint8_t hAlign, vAlign;
};
struct InsertGeom {
    Vec3 pos;
    double xScale, yScale, zScale;
    double rotation;        // radians
    std::uint32_t block;    // index into Drawing::blocks
    std::int16_t columns, rows;
    double columnSpacing, rowSpacing;
};
struct PolylineGeom {
    double startWidth, endWidth;
    double elevation;
    std::int16_t flags;     // 1 closed, 8 3D polyline, 128 continuous linetype pattern
};
struct VertexGeom {
    Vec3 pos;
    double startWidth, endWidth;
    double bulge;
    std::int16_t flags;     // 32 3D polyline vertex
    std::uint8_t widthFlags; // bit 0: start width set, bit 1: end width set
};
// 3DFACE (its hidden edges: Entity::invisibleEdges) and SOLID. A SOLID's
// corners are held in the file's order (10, 11, 12, 13): its outline runs
// 0, 1, 3, 2, and a triangle repeats its third corner as the fourth.
struct FaceGeom { Vec3 corner[4]; };
struct BlockGeom { std::uint32_t block; };     // the block record this BLOCK/ENDBLK belongs to
// Index into the side vector of the kind: Drawing::viewports, hatches,
// lwpolylines, splines, attributes (ATTDEF and ATTRIB), dimensions.
struct ExtraGeom { std::uint32_t index; };
struct EllipseGeom {
    Vec3 center;
    Vec3 majorAxis;         // from the centre to the end of the major axis
    double ratio;           // minor axis length / major axis length, (0, 1]
    double startParam, endParam;   // radians; 0 and 2 pi for a whole ellipse
    Vec3 normal;            // extrusion; (0, 0, 0) is taken as (0, 0, 1)
};
struct MTextGeom {
    Vec3 pos;               // insertion point
    Vec3 direction;         // the text's x axis; (0, 0, 0) is taken as (1, 0, 0)
    double height;          // nominal character height
    double width;           // reference rectangle width, 0 = no wrapping
    double lineSpacing;     // line spacing factor (0.25 .. 4), 0 taken as 1
    std::uint32_t textOffset, textLength;   // into Drawing::textPool, formatting codes kept
    std::uint32_t style;    // index into Drawing::styles
    std::uint8_t attachment;        // 1 top left, 2 top centre, ... 9 bottom right
    std::uint8_t drawingDirection;  // 1 left to right, 3 top to bottom, 5 by style
    std::uint8_t lineSpacingStyle;  // 1 at least, 2 exact
};

union EntityGeom {
    PointGeom point;
    LineGeom line;
    CircleGeom circle;
    ArcGeom arc;
    TextGeom text;
    InsertGeom insert;
    PolylineGeom polyline;
    VertexGeom vertex;
    FaceGeom face;
    BlockGeom block;
    ExtraGeom extra;
    EllipseGeom ellipse;
    MTextGeom mtext;
};

// Entity flags.
constexpr std::uint8_t kEntityPaperSpace = 1;
constexpr std::uint8_t kEntityDeleted = 2;
constexpr std::uint8_t kEntityInvisible = 4;

// One entity. Kept small: a drawing may hold millions. Its owner is where
// it stands: the block record of the list holding it, or for a VERTEX,
// ATTRIB or SEQEND the POLYLINE or INSERT opening its run in that list
// (BLOCK and ENDBLK: their block). Writers give it from there.
struct Entity {
    Handle handle = 0;
    EntityType type = EntityType::Point;
    std::uint8_t flags = 0;
    std::int16_t colour = kColourByLayer;
    std::uint32_t layer = 0;    // index into Drawing::layers
    std::uint32_t linetype = kNone; // index into Drawing::linetypes; kNone = ByLayer
    // 3DFACE: the edges not drawn (1, 2, 4, 8 for the first to fourth). Held
    // here, in what would be padding, so that the geometry stays 96 bytes.
    std::int16_t invisibleEdges = 0;
    EntityGeom geom{};
};
static_assert(sizeof(Entity) == 120, "an entity stays 120 bytes: drawings hold millions");

struct ViewportData {
    Vec3 center;                // paper-space centre
    double width = 0, height = 0;
    Vec3 viewCenter;            // model-space point shown at the centre (x, y used)
    Vec3 viewTarget;
    Vec3 viewDirection{0, 0, 1};
    double viewHeight = 0;
    double twist = 0;           // radians
    double lensLength = 50;
    std::int16_t id = 2;        // 1 = the layout's own overall viewport
    std::int16_t status = 1;    // >0 on, 0 off
    std::int32_t statusFlags = 32864;  // 90 group
    std::int16_t viewFlag = 0;  // host-set view flag (kept for round trips)
};

// LWPOLYLINE: one entity with its vertices (no VERTEX/SEQEND).
struct LwVertex {
    double x = 0, y = 0;
    double startWidth = 0, endWidth = 0;
    double bulge = 0;
    bool operator==(const LwVertex&) const = default;
};
struct LwPolylineData {
    std::vector<LwVertex> vertices;
    double constantWidth = 0;   // 43: the width of every segment, when no vertex has its own
    double elevation = 0;
    double thickness = 0;
    Vec3 normal{0, 0, 1};
    std::int16_t flags = 0;     // 1 closed, 128 continuous linetype pattern
};

struct SplineData {
    std::int16_t degree = 3;
    std::int16_t flags = 0;     // 1 closed, 2 periodic, 4 rational, 8 planar, 16 linear
    std::vector<double> knots;
    std::vector<double> weights;        // empty: every control point weighs 1
    std::vector<Vec3> controlPoints;
    std::vector<Vec3> fitPoints;
    Vec3 startTangent, endTangent;      // (0, 0, 0): not given
    double knotTolerance = 1e-10, controlTolerance = 1e-10, fitTolerance = 1e-10;
    Vec3 normal{0, 0, 1};
};

// ATTDEF (in a block definition) and ATTRIB (after its INSERT, which owns
// it; the run ends with a SEQEND, as VERTEX entities end after POLYLINE).
struct AttributeData {
    TextGeom text{};            // the value (ATTRIB) or default (ATTDEF), in Drawing::textPool
    std::string tag;
    std::string prompt;         // ATTDEF only
    std::int16_t flags = 0;     // 1 invisible, 2 constant, 4 verify, 8 preset
    std::int16_t fieldLength = 0;
    bool lockPosition = false;
};

// DIMENSION: drawn through its anonymous block; the points as the file holds them.
struct DimensionData {
    std::int16_t type = 0;      // 70: 0 rotated, 1 aligned, 2 angular, 3 diameter, 4 radius,
                                // 5 angular 3-point, 6 ordinate; +32 own block, +64 ordinate x, +128 user text position
    std::uint32_t block = kNone;        // index into Drawing::blocks ("*D..."), kNone = none
    std::uint32_t dimstyle = kNone;     // index into Drawing::dimstyles, kNone = "Standard"
    Vec3 defPoint;              // 10
    Vec3 textMidpoint;          // 11
    Vec3 insertPoint;           // 12
    Vec3 defPoint2, defPoint3, defPoint4;   // 13, 14, 15
    Vec3 arcPoint;              // 16
    Vec3 normal{0, 0, 1};
    double measurement = 0;     // 42
    double rotation = 0;        // 50, radians (rotated linear)
    double horizontalDirection = 0;     // 51, radians
    double oblique = 0;         // 52, radians (extension lines)
    double textRotation = 0;    // 53, radians
    double leaderLength = 0;    // 40
    double lineSpacing = 1;     // 41
    std::int16_t attachment = 5;        // 71
    std::int16_t lineSpacingStyle = 1;  // 72
    std::string text;           // 1: "" the measurement, "<>" stands for it in an override
};

struct HatchData {
    std::string pattern = "SOLID";
    bool solid = true;
    std::vector<Vec3> boundary; // one closed polyline path, z ignored
    double elevation = 0;
};

// ----------------------------------------------------------------- tables

struct Layer {
    std::string name;
    Handle handle = 0;
    std::int16_t colour = 7;    // 1..255; writers write it negative when off
    bool off = false;
    std::int16_t flags = 0;     // 1 frozen, 4 locked
    std::uint32_t linetype = kNone;  // kNone = Continuous
    Handle plotStyle = 0;       // ACDBPLACEHOLDER in ACAD_PLOTSTYLENAME, 0 = none
    std::int16_t lineweight = -3;
    bool plot = true;
};

struct Linetype {
    std::string name;
    Handle handle = 0;
    std::string description;
    std::uint8_t alignment = 'A';
    double patternLength = 0;
    std::vector<double> dashes; // positive dash, negative gap, 0 dot
    std::int16_t flags = 0;
};

struct TextStyle {
    std::string name;
    Handle handle = 0;
    std::string font = "txt";
    std::string bigFont;
    double height = 0, widthFactor = 1, oblique = 0, lastHeight = 2.5;
    std::int16_t flags = 0;
    std::uint8_t generation = 0;
};

// A named table record with no fields of interest to us (APPID, VIEW, UCS,
// DIMSTYLE, VPORT): name, handle and flags.
struct SimpleRecord {
    std::string name;
    Handle handle = 0;
    std::int16_t flags = 0;
};

struct VportRecord {
    std::string name = "*Active";
    Handle handle = 0;
    Vec3 viewCenter;            // x, y
    double viewHeight = 1;
    double aspect = 1.5;
};

struct BlockRecord {
    std::string name;
    Handle handle = 0;
    std::uint32_t beginEntity = kNone;  // index into Drawing::entities (BLOCK)
    std::uint32_t endEntity = kNone;    // index into Drawing::entities (ENDBLK)
    std::vector<std::uint32_t> entities; // in drawing order; POLYLINE, VERTEX..., SEQEND in sequence
    Handle layout = 0;                  // LAYOUT object for space blocks
    Vec3 base;
    std::int16_t flags = 0;
    bool IsModelSpace() const;
    bool IsPaperSpace() const;          // *Paper_Space, *Paper_Space0, ...
};

// ------------------------------------------------------------------ objects

enum class ObjectType : std::uint8_t {
    Dictionary, DictionaryWithDefault, Placeholder, Layout, MLineStyle, XRecord,
    DictionaryVar,      // a named drawing setting kept in AcDbVariableDictionary
    Scale,              // an annotation scale of ACAD_SCALELIST
    MLeaderStyle,       // a multileader style of ACAD_MLEADERSTYLE
    TableStyle,         // a table style of ACAD_TABLESTYLE
    Material,           // a render material of ACAD_MATERIAL
    VisualStyle,        // a shading style of ACAD_VISUALSTYLE
};
const char* ObjectTypeName(ObjectType t);   // "DICTIONARY", "ACDBDICTIONARYWDFLT", ...

struct DictEntry {
    std::string name;
    Handle target = 0;
};

struct MaterialData;       // cad/render_styles.h
struct VisualStyleData;

struct LayoutData {
    std::string name;
    std::int16_t tabOrder = 0;
    Handle blockRecord = 0;
    Handle lastViewport = 0;    // the layout's own overall viewport, 0 when none
    double limMin[2] = {0, 0}, limMax[2] = {420, 297};
    Vec3 insBase, extMin{0, 0, 0}, extMax{0, 0, 0};
    // Plot settings kept simple: paper size in millimetres.
    std::string pageSetupName;
    std::string printerName = "none_device";
    std::string paperName = "ISO_A3_(420.00_x_297.00_MM)";
    double paperWidth = 420, paperHeight = 297;
    std::int16_t layoutFlags = 1;
    std::int16_t plotFlags = 688;
};

struct Object {
    ObjectType type = ObjectType::Dictionary;
    Handle handle = 0;
    Handle owner = 0;
    std::vector<Handle> reactors;
    std::vector<DictEntry> entries;     // dictionaries
    Handle defaultEntry = 0;            // dictionary with default
    bool hardOwner = false;             // 280 1
    std::int16_t cloning = 1;           // 281
    std::string name;                   // MLINESTYLE name, SCALE name
    std::shared_ptr<LayoutData> layout; // LAYOUT
    std::string value;                  // DICTIONARYVAR value, as text
    double paperUnits = 1, drawingUnits = 1;    // SCALE: paper units per drawing units
    bool unitScale = false;             // SCALE: the 1:1 scale
    std::vector<StyleValue> style;      // MLEADERSTYLE, TABLESTYLE: one value per field of the kind's list
    std::shared_ptr<MaterialData> material;         // MATERIAL
    std::shared_ptr<VisualStyleData> visualStyle;   // VISUALSTYLE
};

// ------------------------------------------------------------------ header

struct HeaderVars {
    Vec3 extMin{0, 0, 0}, extMax{0, 0, 0};
    double limMin[2] = {0, 0}, limMax[2] = {420, 297};
    std::string codePage = "ANSI_1252";
    std::int16_t pstyleMode = 1;        // 1 colour-dependent, 0 named plot styles
    std::int16_t insUnits = 0;
    std::int16_t measurement = 1;
    std::string currentLayer = "0";
    double textSize = 2.5;
    double ltScale = 1;
    std::int16_t tileMode = 1;          // 1 model space current, 0 a paper layout
};

// ------------------------------------------------------------------ drawing

// Case-insensitive (ASCII) hashing and comparison of names, usable with a
// std::string_view, so a lookup by name builds no string.
struct FoldedNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept;
};
struct FoldedNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};
using NameIndex = std::unordered_map<std::string, std::uint32_t, FoldedNameHash, FoldedNameEqual>;

class Drawing {
public:
    HeaderVars header;
    Release release = Release::R2000;   // release read from a file, or the target
    // A save option: 2D polylines (not 3D ones, not meshes) are written as
    // LWPOLYLINE where the release has it (R2000 on, DXF and DWG); the
    // database keeps them heavy. Readers set it when a file holds LWPOLYLINEs.
    bool lightweightPolylines = false;

    std::vector<Layer> layers;
    std::vector<Linetype> linetypes;    // ByBlock, ByLayer, Continuous first
    std::vector<TextStyle> styles;
    std::vector<SimpleRecord> appids, views, ucss, dimstyles;
    std::vector<VportRecord> vports;
    std::vector<BlockRecord> blocks;
    std::vector<Entity> entities;       // every entity, owned through a block's list
    std::vector<ViewportData> viewports;
    std::vector<HatchData> hatches;
    std::vector<LwPolylineData> lwpolylines;
    std::vector<SplineData> splines;
    std::vector<AttributeData> attributes;      // ATTDEF and ATTRIB
    std::vector<DimensionData> dimensions;
    std::vector<Object> objects;        // root dictionary first
    std::string textPool;               // text strings, addressed by offset and length
    // Entity and object kinds a reader met but the database does not keep,
    // by the name the file gives them ("MESH", "ACAD_TABLE"), with how many
    // it skipped. Writers ignore it; info and plot report it.
    std::map<std::string, std::uint32_t, std::less<>> notRead;
    void CountNotRead(std::string_view kind);
    // The same for objects (the OBJECTS section's kinds): never drawn, so
    // kept apart from the entities a plot leaves out.
    std::map<std::string, std::uint32_t, std::less<>> objectsNotRead;
    void CountObjectNotRead(std::string_view kind);

    // Table control objects (and the VX control for R2000 DWG), fixed handles.
    struct Controls {
        Handle block = 1, layer = 2, style = 3, linetype = 5, view = 6, ucs = 7,
               vport = 8, appid = 9, dimstyle = 0xA, vx = 0xB;
    } controls;
    Handle rootDictionary = 0xC;

    // ---- handles
    Handle NewHandle();                 // unique, above every handle in the drawing
    Handle HandleSeed() const { return nextHandle_; }
    void ReserveHandle(Handle h);       // make sure NewHandle never gives h (readers)

    // ---- lookups by name (case-insensitive, as CAD names are), constant time
    std::uint32_t FindLayer(std::string_view name) const;      // kNone when absent
    std::uint32_t FindLinetype(std::string_view name) const;
    std::uint32_t FindBlock(std::string_view name) const;
    std::uint32_t FindStyle(std::string_view name) const;
    std::uint32_t FindObject(Handle h) const;                  // index into objects
    std::uint32_t FindBlockByHandle(Handle h) const;
    std::uint32_t ModelSpace() const { return modelSpace_; }   // kept with the name index
    std::uint32_t PaperSpace() const { return FindBlock("*Paper_Space"); }

    // ---- adding (the name indexes are kept up to date)
    std::uint32_t AddLayer(Layer layer);        // kNone when the name exists already
    std::uint32_t AddLinetype(Linetype lt);     // a repeated name is made unique (see .cpp)
    std::uint32_t AddStyle(TextStyle st);
    std::uint32_t AddBlock(BlockRecord block);  // kNone when the name exists already
    std::uint32_t AddObject(Object obj);
    void RenameBlock(std::uint32_t block, const std::string& name);

    // Appends an entity to a block's list (VERTEX and SEQEND are then owned
    // by the POLYLINE before them, ATTRIB and SEQEND by the INSERT). BLOCK and
    // ENDBLK entities become the block's begin and end instead of list
    // members. Returns the entity index.
    std::uint32_t AppendEntity(std::uint32_t block, Entity e);
    // Creates the BLOCK / ENDBLK pair of a block that lacks them.
    void EnsureBlockEnds(std::uint32_t block);

    std::string_view Text(const TextGeom& t) const { return std::string_view(textPool).substr(t.textOffset, t.textLength); }
    void SetText(TextGeom& t, std::string_view s);
    std::string_view Text(const MTextGeom& t) const { return std::string_view(textPool).substr(t.textOffset, t.textLength); }
    void SetText(MTextGeom& t, std::string_view s);
    // Adds a kind's side data and points the entity at it.
    void SetLwPolyline(Entity& e, LwPolylineData data);
    void SetSpline(Entity& e, SplineData data);
    void SetAttribute(Entity& e, AttributeData data);
    void SetDimension(Entity& e, DimensionData data);

    Object* ObjectByHandle(Handle h);
    const Object* ObjectByHandle(Handle h) const;
    Object& Root() { return objects.at(FindObject(rootDictionary)); }

    // Rebuilds the name indexes after the vectors were changed directly (readers).
    void RebuildIndexes();

private:
    Handle nextHandle_ = 0x20;
    NameIndex layerIndex_, linetypeIndex_, blockIndex_, styleIndex_;
    // The model space's block, found again whenever the block names change:
    // walks and writers ask for it once per entity.
    std::uint32_t modelSpace_ = kNone;
    // Per folded linetype name: the number from which a repeat of it looks for a free "_n".
    std::unordered_map<std::string, int> linetypeSuffix_;
    std::unordered_map<Handle, std::uint32_t> objectIndex_, blockHandleIndex_;
};

// Upper-cases a name for the case-insensitive indexes.
std::string FoldName(std::string_view name);

// Makes the content every R2000 drawing holds: layer "0", STYLE "Standard",
// linetypes ByBlock/ByLayer/Continuous, APPID "ACAD", DIMSTYLE "Standard",
// VPORT "*Active", *Model_Space and *Paper_Space with their BLOCK/ENDBLK and
// LAYOUT objects, the named object dictionary with ACAD_GROUP, ACAD_LAYOUT,
// ACAD_MLINESTYLE, ACAD_PLOTSETTINGS and ACAD_PLOTSTYLENAME ("Normal"),
// MLINESTYLE "Standard", an empty ACAD_COLOR, ACAD_SCALELIST with the
// standard scales and AcDbVariableDictionary with the drawing settings a
// current drawing keeps there. ACAD_MLEADERSTYLE and ACAD_TABLESTYLE with
// their "Standard" styles (current in AcDbVariableDictionary) are added by
// EnsureStandardContent, which the writers call: after every entity made
// before the first save, so that their handles come last. ACAD_MATERIAL
// (ByLayer, ByBlock, Global) and ACAD_VISUALSTYLE with the standard visual
// styles are there from the start.
std::unique_ptr<Drawing> NewDrawing();

// Adds whatever of that standard content a drawing lacks (a drawing read
// from a file, or edited directly), and links every layout block to its
// LAYOUT object. Leaves what is there alone.
void EnsureStandardContent(Drawing& d);

// Repairs what the formats cannot hold before a save, in place (rules in
// normalize_for_save.cpp, a kind's own in entity_kinds.cpp): the standard content, zero or repeated handles, a
// handle seed above every handle, objects outside the dictionary tree,
// references to records or objects that do not exist, blocks without their
// BLOCK/ENDBLK, VERTEX entities outside a polyline, polylines without
// SEQEND, paper-space flags, the overall viewport of a paper
// layout. Writers call it before writing.
void NormalizeForSave(Drawing& d);

// What a drawing held when NormalizeForSave last left it, for a save after
// changes made since: `before`, a copy of it without its entities and text
// (records, blocks with their lists, objects, side data), the number of
// entities and text bytes then, and which of those entities were changed
// since (keeping their handles). Entities added since follow them. No
// `before`: nothing is known.
struct NormalisedBefore {
    const Drawing* before = nullptr;
    std::size_t entityCount = 0, textSize = 0;
    const std::unordered_set<std::uint32_t>* changed = nullptr;
};

// NormalizeForSave for a drawing normalised before and changed since: it
// leaves what NormalizeForSave leaves, repairing the entities and block
// lists the changes touched and taking the rest as they were; the whole
// drawing when the earlier state cannot vouch for the rest.
void NormalizeForSave(Drawing& d, const NormalisedBefore& since);

// Brings a drawing to what reading back the file a writer makes of it, as
// DWG or DXF of the release, would give: what the formats cannot hold is
// repaired (NormalizeForSave), names are those the file gives the records,
// and the drawing carries the release. Writing it again gives that file.
void AsReadBack(Drawing& d, Release release, bool dwg);

// Error from a codec (read or write). The message says what and where.
class CadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace ostrel::cad
