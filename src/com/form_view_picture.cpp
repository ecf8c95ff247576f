// The trim form's view: which space it shows, where, and the picture.
#include "com/form_view_picture.h"

#include <algorithm>

#include "com/gdi_surface.h"
#include "picture/drawing_walker.h"

namespace ostrel::com {

namespace {

struct View {
    std::uint32_t block = cad::kNone;
    double centreX = 0, centreY = 0, width = 0, height = 0;   // drawing units of the block
};

// The current space and the region of it on view.
View CurrentView(const cad::Drawing& d) {
    View view;
    if (d.header.tileMode == 0 && d.PaperSpace() != cad::kNone) {
        for (auto idx : d.blocks[d.PaperSpace()].entities) {
            const auto& e = d.entities[idx];
            if (e.type != cad::EntityType::Viewport || e.geom.extra.index >= d.viewports.size()) continue;
            const auto& v = d.viewports[e.geom.extra.index];
            if (v.id != 1) continue;
            return {d.PaperSpace(), v.center.x, v.center.y, v.width, v.height};
        }
    }
    for (const auto& v : d.vports) {
        if (cad::FoldName(v.name) != "*ACTIVE") continue;
        const double aspect = v.aspect > 0 ? v.aspect : 1.5;
        return {d.ModelSpace(), v.viewCenter.x, v.viewCenter.y, v.viewHeight * aspect, v.viewHeight};
    }
    return view;
}

} // namespace

void PaintFormView(HDC dc, int width, int height, const cad::Drawing& d, ULONGLONG budgetMs) {
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const View view = CurrentView(d);
    if (view.block == cad::kNone || !(view.width > 0) || !(view.height > 0)) return;
    // The region fitted into the picture, y down, its centre at the picture's.
    const double scale = std::min(width / view.width, height / view.height);
    const picture::Affine toView{scale, 0, 0, -scale, width / 2.0 - scale * view.centreX,
                                 height / 2.0 + scale * view.centreY};
    GdiSurface surface(dc, width, height, budgetMs);
    picture::DrawingWalker(d, surface).DrawBlock(view.block, toView);
}

} // namespace ostrel::com
