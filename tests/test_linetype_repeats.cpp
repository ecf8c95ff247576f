// Linetype names repeated many times: each repeat takes the lowest free
// "_n" (from 2, names compared without regard to case), as a search from 2
// would, also after records were added under such names or removed.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cad/drawing.h"

using namespace ostrel::cad;

namespace {

std::string Add(Drawing& d, const std::string& name) {
    Linetype lt;
    lt.name = name;
    lt.handle = d.NewHandle();
    return d.linetypes[d.AddLinetype(lt)].name;
}

} // namespace

TEST(LinetypeRepeats, ThousandsOfRepeatsAreNumberedInOrderWhateverTheCase) {
    auto d = NewDrawing();
    EXPECT_EQ(Add(*d, "DASHED"), "DASHED");
    for (int n = 2; n <= 3000; ++n) {
        const std::string given = n % 2 ? "dashed" : "DASHED";
        ASSERT_EQ(Add(*d, given), given + "_" + std::to_string(n));
    }
    EXPECT_EQ(Add(*d, "FENCE"), "FENCE");
    EXPECT_EQ(Add(*d, "Fence"), "Fence_2");
    EXPECT_EQ(d->FindLinetype("dashed_3000"), d->linetypes.size() - 3);
}

TEST(LinetypeRepeats, ANameAlreadyTakenUnderANumberIsPassedOver) {
    auto d = NewDrawing();
    Add(*d, "HIDDEN");
    EXPECT_EQ(Add(*d, "HIDDEN_3"), "HIDDEN_3");
    EXPECT_EQ(Add(*d, "HIDDEN"), "HIDDEN_2");
    EXPECT_EQ(Add(*d, "HIDDEN"), "HIDDEN_4");
    EXPECT_EQ(Add(*d, "HIDDEN_2"), "HIDDEN_2_2");
    EXPECT_EQ(Add(*d, "HIDDEN"), "HIDDEN_5");
}

TEST(LinetypeRepeats, AfterATableChangedDirectlyTheLowestFreeNumberIsFoundAgain) {
    auto d = NewDrawing();
    for (int i = 0; i < 4; ++i) Add(*d, "DOT");   // DOT, DOT_2, DOT_3, DOT_4
    // A reader drops DOT_2 and rebuilds the indexes.
    for (auto it = d->linetypes.begin(); it != d->linetypes.end(); ++it)
        if (it->name == "DOT_2") {
            d->linetypes.erase(it);
            break;
        }
    d->RebuildIndexes();
    EXPECT_EQ(Add(*d, "DOT"), "DOT_2");
    EXPECT_EQ(Add(*d, "DOT"), "DOT_5");
    std::set<std::string> names;
    for (auto& lt : d->linetypes) EXPECT_TRUE(names.insert(FoldName(lt.name)).second) << lt.name;
}
