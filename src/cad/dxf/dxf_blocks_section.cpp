// BLOCKS and ENTITIES: every block's BLOCK ... ENDBLK, with the contents of
// the blocks that are not drawn in ENTITIES; then model space and the active
// paper space.
#include "cad/dxf/dxf_entities_parallel.h"
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad::dxf {

namespace {

bool IsActivePaperSpace(const BlockRecord& b) { return FoldedNameEqual{}(b.name, "*Paper_Space"); }

void WriteContents(WriteContext& c, const BlockRecord& b) { WriteListed(c, b.entities, 0, b.entities.size()); }

void WriteBlock(WriteContext& c, const BlockRecord& b) {
    if (b.beginEntity == kNone || b.endEntity == kNone) return;   // NormalizeForSave makes both
    c.blockOwner = b.handle;
    WriteEntity(c, c.d.entities[b.beginEntity]);
    if (!IsEntitiesSectionBlock(b)) WriteContents(c, b);
    WriteEntity(c, c.d.entities[b.endEntity]);
}

} // namespace

bool IsEntitiesSectionBlock(const BlockRecord& b) { return b.IsModelSpace() || IsActivePaperSpace(b); }

// Before R2000 a drawing has one paper space: further layouts' blocks
// (*Paper_Space0, ...) and their contents are left out.
bool IsWrittenBlock(const BlockRecord& b, Release r) {
    return r >= Release::R2000 || !b.IsPaperSpace() || IsActivePaperSpace(b);
}

void WriteBlocksSection(WriteContext& c) {
    c.w.Marker("SECTION");
    c.w.Name(2, "BLOCKS");
    // The two spaces first, as AutoCAD writes them.
    for (const auto& b : c.d.blocks)
        if (IsEntitiesSectionBlock(b)) WriteBlock(c, b);
    for (const auto& b : c.d.blocks)
        if (!IsEntitiesSectionBlock(b) && IsWrittenBlock(b, c.release)) WriteBlock(c, b);
    c.w.Marker("ENDSEC");
}

void WriteEntitiesSection(WriteContext& c) {
    c.w.Marker("SECTION");
    c.w.Name(2, "ENTITIES");
    // Large spaces are spelled by two threads (releases whose entities take
    // no writer-made handles).
    auto contents = [&c](const BlockRecord& b) {
        c.blockOwner = b.handle;
        if (!c.preR2000 && b.entities.size() >= kParallelContentsFrom) WriteEntitiesInParallel(c, b.entities);
        else WriteContents(c, b);
    };
    for (const auto& b : c.d.blocks)
        if (b.IsModelSpace()) contents(b);
    for (const auto& b : c.d.blocks)
        if (IsActivePaperSpace(b)) contents(b);
    c.w.Marker("ENDSEC");
}

} // namespace ostrel::cad::dxf
