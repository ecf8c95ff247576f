#pragma once
// The state shared by the parts of the DXF reader while one file is read.
#include <cstdint>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "cad/dxf/dxf_read_tags.h"

namespace ostrel::cad {

// Angles are read in degrees and held in radians.
inline constexpr double kDegree = std::numbers::pi / 180.0;

struct DxfReadContext {
    DxfReadContext(Drawing& drawing, DxfTagReader& reader) : d(drawing), tags(reader) {}

    Drawing& d;
    DxfTagReader& tags;
    bool utf8 = false;          // strings are UTF-8 (R2007 and later, or a byte-order mark)
    bool releaseRead = false;   // $ACADVER was present
    Handle handleSeed = 0;      // $HANDSEED

    // Table control handles the file gave (the others get new handles).
    bool controlRead[10] = {};
    // Linetypes as the file lists them, added to the drawing in the order
    // the database keeps (ByBlock, ByLayer, Continuous first) once the
    // tables are complete.
    std::vector<Linetype> pendingLinetypes;
    // Linetype names of the layers, resolved when the tables are complete.
    std::vector<std::string> layerLinetypeNames;
    bool tablesFinished = false;
    bool inBlocks = false;      // reading the BLOCKS section

    // The record being read: its tags without 102 groups and extended data,
    // its ACAD_REACTORS handles and its extended data (codes 1000 and above).
    std::vector<DxfTag> record;
    std::vector<Handle> reactors;
    std::vector<DxfTag> xdata;
    std::int64_t recordLine = 0;

    // Entity sequence state: vertices follow their polyline, attributes
    // follow their insert.
    enum class Sequence { None, Polyline, SkippedPolyline, Attributes, SkippedInsert };
    Sequence sequence = Sequence::None;
    std::uint32_t sequenceBlock = kNone;

    // Name-lookup caches (consecutive entities mostly share a layer).
    std::string lastLayerName;
    std::uint32_t lastLayer = kNone;
    std::string lastLinetypeName;
    std::uint32_t lastLinetype = kNone;
    bool lastLinetypeValid = false;
    std::string lastBlockName;
    std::uint32_t lastBlock = kNone;
    std::string lastStyleName;
    std::uint32_t lastStyle = kNone;

    // Decoded string of the last Decode call (reused buffer).
    std::string scratch;
    std::string caretScratch;

    // The value of a string tag as database bytes. The view is valid until
    // the next Decode call.
    std::string_view Decode(std::string_view raw);
    std::string DecodeString(std::string_view raw) { return std::string(Decode(raw)); }
    // A text value (a TEXT string, a description, a layout name): decoded,
    // with its caret notation undone. Valid until the next Decode call.
    std::string_view DecodeText(std::string_view raw);
    std::string DecodeTextString(std::string_view raw) { return std::string(DecodeText(raw)); }

    // Collects the tags that follow a "0 <type>" tag up to the next code 0.
    void ReadRecord(std::int64_t headLine);
    // Skips to the next code 0 without keeping anything.
    void SkipRecord();
};

// The canonical spelling of the space blocks' names ("$MODEL_SPACE" of R12,
// "*MODEL_SPACE" of R13 -> "*Model_Space"); other names unchanged.
std::string NormalizeBlockName(const std::string& name);

// Index of a control slot for a table name ("LAYER" ...); -1 for unknown.
int TableControlSlot(std::string_view tableName);
Handle& TableControl(Drawing& d, int slot);

// The sections. Each reads from the tag after "2 <name>" up to and
// including "0 ENDSEC".
void ReadHeaderSection(DxfReadContext& ctx);
void ReadTablesSection(DxfReadContext& ctx);
void ReadBlocksSection(DxfReadContext& ctx);
void ReadEntitiesSection(DxfReadContext& ctx);
void ReadObjectsSection(DxfReadContext& ctx);

// Completes the tables once they have all been read (linetype order and
// references, layer "0", style "Standard"); safe to call more than once.
void FinishTables(DxfReadContext& ctx);
// The space blocks *Model_Space and *Paper_Space, created when missing.
void EnsureSpaceBlocks(DxfReadContext& ctx);

// Reads one entity record (ctx.record holds its tags) into a block. block is
// kNone in the ENTITIES section: the owner or the paper-space flag decides.
void ReadEntityRecord(DxfReadContext& ctx, std::string_view type, std::uint32_t block);
// The boundary of a HATCH record into hatch data.
void ReadHatchBoundary(const std::vector<DxfTag>& tags, HatchData& hatch);

// After the whole file: handles for records without one, owners, the
// standard objects and layouts every drawing holds, dangling references.
void CompleteDrawing(DxfReadContext& ctx);

// Layer index for a name, creating the layer when the file never defined it.
std::uint32_t LayerForName(DxfReadContext& ctx, std::string_view name);
// Linetype index for an entity's linetype name (kNone = ByLayer).
std::uint32_t LinetypeForName(DxfReadContext& ctx, std::string_view name);
// Block index for an insert's block name; kNone when there is no such block.
std::uint32_t BlockForName(DxfReadContext& ctx, std::string_view name);
// Text style index for a text's style name; "Standard" when there is none.
std::uint32_t StyleForName(DxfReadContext& ctx, std::string_view name);

} // namespace ostrel::cad
