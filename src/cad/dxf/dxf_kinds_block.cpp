// The kinds that name a block: INSERT, the BLOCK and ENDBLK records around
// a block's entities, and DIMENSION, drawn through its anonymous block.
#include <string>

#include "cad/dxf/dxf_kinds.h"

namespace ostrel::cad::dxf {

namespace {

const std::string& BlockName(WriteContext& c, std::uint32_t block) {
    static const std::string kModel = "$MODEL_SPACE", kPaper = "$PAPER_SPACE";
    const auto& b = c.d.blocks[block];
    // R12 calls the two spaces by these names.
    if (c.r12 && b.IsModelSpace()) return kModel;
    if (c.r12 && b.IsPaperSpace()) return kPaper;
    return c.names.blocks[block];
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

// The dimension type's own subclass and points.
void WriteDimensionPoints(WriteContext& c, const DimensionData& m) {
    auto& w = c.w;
    switch (m.type & 0x0F) {
    case 0:
    case 1:
        c.Subclass("AcDbAlignedDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        if ((m.type & 0x0F) == 0) {
            if (m.rotation != 0) w.Real(50, m.rotation * kDegrees);
            if (m.oblique != 0) w.Real(52, m.oblique * kDegrees);
            c.Subclass("AcDbRotatedDimension");
        }
        break;
    case 2:
    case 5:
        c.Subclass((m.type & 0x0F) == 2 ? "AcDb2LineAngularDimension" : "AcDb3PointAngularDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        w.Point3(15, m.defPoint4);
        if ((m.type & 0x0F) == 2) w.Point3(16, m.arcPoint);
        break;
    case 3:
    case 4:
        c.Subclass((m.type & 0x0F) == 3 ? "AcDbDiametricDimension" : "AcDbRadialDimension");
        w.Point3(15, m.defPoint4);
        w.Real(40, m.leaderLength);
        break;
    default:
        c.Subclass("AcDbOrdinateDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        break;
    }
}

} // namespace

// ------------------------------------------------------------ INSERT

// Its ATTRIB records follow when group 66 says so.
template <>
bool DxfKind<EntityType::Insert>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t block) {
    using Seq = DxfReadContext::Sequence;
    bool attributes = false;
    const bool ok = ReadInsert(ctx, e, attributes);
    if (attributes) ctx.sequence = ok ? Seq::Attributes : Seq::SkippedInsert;
    ctx.sequenceBlock = block;
    return ok;
}
template <>
void DxfKind<EntityType::Insert>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& in = e.geom.insert;
    WriteCommon(c, e);
    const bool grid = in.columns > 1 || in.rows > 1;
    c.Subclass(grid ? "AcDbMInsertBlock" : "AcDbBlockReference");
    w.Name(2, BlockName(c, in.block));
    w.Point3(10, in.pos);
    if (in.xScale != 1) w.Real(41, in.xScale);
    if (in.yScale != 1) w.Real(42, in.yScale);
    if (in.zScale != 1) w.Real(43, in.zScale);
    if (in.rotation != 0) w.Real(50, in.rotation * kDegrees);
    if (c.attributesFollow) w.Int(66, 1);
    if (grid) {
        w.Int(70, in.columns > 1 ? in.columns : 1);
        w.Int(71, in.rows > 1 ? in.rows : 1);
        if (in.columnSpacing != 0) w.Real(44, in.columnSpacing);
        if (in.rowSpacing != 0) w.Real(45, in.rowSpacing);
    }
}
template <>
std::uint64_t DxfKind<EntityType::Insert>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

// ------------------------------------------------------------ BLOCK, ENDBLK

// Read by the BLOCKS section itself (ReadBlocksSection), never as an entity.
template <>
bool DxfKind<EntityType::Block>::Read(DxfReadContext&, Entity&, std::uint32_t) { return false; }
template <>
void DxfKind<EntityType::Block>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    WriteCommon(c, e);
    c.Subclass("AcDbBlockBegin");
    const auto& b = c.d.blocks[e.geom.block.block];
    const auto& name = BlockName(c, e.geom.block.block);
    w.Name(2, name);
    w.Int(70, b.flags & 0x7);
    w.Point3(10, b.base);
    w.Name(3, name);
    if (!c.r12) w.Name(1, "");
}
template <>
std::uint64_t DxfKind<EntityType::Block>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::EndBlk>::Read(DxfReadContext&, Entity&, std::uint32_t) { return false; }
template <>
void DxfKind<EntityType::EndBlk>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    c.Subclass("AcDbBlockEnd");
}
template <>
std::uint64_t DxfKind<EntityType::EndBlk>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

