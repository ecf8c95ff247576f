// Entity records of the BLOCKS and ENTITIES sections: their common groups
// here, their kind's own by the kind (dxf::ReadKind). Kinds the database
// does not hold (XLINE, MESH, ACAD_TABLE, polyface and polygon meshes ...)
// are skipped and counted by name in the drawing's notRead.
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "cad/dxf/dxf_kinds.h"

namespace ostrel::cad {

namespace {


struct Common {
    Handle handle = 0;
    Handle owner = 0;
    bool ownerSeen = false;
    bool paper = false;
    bool invisible = false;
    std::int16_t colour = kColourByLayer;
    std::string_view layer;
    std::string_view linetype;
};

Common ReadCommon(const std::vector<DxfTag>& tags) {
    Common c;
    for (auto& t : tags) {
        switch (t.code) {
        case 5: if (c.handle == 0) c.handle = TagHandle(t); break;
        case 330:
            if (!c.ownerSeen) {
                c.owner = TagHandle(t);
                c.ownerSeen = true;
            }
            break;
        case 8: c.layer = t.value; break;
        case 6: c.linetype = t.value; break;
        case 62: c.colour = TagShort(t); break;
        case 60: c.invisible = TagShort(t) != 0; break;
        case 67: c.paper = TagShort(t) != 0; break;
        default: break;
        }
    }
    if (c.colour < 0 || c.colour > 257) c.colour = kColourByLayer;   // negative: "layer off" colour
    return c;
}

std::uint32_t BlockOf(DxfReadContext& ctx, const Common& c, std::uint32_t block) {
    if (block != kNone) return block;
    if (c.owner != 0) {
        auto b = ctx.d.FindBlockByHandle(c.owner);
        if (b != kNone && ctx.d.blocks[b].handle == c.owner) return b;
    }
    return c.paper ? ctx.d.PaperSpace() : ctx.d.ModelSpace();
}

Entity Base(DxfReadContext& ctx, const Common& c, EntityType type) {
    Entity e;
    e.type = type;
    e.handle = c.handle;
    e.colour = c.colour;
    if (c.invisible) e.flags |= kEntityInvisible;
    e.layer = LayerForName(ctx, c.layer);
    e.linetype = LinetypeForName(ctx, c.linetype);
    return e;
}

} // namespace

std::uint32_t LayerForName(DxfReadContext& ctx, std::string_view raw) {
    auto name = ctx.Decode(raw);
    if (name.empty()) name = "0";
    if (ctx.lastLayer != kNone && name == ctx.lastLayerName) return ctx.lastLayer;
    auto idx = ctx.d.FindLayer(name);
    if (idx == kNone) {
        // A layer the tables never defined: made as the CAD programs make it.
        Layer layer;
        layer.name = std::string(name);
        idx = ctx.d.AddLayer(std::move(layer));
        ctx.layerLinetypeNames.resize(ctx.d.layers.size());
    }
    ctx.lastLayerName.assign(name);
    ctx.lastLayer = idx;
    return idx;
}

std::uint32_t LinetypeForName(DxfReadContext& ctx, std::string_view raw) {
    if (raw.empty()) return kNone;
    auto name = ctx.Decode(raw);
    if (ctx.lastLinetypeValid && name == ctx.lastLinetypeName) return ctx.lastLinetype;
    std::uint32_t idx = kNone;
    if (FoldName(name) != "BYLAYER") idx = ctx.d.FindLinetype(name);
    ctx.lastLinetypeName.assign(name);
    ctx.lastLinetype = idx;
    ctx.lastLinetypeValid = true;
    return idx;
}

std::uint32_t BlockForName(DxfReadContext& ctx, std::string_view raw) {
    auto name = ctx.Decode(raw);
    if (ctx.lastBlock != kNone && name == ctx.lastBlockName) return ctx.lastBlock;
    const auto normalized = NormalizeBlockName(std::string(name));
    auto idx = ctx.d.FindBlock(normalized);
    if (idx == kNone && ctx.inBlocks && !name.empty()) {
        // A block that a later definition gives (R12 has no block records to
        // name it beforehand): its record is made now and filled then.
        BlockRecord b;
        b.name = normalized;
        idx = ctx.d.AddBlock(std::move(b));
    }
    if (idx != kNone) {
        ctx.lastBlockName.assign(name);
        ctx.lastBlock = idx;
    }
    return idx;
}

std::uint32_t StyleForName(DxfReadContext& ctx, std::string_view raw) {
    auto name = ctx.Decode(raw);
    if (ctx.lastStyle != kNone && name == ctx.lastStyleName) return ctx.lastStyle;
    auto idx = ctx.d.FindStyle(name);
    if (idx == kNone) idx = ctx.d.FindStyle("Standard");
    ctx.lastStyleName.assign(name);
    ctx.lastStyle = idx;
    return idx;
}

namespace {

// The kind a record's type names; nullopt for kinds the database does not hold.
std::optional<EntityType> KindOfName(std::string_view type) {
    static const auto* const byName = [] {
        auto* m = new std::unordered_map<std::string_view, EntityType>;
        for (int i = 0; i < kEntityTypeCount; ++i)
            m->emplace(EntityTypeName(static_cast<EntityType>(i)), static_cast<EntityType>(i));
        return m;
    }();
    auto it = byName->find(type);
    if (it == byName->end()) return std::nullopt;
    return it->second;
}

// VERTEX, ATTRIB and SEQEND records, kept when they follow their POLYLINE
// or INSERT. False for every other type.
bool ReadSequenceMember(DxfReadContext& ctx, std::string_view type) {
    using Seq = DxfReadContext::Sequence;
    const bool vertex = type == "VERTEX", attrib = type == "ATTRIB", seqend = type == "SEQEND";
    if (!vertex && !attrib && !seqend) return false;
    const bool keep = (ctx.sequence == Seq::Polyline && !attrib) || (ctx.sequence == Seq::Attributes && !vertex);
    if (keep) {
        Common c = ReadCommon(ctx.record);
        Entity e = Base(ctx, c, vertex ? EntityType::Vertex : attrib ? EntityType::Attrib : EntityType::SeqEnd);
        dxf::ReadKind(ctx, e, ctx.sequenceBlock);
        ctx.d.AppendEntity(ctx.sequenceBlock, e);
    } else if (attrib) {
        ctx.d.CountNotRead(type);   // no INSERT kept to carry it
    }
    if (seqend) ctx.sequence = Seq::None;
    return true;
}

} // namespace

void ReadEntityRecord(DxfReadContext& ctx, std::string_view type, std::uint32_t block) {
    if (ReadSequenceMember(ctx, type)) return;
    ctx.sequence = DxfReadContext::Sequence::None;
    Common c = ReadCommon(ctx.record);
    block = BlockOf(ctx, c, block);
    if (block == kNone) return;
    const auto kind = KindOfName(type);
    if (!kind || *kind == EntityType::Block || *kind == EntityType::EndBlk) {
        ctx.d.CountNotRead(type);   // a kind the database does not hold
        return;
    }
    Entity e = Base(ctx, c, *kind);
    if (dxf::ReadKind(ctx, e, block)) ctx.d.AppendEntity(block, e);
}

void ReadEntitiesSection(DxfReadContext& ctx) {
    FinishTables(ctx);
    EnsureSpaceBlocks(ctx);
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code != 0) ThrowAtLine(tag.line, "unexpected group code " + std::to_string(tag.code) + " in ENTITIES");
        if (tag.value == "ENDSEC") {
            ctx.sequence = DxfReadContext::Sequence::None;
            return;
        }
        if (tag.value == "EOF") ThrowAtLine(tag.line, "EOF inside ENTITIES");
        ctx.ReadRecord(tag.line);
        ReadEntityRecord(ctx, tag.value, kNone);
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside ENTITIES (truncated?)");
}

