// The walk both pictures share, as a budgeted surface (the trim form's view)
// gets it: every entity of a large block drawn once, polylines whole, and a
// walk cut short by the budget spread over the whole block, not its start.
#include <gtest/gtest.h>

#include <algorithm>

#include "picture/drawing_walker.h"
#include "support/trim_fixture.h"

using namespace ostrel;

namespace {

// Counts what it is given; its budget runs out after `looks` looks (0: never).
struct CountingSurface final : picture::Surface {
    int looks = 0, looked = 0, strokes = 0, dots = 0;
    double minX = 1e300, maxX = -1e300;
    double FinestDashPattern() const override { return 0; }
    double SmallestText() const override { return 0; }
    bool Budgeted() const override { return true; }
    bool BudgetSpent() override { return looks && ++looked >= looks; }
    void Stroke(const picture::Path& p, const picture::Pen&) override { strokes += p.runs.size() == 1; }
    void Fill(const picture::Path&, picture::Rgb, double) override {}
    void Dot(double x, double, picture::Rgb) override {
        ++dots;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
    }
    void Text(const picture::TextRun&) override {}
    void PushClip(double, double, double, double) override {}
    void PopClip() override {}
};

} // namespace

TEST(PictureWalk, BudgetedSurfacesGetEveryEntityOnceOrAnEvenShareWhenCutShort) {
    auto d = cad::NewDrawing();
    const auto model = d->ModelSpace();
    const auto layer = test::LayerNamed(*d, "SITE");
    constexpr int kPoints = 20000;
    int polylines = 0;
    for (int i = 0; i < kPoints; ++i) {
        cad::Entity p = bench::NewEntity(*d, cad::EntityType::Point, layer);
        p.geom.point.pos = {static_cast<double>(i), 0, 0};
        d->AppendEntity(model, p);
        if (i % 64 == 0) test::AddPolyline(*d, model, "SITE", {{0, 1}, {5, 1}, {5, 6}}), ++polylines;
    }
    CountingSurface all;
    picture::DrawingWalker(*d, all).DrawBlock(model, picture::Affine{});
    EXPECT_EQ(all.dots, kPoints);
    EXPECT_EQ(all.strokes, polylines);

    CountingSurface cut;
    cut.looks = 8;   // a look every 256 entries: about a tenth of the block
    picture::DrawingWalker(*d, cut).DrawBlock(model, picture::Affine{});
    EXPECT_GT(cut.dots, kPoints / 20);
    EXPECT_LT(cut.dots, kPoints / 5);
    EXPECT_LT(cut.minX, kPoints * 0.01);   // from the block's start ...
    EXPECT_GT(cut.maxX, kPoints * 0.99);   // ... to its end
}
