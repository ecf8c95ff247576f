// The comparison of two drawings the round-trip tests share. Each group of
// fields is compared as one tuple, so a failure shows the whole group.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

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

// The fields of an entity the formats keep, with the names of what it refers to.
auto Kept(const Drawing& d, const Entity& e) {
    return std::make_tuple(e.type, e.handle, e.colour, e.flags & (kEntityInvisible | kEntityPaperSpace),
                           d.layers[e.layer].name, LinetypeName(d, e.linetype));
}

// The newer kinds' geometry and side data.
void ExpectSameKindData(const Drawing& a, const Entity& x, const Drawing& b, const Entity& y) {
    const auto i = x.geom.extra.index, j = y.geom.extra.index;
    switch (x.type) {
    case EntityType::Ellipse: {
        auto el = [](const EllipseGeom& e) { return std::tie(e.center, e.majorAxis, e.ratio, e.startParam, e.endParam); };
        EXPECT_EQ(el(x.geom.ellipse), el(y.geom.ellipse));
        break;
    }
    case EntityType::MText: {
        auto mt = [](const Drawing& d, const MTextGeom& t) { return std::make_tuple(d.Text(t), t.pos, t.height, t.attachment); };
        EXPECT_EQ(mt(a, x.geom.mtext), mt(b, y.geom.mtext));
        break;
    }
    case EntityType::Solid:
        for (int k = 0; k < 4; ++k) EXPECT_EQ(x.geom.face.corner[k], y.geom.face.corner[k]) << k;
        break;
    case EntityType::LwPolyline:
        EXPECT_EQ(std::tie(a.lwpolylines[i].vertices, a.lwpolylines[i].flags), std::tie(b.lwpolylines[j].vertices, b.lwpolylines[j].flags));
        break;
    case EntityType::Spline: {
        auto sp = [](const SplineData& s) { return std::tie(s.degree, s.knots, s.controlPoints, s.fitPoints, s.weights); };
        EXPECT_EQ(sp(a.splines[i]), sp(b.splines[j]));
        break;
    }
    case EntityType::AttDef:
    case EntityType::Attrib: {
        auto at = [](const Drawing& d, const AttributeData& t) { return std::make_tuple(t.tag, t.prompt, t.flags, d.Text(t.text), t.text.pos); };
        EXPECT_EQ(at(a, a.attributes[i]), at(b, b.attributes[j]));
        break;
    }
    case EntityType::Dimension: {
        auto dm = [](const Drawing& d, const DimensionData& m) {
            return std::make_tuple(m.type, d.blocks.at(m.block).name, m.defPoint, m.textMidpoint, m.defPoint2, m.defPoint3, m.text);
        };
        EXPECT_EQ(dm(a, a.dimensions[i]), dm(b, b.dimensions[j]));
        break;
    }
    default: break;
    }
}