// ------------------------------------------------------------ DIMENSION

template <>
bool DxfKind<EntityType::Dimension>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    DimensionData m;
    int axis;
    Vec3* const points[] = {&m.defPoint, &m.textMidpoint, &m.insertPoint, &m.defPoint2,
                            &m.defPoint3, &m.defPoint4, &m.arcPoint};
    for (auto& t : ctx.record) {
        bool point = false;
        for (int k = 0; k < 7 && !point; ++k)
            if (PointCode(t.code, 10 + k, axis)) { SetAxis(*points[k], axis, t); point = true; }
        if (point) continue;
        if (PointCode(t.code, 210, axis)) { SetAxis(m.normal, axis, t); continue; }
        switch (t.code) {
        case 2: m.block = BlockForName(ctx, t.value); break;
        case 3: {
            const auto name = ctx.Decode(t.value);
            for (std::uint32_t i = 0; i < ctx.d.dimstyles.size(); ++i)
                if (FoldedNameEqual{}(ctx.d.dimstyles[i].name, name)) m.dimstyle = i;
            break;
        }
        case 1: m.text = ctx.DecodeTextString(t.value); break;
        case 70: m.type = TagShort(t); break;
        case 71: m.attachment = TagShort(t); break;
        case 72: m.lineSpacingStyle = TagShort(t); break;
        case 40: m.leaderLength = TagDouble(t); break;
        case 41: m.lineSpacing = TagDouble(t); break;
        case 42: m.measurement = TagDouble(t); break;
        case 50: m.rotation = TagDouble(t) * kDegree; break;
        case 51: m.horizontalDirection = TagDouble(t) * kDegree; break;
        case 52: m.oblique = TagDouble(t) * kDegree; break;
        case 53: m.textRotation = TagDouble(t) * kDegree; break;
        default: break;
        }
    }
    ctx.d.SetDimension(e, std::move(m));
    return true;
}
template <>
void DxfKind<EntityType::Dimension>::Write(WriteContext& c, const Entity& e) {
    const auto& m = c.d.dimensions[e.geom.extra.index];
    auto& w = c.w;
    WriteCommon(c, e);
    c.Subclass("AcDbDimension");
    if (m.block < c.names.blocks.size()) w.Name(2, c.names.blocks[m.block]);
    w.Point3(10, m.defPoint);
    w.Point3(11, m.textMidpoint);
    if (m.insertPoint != Vec3{}) w.Point3(12, m.insertPoint);
    w.Int(70, m.type);
    if (!c.r12) w.Int(71, m.attachment);
    if (c.release >= Release::R2000) w.Real(42, m.measurement);
    if (!m.text.empty()) w.Text(1, m.text, c.utf8);
    if (m.textRotation != 0) w.Real(53, m.textRotation * kDegrees);
    if (m.horizontalDirection != 0) w.Real(51, m.horizontalDirection * kDegrees);
    const std::string style = ValidSymbolName(
        m.dimstyle < c.d.dimstyles.size() ? c.d.dimstyles[m.dimstyle].name : "Standard", c.release, SymbolKind::Other);
    w.Name(3, style);
    if (!NormalIsUp(m.normal)) w.Point3(210, m.normal);
    WriteDimensionPoints(c, m);
}
template <>
std::uint64_t DxfKind<EntityType::Dimension>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

} // namespace ostrel::cad::dxf
