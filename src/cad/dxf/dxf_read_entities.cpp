// Entity records of the BLOCKS and ENTITIES sections. Kinds the database
// does not hold (XLINE, MESH, ACAD_TABLE, polyface and polygon meshes ...)
// are skipped and counted by name in the drawing's notRead.
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "cad/dxf/dxf_read_kinds.h"

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

void ReadPoint(DxfReadContext& ctx, Entity& e) {
    e.geom.point = PointGeom{};
    int axis;
    for (auto& t : ctx.record)
        if (PointCode(t.code, 10, axis)) SetAxis(e.geom.point.pos, axis, t);
}

void ReadLine(DxfReadContext& ctx, Entity& e) {
    e.geom.line = LineGeom{};
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(e.geom.line.start, axis, t);
        else if (PointCode(t.code, 11, axis)) SetAxis(e.geom.line.end, axis, t);
    }
}

void ReadCircleOrArc(DxfReadContext& ctx, Entity& e, bool arc) {
    Vec3 center;
    double radius = 0, start = 0, end = 360;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(center, axis, t);
        else if (t.code == 40) radius = TagDouble(t);
        else if (t.code == 50) start = TagDouble(t);
        else if (t.code == 51) end = TagDouble(t);
    }
    if (arc) e.geom.arc = ArcGeom{center, radius, start * kDegree, end * kDegree};
    else e.geom.circle = CircleGeom{center, radius};
}

void ReadText(DxfReadContext& ctx, Entity& e) {
    TextRead text;
    std::string_view value;
    for (auto& t : ctx.record) {
        if (TextGroup(ctx, t, text)) continue;
        if (t.code == 1) value = t.value;
        else if (t.code == 73) text.g.vAlign = static_cast<std::uint8_t>(TagShort(t));
    }
    FinishText(ctx, text);
    ctx.d.SetText(text.g, ctx.DecodeText(value));
    e.geom.text = text.g;
}

// False when the block does not exist: the insert is then dropped.
bool ReadInsert(DxfReadContext& ctx, Entity& e, bool& attributesFollow) {
    InsertGeom g{};
    g.xScale = g.yScale = g.zScale = 1;
    g.columns = g.rows = 1;
    g.block = kNone;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(g.pos, axis, t);
        else switch (t.code) {
        case 2: g.block = BlockForName(ctx, t.value); break;
        case 41: g.xScale = TagDouble(t); break;
        case 42: g.yScale = TagDouble(t); break;
        case 43: g.zScale = TagDouble(t); break;
        case 50: g.rotation = TagDouble(t) * kDegree; break;
        case 70: g.columns = TagShort(t); break;
        case 71: g.rows = TagShort(t); break;
        case 44: g.columnSpacing = TagDouble(t); break;
        case 45: g.rowSpacing = TagDouble(t); break;
        case 66: attributesFollow = TagShort(t) != 0; break;
        default: break;
        }
    }
    if (g.columns < 1) g.columns = 1;
    if (g.rows < 1) g.rows = 1;
    e.geom.insert = g;
    return g.block != kNone && !ctx.d.blocks[g.block].IsModelSpace() && !ctx.d.blocks[g.block].IsPaperSpace();
}

void ReadPolyline(DxfReadContext& ctx, Entity& e) {
    PolylineGeom g{};
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 30: g.elevation = TagDouble(t); break;
        case 70: g.flags = TagShort(t); break;
        case 40: g.startWidth = TagDouble(t); break;
        case 41: g.endWidth = TagDouble(t); break;
        default: break;
        }
    }
    e.geom.polyline = g;
}

void ReadVertex(DxfReadContext& ctx, Entity& e) {
    VertexGeom g{};
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(g.pos, axis, t);
        else switch (t.code) {
        case 40: g.startWidth = TagDouble(t); g.widthFlags |= 1; break;
        case 41: g.endWidth = TagDouble(t); g.widthFlags |= 2; break;
        case 42: g.bulge = TagDouble(t); break;
        case 70: g.flags = TagShort(t); break;
        default: break;
        }
    }
    e.geom.vertex = g;
}

void ReadFace(DxfReadContext& ctx, Entity& e) {
    FaceGeom g{};
    int axis;
    for (auto& t : ctx.record) {
        bool done = false;
        for (int k = 0; k < 4 && !done; ++k)
            if (PointCode(t.code, 10 + k, axis)) { SetAxis(g.corner[k], axis, t); done = true; }
        if (!done && t.code == 70) e.invisibleEdges = TagShort(t);
    }
    e.geom.face = g;
}

