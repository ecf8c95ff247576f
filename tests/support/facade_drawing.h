#pragma once
// A drawing built through the toolkit facade as the handlers build theirs,
// with every entity kind the conversion and the sheet build make; its
// helpers make one record or entity at a time for the facade's own tests.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "toolkit/toolkit.h"

namespace ostrel::test {

struct FacadeDrawing {
    CadDatabase db;
    CadLibrary lib{db};
    BlockWriter blocks{db};
    EntityHeader header{db};
    DrawingId id = 0;
    std::string kerb, trees, zeroColour, odd, latin, dashed;

    FacadeDrawing() {
        lib.InitLibrary();
        id = db.CreateNewDrawing(7);
    }
    cad::Drawing& d() { return db.Get(id); }

    std::string Linetype(const std::string& name, std::vector<double> dashes) {
        LinetypeRecord lt(db);
        lt.ResetLinetype();
        std::string h = lib.NewHandle(id);
        lt.SetLinetypeHandle(h);
        lt.SetLinetypeName(name);
        lt.SetLinetypeText(name + " __ __");
        lt.SetDashCount(static_cast<std::int16_t>(dashes.size()));
        for (std::size_t i = 0; i < dashes.size(); ++i) lt.SetDashLength(static_cast<std::int16_t>(i), dashes[i]);
        lt.AddLinetype(id);
        return h;
    }

    // The new layer's handle; its AddLayer status goes to *status when asked for, else must be 0.
    std::string Layer(const std::string& name, std::int16_t colour, const std::string& linetype = "",
                      std::int16_t* status = nullptr) {
        LayerRecord l(db);
        l.InitLayer(id);
        l.SetLayerName(name);
        std::string h = lib.NewHandle(id);
        l.SetLayerHandle(h);
        l.SetLayerColour(colour);
        if (!linetype.empty()) l.SetLayerLinetype(linetype);
        l.AddLayer(id);
        if (status) *status = l.AddLayerStatus();
        else EXPECT_EQ(l.AddLayerStatus(), 0) << name;
        return h;
    }

    EntityList Open(const std::string& blockName) {
        auto h = lib.FindBlockByName(id, blockName);
        EXPECT_EQ(lib.LastStatus(), 0) << blockName;
        blocks.OpenBlockForAppend(id, h);
        EXPECT_EQ(blocks.BlockStatus(), 0);
        return blocks.GetEntityList();
    }

    void Begin(std::int16_t kind, const std::string& layer = "", std::int16_t colour = 256,
               const std::string& linetype = "") {
        header.SetEntityKind(kind);
        header.InitEntityDefaults(id);
        header.SetEntityHandle(lib.NewHandle(id));
        if (!layer.empty()) header.SetEntityLayer(layer);
        header.SetEntityColour(colour);
        if (!linetype.empty()) header.SetEntityLinetype(linetype);
    }

    void Vertex(EntityList list, const std::string& layer, cad::Vec3 p, std::int16_t flags, double width = -1) {
        Begin(kKindVertex, layer);
        VertexData v;
        v.InitVertex(id);
        v.SetVertexCoord(0, p.x);
        v.SetVertexCoord(1, p.y);
        v.SetVertexCoord(2, p.z);
        v.SetVertexFlags(flags);
        if (width >= 0) {
            v.SetVertexStartWidth(width);
            v.SetVertexEndWidth(width);
            v.SetVertexStartWidthFlag(1);
            v.SetVertexEndWidthFlag(1);
        }
        header.AppendEntity(id, list, v.GetVertexData());
    }

    void SeqEnd(EntityList list) {
        Begin(kKindSeqEnd);
        header.AppendEntity(id, list, nullptr);
    }

    // The symbol block: BLOCK, a circle, a closed polyline, ENDBLK.
    void SymbolBlock() {
        blocks.ResetBlockRecord();
        blocks.SetBlockName("TREE");
        blocks.SetBlockHandle(lib.NewHandle(id));
        blocks.AddBlockRecord(id);
        ASSERT_EQ(blocks.BlockStatus(), 0);
        blocks.OpenBlockForAppend(id, blocks.GetBlockEntityList());
        auto list = blocks.GetEntityList();
        Begin(kKindBlockBegin);
        BlockBeginData bb;
        bb.InitBlockBegin(id);
        bb.SetBlockBeginName("TREE");
        header.AppendEntity(id, list, bb.GetBlockBeginData());
        Begin(kKindCircle);
        CircleData c;
        c.InitCircle(id);
        c.SetCircleRadius(1);
        header.AppendEntity(id, list, c.GetCircleData());
        Begin(kKindPolyline);
        PolylineData p;
        p.InitPolyline(id);
        p.SetPolylineFlags(1);
        header.AppendEntity(id, list, p.GetPolylineData());
        for (auto v : {cad::Vec3{-1, 0, 0}, cad::Vec3{1, 0, 0}, cad::Vec3{0, 1, 0}}) Vertex(list, "", v, 0);
        SeqEnd(list);
        header.SetEntityKind(kKindBlockEnd);
        header.SetEntityHandle(lib.NewHandle(id));
        header.AppendEntity(id, list, bb.GetBlockBeginData());
    }