void EnsureSpaceBlocks(DxfReadContext& ctx) {
    for (const char* name : {"*Model_Space", "*Paper_Space"}) {
        if (ctx.d.FindBlock(name) != kNone) continue;
        BlockRecord b;
        b.name = name;
        ctx.d.AddBlock(std::move(b));
    }
}

namespace {

// A BLOCK record: the block it opens, or kNone when it repeats a definition
// already read (its entities are then skipped).
std::uint32_t ReadBlockBegin(DxfReadContext& ctx, std::int64_t line) {
    auto& d = ctx.d;
    Common c = ReadCommon(ctx.record);
    std::string name;
    Vec3 base;
    std::int16_t flags = 0;
    int axis;
    for (auto& t : ctx.record) {
        if (t.code == 2) name = ctx.DecodeString(t.value);
        else if (t.code == 70) flags = TagShort(t);
        else if (dxf::PointCode(t.code, 10, axis)) dxf::SetAxis(base, axis, t);
    }
    if (name.empty()) ThrowAtLine(line, "BLOCK without a name");
    name = NormalizeBlockName(name);
    std::uint32_t b = kNone;
    if (c.owner != 0) {
        b = d.FindBlockByHandle(c.owner);
        if (b != kNone && d.blocks[b].handle != c.owner) b = kNone;
    }
    if (b == kNone) b = d.FindBlock(name);
    if (b == kNone) {
        BlockRecord rec;
        rec.name = name;
        b = d.AddBlock(std::move(rec));
    }
    if (d.blocks[b].beginEntity != kNone) return kNone;
    d.blocks[b].base = base;
    d.blocks[b].flags = static_cast<std::int16_t>(flags & 3);
    Entity e = Base(ctx, c, EntityType::Block);
    e.linetype = kNone;
    d.AppendEntity(b, e);
    return b;
}

void ReadBlockEnd(DxfReadContext& ctx, std::uint32_t current) {
    if (current == kNone) return;
    Common c = ReadCommon(ctx.record);
    Entity e = Base(ctx, c, EntityType::EndBlk);
    e.linetype = kNone;
    ctx.d.AppendEntity(current, e);
}

} // namespace

void ReadBlocksSection(DxfReadContext& ctx) {
    FinishTables(ctx);
    ctx.inBlocks = true;
    std::uint32_t current = kNone;   // kNone also inside a repeated definition
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code != 0) ThrowAtLine(tag.line, "unexpected group code " + std::to_string(tag.code) + " in BLOCKS");
        if (tag.value == "ENDSEC") {
            ctx.inBlocks = false;
            EnsureSpaceBlocks(ctx);
            ctx.sequence = DxfReadContext::Sequence::None;
            return;
        }
        if (tag.value == "EOF") ThrowAtLine(tag.line, "EOF inside BLOCKS");
        ctx.ReadRecord(tag.line);
        if (tag.value == "BLOCK" || tag.value == "ENDBLK") {
            ctx.sequence = DxfReadContext::Sequence::None;
            if (tag.value == "BLOCK") current = ReadBlockBegin(ctx, tag.line);
            else ReadBlockEnd(ctx, current), current = kNone;
        } else if (current != kNone) {
            ReadEntityRecord(ctx, tag.value, current);
        }
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside BLOCKS (truncated?)");
}

} // namespace ostrel::cad
