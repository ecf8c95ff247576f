// Saving checks every handle once: distinct handles stay as they are, close
// together or far apart, and a repeated one is found wherever it lies.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "cad/drawing.h"

using namespace ostrel::cad;

namespace {

std::vector<Handle> EntityHandles(const Drawing& d) {
    std::vector<Handle> out;
    for (auto& e : d.entities) out.push_back(e.handle);
    return out;
}

std::uint32_t AddPoint(Drawing& d, Handle h) {
    Entity e;
    e.type = EntityType::Point;
    e.handle = h;
    return d.AppendEntity(d.ModelSpace(), e);
}

} // namespace

TEST(HandleRepair, ManyDistinctHandlesAreLeftAlone) {
    auto d = NewDrawing();
    for (int i = 0; i < 100000; ++i) AddPoint(*d, d->NewHandle());
    auto before = EntityHandles(*d);
    NormalizeForSave(*d);
    auto after = EntityHandles(*d);
    after.resize(before.size());
    EXPECT_EQ(after, before);
}

TEST(HandleRepair, ARepeatAtAnyDistanceFromTheLowestHandleIsFound) {
    for (int offset : {0, 1, 62, 63, 64, 65, 127, 128, 4095, 9998}) {
        auto d = NewDrawing();
        std::vector<std::uint32_t> points;
        for (int i = 0; i < 10000; ++i) points.push_back(AddPoint(*d, d->NewHandle()));
        const Handle first = d->entities[points[0]].handle;
        // The last point takes the handle of the point `offset` places after the first.
        d->entities[points.back()].handle = first + static_cast<Handle>(offset);
        NormalizeForSave(*d);
        auto handles = EntityHandles(*d);
        std::set<Handle> unique(handles.begin(), handles.end());
        EXPECT_EQ(unique.size(), handles.size()) << offset;
        EXPECT_EQ(d->entities[points[static_cast<std::size_t>(offset)]].handle, first + static_cast<Handle>(offset));
        EXPECT_GE(d->entities[points.back()].handle, first + 10000) << offset;   // a fresh one
    }
}

TEST(HandleRepair, HandlesFarApartAreCheckedAsWell) {
    auto d = NewDrawing();
    const Handle far = 0xFFFFFFFFF0ull;
    auto a = AddPoint(*d, d->NewHandle());
    auto b = AddPoint(*d, far);
    NormalizeForSave(*d);
    EXPECT_EQ(d->entities[b].handle, far);      // distinct: kept
    EXPECT_GT(d->HandleSeed(), far);
    auto c = AddPoint(*d, far);                 // now a repeat of a far handle
    auto z = AddPoint(*d, 0);                   // and a zero handle
    NormalizeForSave(*d);
    EXPECT_EQ(d->entities[b].handle, far);
    EXPECT_NE(d->entities[c].handle, far);
    EXPECT_NE(d->entities[z].handle, 0u);
    auto handles = EntityHandles(*d);
    std::set<Handle> unique(handles.begin(), handles.end());
    EXPECT_EQ(unique.size(), handles.size());
    EXPECT_NE(d->entities[a].handle, 0u);
}