void ExpectSameEntity(const Drawing& a, const Entity& x, const Drawing& b, const Entity& y) {
    SCOPED_TRACE(std::string(EntityTypeName(x.type)) + " " + HandleText(x.handle));
    ASSERT_EQ(x.type, y.type);
    EXPECT_EQ(Kept(a, x), Kept(b, y));
    const EntityGeom& g = x.geom;
    const EntityGeom& h = y.geom;
    switch (x.type) {
    case EntityType::Point: EXPECT_EQ(g.point.pos, h.point.pos); break;
    case EntityType::Line: EXPECT_EQ(std::tie(g.line.start, g.line.end), std::tie(h.line.start, h.line.end)); break;
    case EntityType::Circle:
        EXPECT_EQ(std::tie(g.circle.center, g.circle.radius), std::tie(h.circle.center, h.circle.radius));
        break;
    case EntityType::Arc: {
        auto arc = [](const ArcGeom& c) { return std::tie(c.center, c.radius, c.startAngle, c.endAngle); };
        EXPECT_EQ(arc(g.arc), arc(h.arc));
        break;
    }
    case EntityType::Text: {
        auto text = [](const Drawing& d, const TextGeom& t) {
            return std::make_tuple(d.Text(t), t.pos, t.height, t.rotation, t.widthFactor, t.hAlign, t.vAlign,
                                   d.styles[t.style].name);
        };
        EXPECT_EQ(text(a, g.text), text(b, h.text));
        if (g.text.hAlign != 0 || g.text.vAlign != 0) {   // the point a reader aligns the text by
            EXPECT_EQ(std::tie(g.text.align.x, g.text.align.y), std::tie(h.text.align.x, h.text.align.y));
        }
        EXPECT_DOUBLE_EQ(g.text.oblique, h.text.oblique);   // DXF holds degrees
        break;
    }
    case EntityType::Insert: {
        auto insert = [](const Drawing& d, const InsertGeom& i) {
            return std::make_tuple(d.blocks[i.block].name, i.pos, i.xScale, i.yScale, i.zScale, i.rotation, i.columns,
                                   i.rows, i.columnSpacing, i.rowSpacing);
        };
        EXPECT_EQ(insert(a, g.insert), insert(b, h.insert));
        break;
    }
    case EntityType::Polyline:
        EXPECT_EQ(g.polyline.flags, h.polyline.flags);
        if (!(g.polyline.flags & 8)) {
            EXPECT_EQ(std::tie(g.polyline.startWidth, g.polyline.endWidth, g.polyline.elevation),
                      std::tie(h.polyline.startWidth, h.polyline.endWidth, h.polyline.elevation));
        }
        break;
    case EntityType::Vertex: {
        auto vertex = [](const VertexGeom& v) { return std::tie(v.pos, v.flags, v.startWidth, v.endWidth, v.bulge); };
        EXPECT_EQ(vertex(g.vertex), vertex(h.vertex));
        break;
    }
    case EntityType::Face3D:
        for (int i = 0; i < 4; ++i) EXPECT_EQ(g.face.corner[i], h.face.corner[i]) << i;
        EXPECT_EQ(x.invisibleEdges, y.invisibleEdges);
        break;
    case EntityType::Viewport: {
        auto view = [](const ViewportData& v) {
            return std::tie(v.center, v.width, v.height, v.viewCenter.x, v.viewCenter.y, v.viewTarget, v.viewDirection,
                            v.viewHeight, v.twist, v.lensLength, v.statusFlags, v.id);
        };
        EXPECT_EQ(view(a.viewports[g.extra.index]), view(b.viewports[h.extra.index]));
        break;
    }
    case EntityType::Hatch: {
        auto hatch = [](const HatchData& p) { return std::tie(p.pattern, p.solid, p.boundary, p.elevation); };
        EXPECT_EQ(hatch(a.hatches[g.extra.index]), hatch(b.hatches[h.extra.index]));
        break;
    }
    default: ExpectSameKindData(a, x, b, y); break;
    }
}

} // namespace

void ExpectConsistentHandles(const Drawing& d) {
    std::set<Handle> seen;
    auto add = [&](Handle h, const std::string& what) {
        EXPECT_NE(h, 0u) << what;
        EXPECT_TRUE(seen.insert(h).second) << what << " handle " << HandleText(h) << " repeated";
        EXPECT_LT(h, d.HandleSeed()) << what;
    };
    for (auto& l : d.layers) add(l.handle, "layer " + l.name);
    for (auto& l : d.linetypes) add(l.handle, "linetype " + l.name);
    for (auto& s : d.styles) add(s.handle, "style " + s.name);
    for (auto& b : d.blocks) {
        add(b.handle, "block " + b.name);
        for (auto i : b.entities) {
            const auto& e = d.entities[i];
            add(e.handle, std::string("entity ") + EntityTypeName(e.type));
        }
        ASSERT_NE(b.beginEntity, kNone) << b.name;
        ASSERT_NE(b.endEntity, kNone) << b.name;
        add(d.entities[b.beginEntity].handle, "BLOCK of " + b.name);
        add(d.entities[b.endEntity].handle, "ENDBLK of " + b.name);
    }
    for (auto& o : d.objects) add(o.handle, ObjectTypeName(o.type));
    for (auto& o : d.objects)
        for (auto& e : o.entries) EXPECT_NE(d.ObjectByHandle(e.target), nullptr) << "entry " << e.name;
    for (auto& l : d.layers) {
        auto* ps = d.ObjectByHandle(l.plotStyle);
        ASSERT_NE(ps, nullptr) << l.name;
        EXPECT_EQ(ps->type, ObjectType::Placeholder);
    }
}

