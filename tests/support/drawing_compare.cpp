// The comparison of two drawings the round-trip tests share.
#include <gtest/gtest.h>

#include "support/drawings.h"

namespace ostrel::test {

using namespace ostrel::cad;

namespace {

std::string LinetypeName(const Drawing& d, std::uint32_t lt) {
    if (lt == kNone) return "(by layer)";
    return lt < d.linetypes.size() ? d.linetypes[lt].name : "(missing)";
}

std::string LayerLinetypeName(const Drawing& d, std::uint32_t lt) {
    return lt == kNone ? "Continuous" : LinetypeName(d, lt);
}

void ExpectSameEntity(const Drawing& a, const Entity& x, const Drawing& b, const Entity& y) {
    SCOPED_TRACE(std::string(EntityTypeName(x.type)) + " " + HandleText(x.handle));
    ASSERT_EQ(x.type, y.type);
    EXPECT_EQ(x.handle, y.handle);
    EXPECT_EQ(x.colour, y.colour);
    EXPECT_EQ(x.flags & (kEntityInvisible | kEntityPaperSpace), y.flags & (kEntityInvisible | kEntityPaperSpace));
    EXPECT_EQ(a.layers[x.layer].name, b.layers[y.layer].name);
    EXPECT_EQ(LinetypeName(a, x.linetype), LinetypeName(b, y.linetype));
    const EntityGeom& g = x.geom;
    const EntityGeom& h = y.geom;
    switch (x.type) {
    case EntityType::Point: EXPECT_EQ(g.point.pos, h.point.pos); break;
    case EntityType::Line:
        EXPECT_EQ(g.line.start, h.line.start);
        EXPECT_EQ(g.line.end, h.line.end);
        break;
    case EntityType::Circle:
        EXPECT_EQ(g.circle.center, h.circle.center);
        EXPECT_EQ(g.circle.radius, h.circle.radius);
        break;
    case EntityType::Arc:
        EXPECT_EQ(g.arc.center, h.arc.center);
        EXPECT_EQ(g.arc.radius, h.arc.radius);
        EXPECT_EQ(g.arc.startAngle, h.arc.startAngle);
        EXPECT_EQ(g.arc.endAngle, h.arc.endAngle);
        break;
    case EntityType::Text:
        EXPECT_EQ(a.Text(g.text), b.Text(h.text));
        EXPECT_EQ(g.text.pos, h.text.pos);
        if (g.text.hAlign != 0 || g.text.vAlign != 0) {   // the point a reader aligns the text by
            EXPECT_EQ(g.text.align.x, h.text.align.x);
            EXPECT_EQ(g.text.align.y, h.text.align.y);
        }
        EXPECT_EQ(g.text.height, h.text.height);
        EXPECT_EQ(g.text.rotation, h.text.rotation);
        EXPECT_EQ(g.text.widthFactor, h.text.widthFactor);
        EXPECT_DOUBLE_EQ(g.text.oblique, h.text.oblique);   // DXF holds degrees
        EXPECT_EQ(g.text.hAlign, h.text.hAlign);
        EXPECT_EQ(g.text.vAlign, h.text.vAlign);
        EXPECT_EQ(a.styles[g.text.style].name, b.styles[h.text.style].name);
        break;
    case EntityType::Insert:
        EXPECT_EQ(a.blocks[g.insert.block].name, b.blocks[h.insert.block].name);
        EXPECT_EQ(g.insert.pos, h.insert.pos);
        EXPECT_EQ(g.insert.xScale, h.insert.xScale);
        EXPECT_EQ(g.insert.yScale, h.insert.yScale);
        EXPECT_EQ(g.insert.zScale, h.insert.zScale);
        EXPECT_EQ(g.insert.rotation, h.insert.rotation);
        EXPECT_EQ(g.insert.columns, h.insert.columns);
        EXPECT_EQ(g.insert.rows, h.insert.rows);
        EXPECT_EQ(g.insert.columnSpacing, h.insert.columnSpacing);
        EXPECT_EQ(g.insert.rowSpacing, h.insert.rowSpacing);
        break;
    case EntityType::Polyline:
        EXPECT_EQ(g.polyline.flags, h.polyline.flags);
        if (!(g.polyline.flags & 8)) {
            EXPECT_EQ(g.polyline.startWidth, h.polyline.startWidth);
            EXPECT_EQ(g.polyline.endWidth, h.polyline.endWidth);
            EXPECT_EQ(g.polyline.elevation, h.polyline.elevation);
        }
        break;
    case EntityType::Vertex:
        EXPECT_EQ(g.vertex.pos, h.vertex.pos);
        EXPECT_EQ(g.vertex.flags, h.vertex.flags);
        EXPECT_EQ(g.vertex.startWidth, h.vertex.startWidth);
        EXPECT_EQ(g.vertex.endWidth, h.vertex.endWidth);
        EXPECT_EQ(g.vertex.bulge, h.vertex.bulge);
        break;
    case EntityType::Face3D:
        for (int i = 0; i < 4; ++i) EXPECT_EQ(g.face.corner[i], h.face.corner[i]) << i;
        EXPECT_EQ(g.face.invisibleEdges, h.face.invisibleEdges);
        break;
    case EntityType::Viewport: {
        const auto& v = a.viewports[g.extra.index];
        const auto& w = b.viewports[h.extra.index];
        EXPECT_EQ(v.center, w.center);
        EXPECT_EQ(v.width, w.width);
        EXPECT_EQ(v.height, w.height);
        EXPECT_EQ(v.viewCenter.x, w.viewCenter.x);
        EXPECT_EQ(v.viewCenter.y, w.viewCenter.y);
        EXPECT_EQ(v.viewTarget, w.viewTarget);
        EXPECT_EQ(v.viewDirection, w.viewDirection);
        EXPECT_EQ(v.viewHeight, w.viewHeight);
        EXPECT_EQ(v.twist, w.twist);
        EXPECT_EQ(v.lensLength, w.lensLength);
        EXPECT_EQ(v.statusFlags, w.statusFlags);
        EXPECT_EQ(v.id, w.id);
        break;
    }
    case EntityType::Hatch: {
        const auto& p = a.hatches[g.extra.index];
        const auto& q = b.hatches[h.extra.index];
        EXPECT_EQ(p.pattern, q.pattern);
        EXPECT_EQ(p.solid, q.solid);
        EXPECT_EQ(p.boundary, q.boundary);
        EXPECT_EQ(p.elevation, q.elevation);
        break;
    }
    default: break;
    }
}

// Everything the database holds and the format keeps, compared by name or
// handle (the order of blocks and objects may differ).
} // namespace

void ExpectSameDrawing(const Drawing& a, const Drawing& b, bool throughDxf) {
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (const auto& l : a.layers) {
        SCOPED_TRACE("layer " + l.name);
        auto i = b.FindLayer(l.name);
        ASSERT_NE(i, kNone);
        const auto& m = b.layers[i];
        EXPECT_EQ(l.handle, m.handle);
        EXPECT_EQ(l.colour, m.colour);
        EXPECT_EQ(l.off, m.off);
        EXPECT_EQ(l.flags, m.flags);
        EXPECT_EQ(l.lineweight, m.lineweight);
        EXPECT_EQ(l.plot, m.plot);
        EXPECT_EQ(l.plotStyle, m.plotStyle);
        EXPECT_EQ(LayerLinetypeName(a, l.linetype), LayerLinetypeName(b, m.linetype));
    }
    ASSERT_EQ(a.linetypes.size(), b.linetypes.size());
    for (const auto& lt : a.linetypes) {
        SCOPED_TRACE("linetype " + lt.name);
        auto i = b.FindLinetype(lt.name);
        ASSERT_NE(i, kNone);
        EXPECT_EQ(lt.handle, b.linetypes[i].handle);
        EXPECT_EQ(lt.description, b.linetypes[i].description);
        EXPECT_EQ(lt.dashes, b.linetypes[i].dashes);
        EXPECT_EQ(lt.patternLength, b.linetypes[i].patternLength);
    }
    ASSERT_EQ(a.styles.size(), b.styles.size());
    for (const auto& s : a.styles) {
        auto i = b.FindStyle(s.name);
        ASSERT_NE(i, kNone) << s.name;
        EXPECT_EQ(s.font, b.styles[i].font);
        EXPECT_EQ(s.widthFactor, b.styles[i].widthFactor);
        EXPECT_EQ(s.handle, b.styles[i].handle);
    }
    auto names = [](const auto& records) {
        std::vector<std::pair<std::string, Handle>> out;
        for (const auto& r : records) out.emplace_back(r.name, r.handle);
        return out;
    };
    EXPECT_EQ(names(a.appids), names(b.appids));
    EXPECT_EQ(names(a.dimstyles), names(b.dimstyles));
    EXPECT_EQ(names(a.vports), names(b.vports));

    ASSERT_EQ(a.blocks.size(), b.blocks.size());
    for (const auto& blk : a.blocks) {
        SCOPED_TRACE("block " + blk.name);
        auto i = b.FindBlock(blk.name);
        ASSERT_NE(i, kNone);
        const auto& other = b.blocks[i];
        EXPECT_EQ(blk.handle, other.handle);
        EXPECT_EQ(blk.base, other.base);
        EXPECT_EQ(blk.layout, other.layout);
        EXPECT_EQ(a.entities[blk.beginEntity].handle, b.entities[other.beginEntity].handle);
        EXPECT_EQ(a.entities[blk.endEntity].handle, b.entities[other.endEntity].handle);
        ASSERT_EQ(blk.entities.size(), other.entities.size());
        for (std::size_t k = 0; k < blk.entities.size(); ++k)
            ExpectSameEntity(a, a.entities[blk.entities[k]], b, b.entities[other.entities[k]]);
    }

    ASSERT_EQ(a.objects.size(), b.objects.size());
    EXPECT_EQ(a.objects.front().handle, a.rootDictionary);
    EXPECT_EQ(b.objects.front().handle, b.rootDictionary);
    for (const auto& o : a.objects) {
        SCOPED_TRACE("object " + HandleText(o.handle));
        const Object* p = b.ObjectByHandle(o.handle);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(o.type, p->type);
        EXPECT_EQ(o.owner, p->owner);
        EXPECT_EQ(o.reactors, p->reactors);
        ASSERT_EQ(o.entries.size(), p->entries.size());
        for (std::size_t k = 0; k < o.entries.size(); ++k) {
            EXPECT_EQ(o.entries[k].name, p->entries[k].name);
            EXPECT_EQ(o.entries[k].target, p->entries[k].target);
        }
        EXPECT_EQ(o.defaultEntry, p->defaultEntry);
        EXPECT_EQ(o.hardOwner, p->hardOwner);
        EXPECT_EQ(o.name, p->name);
        ASSERT_EQ(o.layout != nullptr, p->layout != nullptr);
        if (o.layout) {
            const auto& l = *o.layout;
            const auto& m = *p->layout;
            EXPECT_EQ(l.name, m.name);
            EXPECT_EQ(l.tabOrder, m.tabOrder);
            EXPECT_EQ(l.blockRecord, m.blockRecord);
            EXPECT_EQ(l.lastViewport, m.lastViewport);
            EXPECT_EQ(l.paperName, m.paperName);
            EXPECT_EQ(l.printerName, m.printerName);
            EXPECT_EQ(l.paperWidth, m.paperWidth);
            EXPECT_EQ(l.paperHeight, m.paperHeight);
            EXPECT_EQ(l.layoutFlags, m.layoutFlags);
            EXPECT_EQ(l.plotFlags, m.plotFlags);
            EXPECT_EQ(l.limMax[0], m.limMax[0]);
            EXPECT_EQ(l.limMax[1], m.limMax[1]);
            EXPECT_EQ(l.extMin, m.extMin);
            EXPECT_EQ(l.extMax, m.extMax);
        }
    }

    EXPECT_EQ(a.header.extMin, b.header.extMin);
    EXPECT_EQ(a.header.extMax, b.header.extMax);
    EXPECT_EQ(a.header.limMin[0], b.header.limMin[0]);
    EXPECT_EQ(a.header.limMax[1], b.header.limMax[1]);
    EXPECT_EQ(a.header.insUnits, b.header.insUnits);
    EXPECT_EQ(a.header.pstyleMode, b.header.pstyleMode);
    EXPECT_EQ(a.header.tileMode, b.header.tileMode);
    EXPECT_EQ(a.header.measurement, b.header.measurement);
    EXPECT_EQ(a.header.codePage, b.header.codePage);
    EXPECT_EQ(a.header.currentLayer, b.header.currentLayer);
    EXPECT_EQ(a.header.ltScale, b.header.ltScale);
    EXPECT_EQ(a.header.textSize, b.header.textSize);
    EXPECT_EQ(a.controls.layer, b.controls.layer);
    if (!throughDxf) {   // DXF has no VX table
        EXPECT_EQ(a.controls.vx, b.controls.vx);
    }
    EXPECT_EQ(a.rootDictionary, b.rootDictionary);
    EXPECT_GE(b.HandleSeed(), a.HandleSeed());
}

} // namespace ostrel::test