void ReadViewport(DxfReadContext& ctx, Entity& e) {
    ViewportData v;
    bool viewSeen = false;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(v.center, axis, t);
        else if (PointCode(t.code, 16, axis)) SetAxis(v.viewDirection, axis, t);
        else if (PointCode(t.code, 17, axis)) SetAxis(v.viewTarget, axis, t);
        else switch (t.code) {
        case 40: v.width = TagDouble(t); break;
        case 41: v.height = TagDouble(t); break;
        case 68: v.status = TagShort(t); break;
        case 69: v.id = TagShort(t); break;
        case 12: v.viewCenter.x = TagDouble(t); viewSeen = true; break;
        case 22: v.viewCenter.y = TagDouble(t); break;
        case 42: v.lensLength = TagDouble(t); break;
        case 45: v.viewHeight = TagDouble(t); break;
        case 51: v.twist = TagDouble(t) * kDegree; break;
        case 90: v.statusFlags = TagInt(t); break;
        default: break;
        }
    }
    if (!viewSeen) {
        // R12 keeps the view in the "ACAD" extended data: 1001 ACAD, 1000 MVIEW,
        // then version, target, direction, twist, height, centre x and y, lens.
        auto& x = ctx.xdata;
        std::size_t i = 0;
        while (i + 1 < x.size() && !(x[i].code == 1001 && x[i].value == "ACAD" && x[i + 1].code == 1000 &&
                                     x[i + 1].value == "MVIEW"))
            ++i;
        if (i + 1 < x.size()) {
            int item = 0;
            for (i += 2; i < x.size() && item <= 7; ++i) {
                const auto& t = x[i];
                if (t.code == 1002) continue;
                if (t.code == 1020 || t.code == 1030) {
                    Vec3& p = item == 2 ? v.viewTarget : v.viewDirection;
                    if (item == 2 || item == 3) (t.code == 1020 ? p.y : p.z) = TagDouble(t);
                    continue;
                }
                ++item;
                switch (item) {
                case 2: v.viewTarget.x = TagDouble(t); break;
                case 3: v.viewDirection.x = TagDouble(t); break;
                case 4: v.twist = TagDouble(t) * kDegree; break;
                case 5: v.viewHeight = TagDouble(t); break;
                case 6: v.viewCenter.x = TagDouble(t); break;
                case 7: v.viewCenter.y = TagDouble(t); break;
                case 8: v.lensLength = TagDouble(t); break;
                default: break;
                }
            }
        }
    }
    e.geom.extra.index = static_cast<std::uint32_t>(ctx.d.viewports.size());
    ctx.d.viewports.push_back(v);
}

void ReadHatch(DxfReadContext& ctx, Entity& e) {
    HatchData h;
    h.pattern.clear();
    for (auto& t : ctx.record) {
        if (t.code == 91) break;             // the boundary paths begin
        switch (t.code) {
        case 30: h.elevation = TagDouble(t); break;
        case 2: h.pattern = ctx.DecodeString(t.value); break;
        case 70: h.solid = TagShort(t) != 0; break;
        default: break;
        }
    }
    if (h.pattern.empty()) h.pattern = "SOLID";
    ReadHatchBoundary(ctx.record, h);
    e.geom.extra.index = static_cast<std::uint32_t>(ctx.d.hatches.size());
    ctx.d.hatches.push_back(std::move(h));
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
        if (vertex) ReadVertex(ctx, e);
        if (attrib) ReadAttribute(ctx, e);
        ctx.d.AppendEntity(ctx.sequenceBlock, e);
    } else if (attrib) {
        ctx.d.CountNotRead(type);   // no INSERT kept to carry it
    }
    if (seqend) ctx.sequence = Seq::None;
    return true;
}

// The kind's own groups into the entity; false when it is not kept.
bool ReadKind(DxfReadContext& ctx, Entity& e, std::uint32_t block) {
    using Seq = DxfReadContext::Sequence;
    switch (e.type) {
    case EntityType::Point: ReadPoint(ctx, e); return true;
    case EntityType::Line: ReadLine(ctx, e); return true;
    case EntityType::Circle: ReadCircleOrArc(ctx, e, false); return true;
    case EntityType::Arc: ReadCircleOrArc(ctx, e, true); return true;
    case EntityType::Text: ReadText(ctx, e); return true;
    case EntityType::Insert: {
        bool attributes = false;
        const bool ok = ReadInsert(ctx, e, attributes);
        if (attributes) ctx.sequence = ok ? Seq::Attributes : Seq::SkippedInsert;
        ctx.sequenceBlock = block;
        return ok;
    }
    case EntityType::Polyline:
        ReadPolyline(ctx, e);
        if (e.geom.polyline.flags & (16 | 64)) {   // polygon and polyface meshes are not held
            ctx.d.CountNotRead(e.geom.polyline.flags & 64 ? "POLYLINE (polyface mesh)" : "POLYLINE (polygon mesh)");
            ctx.sequence = Seq::SkippedPolyline;
            return false;
        }
        ctx.sequence = Seq::Polyline;
        ctx.sequenceBlock = block;
        return true;
    case EntityType::Face3D:
    case EntityType::Solid: ReadFace(ctx, e); return true;
    case EntityType::Viewport: ReadViewport(ctx, e); return true;
    case EntityType::Hatch: ReadHatch(ctx, e); return true;
    case EntityType::LwPolyline: ReadLwPolylineRecord(ctx, e); return true;
    case EntityType::Ellipse: ReadEllipse(ctx, e); return true;
    case EntityType::Spline: ReadSpline(ctx, e); return true;
    case EntityType::MText: ReadMText(ctx, e); return true;
    case EntityType::AttDef: ReadAttribute(ctx, e); return true;
    case EntityType::Dimension: ReadDimension(ctx, e); return true;
    // Read as members of their sequence, or by the BLOCKS section.
    case EntityType::Vertex:
    case EntityType::SeqEnd:
    case EntityType::Attrib:
    case EntityType::Block:
    case EntityType::EndBlk: return false;
    }
    return false;
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
    if (ReadKind(ctx, e, block)) ctx.d.AppendEntity(block, e);
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
        else if (PointCode(t.code, 10, axis)) SetAxis(base, axis, t);
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
