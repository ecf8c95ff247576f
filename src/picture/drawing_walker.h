#pragma once
// Walks a drawing's blocks and tells a surface what to draw, in the
// surface's units: entities of a block through an affine map from drawing
// units to the surface, inserts through their blocks, viewports onto model
// space clipped to their rectangle, colours and linetypes resolved from
// entity, layer and block as CAD programs do. Plots (Cairo) and the trim
// form's view (GDI) share it.
#include <cstdint>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "picture/affine.h"
#include "picture/surface.h"

namespace ostrel::picture {

class DrawingWalker {
public:
    DrawingWalker(const cad::Drawing& d, Surface& surface) : d_(d), surface_(surface) {}
    // Every entity of the block (a space or a block definition).
    void DrawBlock(std::uint32_t block, const Affine& toSurface);

private:
    // What entities inside an insert take from it: the colour for ByBlock,
    // the layer for entities on layer "0", the linetype for ByBlock.
    struct Inherited {
        int colour = 7;
        std::uint32_t layer = cad::kNone;
        std::uint32_t linetype = cad::kNone;
    };
    struct Style {
        int colour = 7;
        std::uint32_t layer = 0;
        std::uint32_t linetype = cad::kNone;   // kNone: continuous
        bool visible = true;
    };

    class Shapes;   // an entry's shapes (cad::KindShapes) onto the surface

    void Block(std::uint32_t block, const Affine& m, const Inherited& in, int depth);
    // The entity at list[k] (a polyline with its vertices); the index of the
    // last entry it took.
    std::size_t Entry(const cad::BlockRecord& b, std::size_t k, const Affine& m, const Affine& local,
                      const Inherited& in, int depth);
    void Insert(const cad::InsertGeom& ins, const Style& s, const Affine& m, int depth);
    Style Resolve(const cad::Entity& e, const Inherited& in) const;
    Pen PenOf(const Style& s, const Affine& m, double width) const;
    void Polyline(const cad::PolylineGeom& pl, const std::vector<const cad::VertexGeom*>& v, const Style& s,
                  const Affine& m);
    void Text(const cad::TextGeom& t, std::string_view text, const Style& s, const Affine& m);
    void Curve(const std::vector<cad::Vec3>& points, bool closed, const Style& s, const Affine& m);
    void Fill(const std::vector<cad::Vec3>& outline, const Style& s, const Affine& m, double opacity);
    void Edges(const cad::FaceGeom& f, int hidden, const Style& s, const Affine& m);
    void Viewport(const cad::ViewportData& v, const Affine& toSurface);

    const cad::Drawing& d_;
    Surface& surface_;
    Path path_;                            // reused for every entity
    std::vector<std::uint32_t> drawing_;   // the blocks being drawn, outermost first (no cycles)
    bool stopped_ = false;                 // the surface's budget ran out
};

} // namespace ostrel::picture