    void BuildEveryKind() {
        dashed = Linetype("DASHED", {0.5, -0.25});
        kerb = Layer("KERB", 3, dashed);
        trees = Layer("TREES", -5);             // off, colour 5
        zeroColour = Layer("ZERO", 0);          // no such layer colour: 7
        odd = Layer("BAD/NAME:1", 2);
        latin = Layer("Stra\xdf" "e", 4);
        SymbolBlock();
        auto ms = Open("*Model_Space");

        Begin(kKindPoint, kerb);
        PointData pt;
        pt.InitPoint(id);
        pt.SetPointCoord(0, 0.1);
        pt.SetPointCoord(1, 1e-7);
        pt.SetPointCoord(2, 123456.789);
        header.AppendEntity(id, ms, pt.GetPointData());

        Begin(kKindCircle, trees, 1);
        CircleData c;
        c.InitCircle(id);
        c.SetCircleCoord(0, 10);
        c.SetCircleRadius(2.5);
        header.AppendEntity(id, ms, c.GetCircleData());

        Begin(kKindText, latin);
        TextData t;
        t.InitText(id);
        t.SetTextCoord(0, 5);
        t.SetTextCoord(1, 6);
        t.SetTextHeight(1.5);
        t.SetTextRotation(std::numbers::pi / 2);
        t.SetTextString("Caf\xe9 ^top\nline");
        header.AppendEntity(id, ms, t.GetTextData());

        Begin(kKindInsert, odd, 256, dashed);
        InsertData in;
        in.InitInsert(id);
        in.SetInsertBlock(lib.FindBlockByName(id, "TREE"));
        in.SetInsertCoord(0, 20);
        in.SetInsertCoord(1, 20);
        in.SetInsertXScale(2);
        in.SetInsertYScale(2);
        in.SetInsertRotation(std::numbers::pi / 6);
        header.AppendEntity(id, ms, in.GetInsertData());

        // A 2D polyline with a linetype-generation flag and one vertex with widths.
        Begin(kKindPolyline, kerb, 256, dashed);
        PolylineData p2;
        p2.InitPolyline(id);
        p2.SetPolylineFlags(128);
        p2.SetPolylineStartWidth(0.5);
        p2.SetPolylineEndWidth(0.5);
        header.AppendEntity(id, ms, p2.GetPolylineData());
        Vertex(ms, kerb, {0, 0, 0}, 0);
        Vertex(ms, kerb, {10, 0, 0}, 0, 0.75);
        Vertex(ms, kerb, {10, 10, 0}, 0);
        SeqEnd(ms);

        // A 3D polyline.
        Begin(kKindPolyline, zeroColour);
        PolylineData p3;
        p3.InitPolyline(id);
        p3.SetPolylineFlags(8);
        header.AppendEntity(id, ms, p3.GetPolylineData());
        Vertex(ms, zeroColour, {0, 0, 1}, 32);
        Vertex(ms, zeroColour, {5, 5, 2}, 32);
        Vertex(ms, zeroColour, {9, 1, 3}, 32);
        SeqEnd(ms);

        Begin(kKindFace, kerb);
        FaceData f;
        f.InitFace(id);
        f.SetFaceCorner2(0, 1);
        f.SetFaceCorner3(0, 1);
        f.SetFaceCorner3(1, 1);
        f.SetFaceCorner4(0, 0);
        f.SetFaceCorner4(1, 1);
        header.AppendEntity(id, ms, f.GetFaceData());

        AddDatabaseOnlyKinds();
    }

    // Kinds the facade has no kind data for: they come from the sheet build
    // and the DXF reader, straight into the database.
    void AddDatabaseOnlyKinds() {
        auto& dr = d();
        auto ms = dr.ModelSpace();
        cad::Entity line;
        line.type = cad::EntityType::Line;
        line.handle = dr.NewHandle();
        line.geom.line = {{0, 0, 0}, {3, 4, 0}};
        dr.AppendEntity(ms, line);

        cad::Entity arc;
        arc.type = cad::EntityType::Arc;
        arc.handle = dr.NewHandle();
        arc.geom.arc = {{1, 1, 0}, 2, 0, std::numbers::pi / 2};
        dr.AppendEntity(ms, arc);

        cad::HatchData fill;
        fill.boundary = {{30, 30, 0}, {40, 30, 0}, {40, 40, 0}, {30, 40, 0}};
        dr.hatches.push_back(fill);
        cad::Entity hatch;
        hatch.type = cad::EntityType::Hatch;
        hatch.handle = dr.NewHandle();
        hatch.colour = 8;
        hatch.geom.extra.index = 0;
        dr.AppendEntity(ms, hatch);

        // The sheet: the layout's own viewport and one onto the drawing.
        auto ps = dr.PaperSpace();
        for (std::int16_t vid : {1, 2}) {
            cad::ViewportData v;
            v.id = vid;
            v.center = vid == 1 ? cad::Vec3{210, 148.5, 0} : cad::Vec3{100, 100, 0};
            v.width = vid == 1 ? 420 : 150;
            v.height = vid == 1 ? 297 : 100;
            v.viewCenter = {20, 20, 0};
            v.viewHeight = 100;
            dr.viewports.push_back(v);
            cad::Entity e;
            e.type = cad::EntityType::Viewport;
            e.handle = dr.NewHandle();
            e.geom.extra.index = static_cast<std::uint32_t>(dr.viewports.size() - 1);
            dr.AppendEntity(ps, e);
        }
    }

    // A second paper layout, as the sheet build adds one.
    void SecondLayout() {
        auto& dr = d();
        cad::BlockRecord b;
        b.name = "*Paper_Space0";
        b.handle = dr.NewHandle();
        auto bi = dr.AddBlock(b);
        cad::Entity pt;
        pt.type = cad::EntityType::Point;
        pt.handle = dr.NewHandle();
        pt.geom.point.pos = {1, 2, 0};
        dr.AppendEntity(bi, pt);
    }
};

} // namespace ostrel::test