void ExpectSameDrawing(const Drawing& a, const Drawing& b, bool throughDxf) {
    ASSERT_EQ(a.layers.size(), b.layers.size());
    auto layer = [](const Drawing& d, const Layer& l) {
        return std::make_tuple(l.handle, l.colour, l.off, l.flags, l.lineweight, l.plot, l.plotStyle,
                               LayerLinetypeName(d, l.linetype));
    };
    for (const auto& l : a.layers) {
        auto i = b.FindLayer(l.name);
        ASSERT_NE(i, kNone) << l.name;
        EXPECT_EQ(layer(a, l), layer(b, b.layers[i])) << "layer " << l.name;
    }
    ASSERT_EQ(a.linetypes.size(), b.linetypes.size());
    auto linetype = [](const Linetype& t) { return std::tie(t.handle, t.description, t.dashes, t.patternLength); };
    for (const auto& lt : a.linetypes) {
        auto i = b.FindLinetype(lt.name);
        ASSERT_NE(i, kNone) << lt.name;
        EXPECT_EQ(linetype(lt), linetype(b.linetypes[i])) << "linetype " << lt.name;
    }
    ASSERT_EQ(a.styles.size(), b.styles.size());
    auto style = [](const TextStyle& s) { return std::tie(s.font, s.widthFactor, s.handle); };
    for (const auto& s : a.styles) {
        auto i = b.FindStyle(s.name);
        ASSERT_NE(i, kNone) << s.name;
        EXPECT_EQ(style(s), style(b.styles[i])) << "style " << s.name;
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
        EXPECT_EQ(std::make_tuple(blk.handle, blk.base, blk.layout, a.entities[blk.beginEntity].handle,
                                  a.entities[blk.endEntity].handle),
                  std::make_tuple(other.handle, other.base, other.layout, b.entities[other.beginEntity].handle,
                                  b.entities[other.endEntity].handle));
        ASSERT_EQ(blk.entities.size(), other.entities.size());
        for (std::size_t k = 0; k < blk.entities.size(); ++k)
            ExpectSameEntity(a, a.entities[blk.entities[k]], b, b.entities[other.entities[k]]);
    }

    ASSERT_EQ(a.objects.size(), b.objects.size());
    EXPECT_EQ(a.objects.front().handle, a.rootDictionary);
    EXPECT_EQ(b.objects.front().handle, b.rootDictionary);
    auto object = [](const Object& o) {
        std::vector<std::pair<std::string, Handle>> entries;
        for (const auto& e : o.entries) entries.emplace_back(e.name, e.target);
        return std::make_tuple(o.type, o.owner, o.reactors, entries, o.defaultEntry, o.hardOwner, o.name,
                               o.layout != nullptr);
    };
    auto layout = [](const LayoutData& l) {
        return std::tie(l.name, l.tabOrder, l.blockRecord, l.lastViewport, l.paperName, l.printerName, l.paperWidth,
                        l.paperHeight, l.layoutFlags, l.plotFlags, l.limMax[0], l.limMax[1], l.extMin, l.extMax);
    };
    for (const auto& o : a.objects) {
        SCOPED_TRACE("object " + HandleText(o.handle));
        const Object* p = b.ObjectByHandle(o.handle);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(object(o), object(*p));
        if (o.layout) {
            EXPECT_EQ(layout(*o.layout), layout(*p->layout));
        }
    }

    auto header = [](const Drawing& d) {
        const auto& h = d.header;
        return std::tie(h.extMin, h.extMax, h.limMin[0], h.limMax[1], h.insUnits, h.pstyleMode, h.tileMode,
                        h.measurement, h.codePage, h.currentLayer, h.ltScale, h.textSize, d.controls.layer,
                        d.rootDictionary);
    };
    EXPECT_EQ(header(a), header(b));
    if (!throughDxf) {   // DXF has no VX table
        EXPECT_EQ(a.controls.vx, b.controls.vx);
    }
    EXPECT_GE(b.HandleSeed(), a.HandleSeed());
}

} // namespace ostrel::test
