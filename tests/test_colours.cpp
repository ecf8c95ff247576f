// Colour codes to colour indexes through COLORTABLE, and the explicit style
// of one entity.
#include <gtest/gtest.h>

#include "tables/colour_index.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

constexpr const char* kTable =
    "[COLORTABLE]\n"
    "3=5\n"
    "16777215=3\n"
    "20=0\n"
    "21=abc\n"
    "22=300\n"
    "23=2.5\n"
    "24=3.5\n"
    "25=-4\n"
    "26=99999999999\n"
    "27=12.7 red\n"
    "-1=9\n";

class ColourTable : public TablesTest {
protected:
    void SetUp() override { Start(kTable); }
};

TEST_F(ColourTable, TableValueGivesTheIndexOrAnOverflow) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {3, 5},
        {25, -4},                          // negative table values stay
        {27, 13},                          // leading number, then the nearest whole number
        {23, 2}, {24, 4},                  // halves to the even neighbour
        {-1, 9},                           // negative codes are keys with their sign
        {16777215, 7},                     // white is 7 whatever the table says
        {20, 20}, {21, 21}, {7, 7}, {0, 0},   // zero, not a number or no entry: the code
        {300, 255}, {22, 255}, {16777214, 255}, {255, 255},   // limited to 255 from above only
        {-7, -7}, {-100000, -100000},
    };
    for (auto [code, index] : cases) EXPECT_EQ(run->LookupColour(code), index) << code;
    try {
        run->LookupColour(26);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow) << "a value too large for 32 bits";
    }
    WriteSettings("[COLORTABLE]\n3=6\n");
    EXPECT_EQ(run->LookupColour(3), 6) << "each lookup reads the settings again";
}

TEST(ColourIndex, RecordColourCodesAreRoundedHalvesToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {{"SYM,L,2.5,X", 2}, {"SYM,L,3.5,X", 4}, {"SYM,L,-2.5,X", -2},
                                                          {"SYM,L,7.6,X", 8}, {"SYM,L,red,X", 0}, {"SYM,L", 0},
                                                          {"SYM,L,16777215", 16777215}};
    for (auto [line, code] : cases) EXPECT_EQ(ColourCodeField(2, line), code) << line;
    EXPECT_THROW(ColourCodeField(2, "SYM,L,1E10"), ConversionError);
    EXPECT_EQ(NarrowColourIndex(255), 255);
    EXPECT_EQ(NarrowColourIndex(-32768), -32768);
    EXPECT_THROW(NarrowColourIndex(32768), ConversionError);   // beyond sixteen bits
    EXPECT_THROW(NarrowColourIndex(-40000), ConversionError);
}

// ------------------------------------------------------------------ ApplyEntityStyle

class EntityStyle : public TablesTest {
protected:
    // Builds a point entity with the style applied and appends it to model space.
    const cad::Entity& StyledPoint(std::int32_t colour, std::int32_t linetype) {
        auto& h = run->tk->header;
        const auto id = run->DrawingHandle;
        h.SetEntityKind(kKindPoint);
        h.InitEntityDefaults(id);
        h.SetEntityHandle(run->tk->library->NewHandle(id));
        run->ApplyEntityStyle(h, colour, linetype, -1);
        run->tk->pointData.InitPoint(id);
        EXPECT_TRUE(run->OpenModelSpace());
        h.AppendEntity(id, run->tk->blockWriter.GetEntityList(), run->tk->pointData.GetPointData());
        return *ModelSpace().back();
    }
};

TEST_F(EntityStyle, ColourIsTheLookedUpIndex) {
    Start(kTable);
    EXPECT_EQ(StyledPoint(3, 0).colour, 5);
    EXPECT_EQ(StyledPoint(16777215, 0).colour, 7);
    EXPECT_EQ(StyledPoint(0, 0).colour, 0);
    EXPECT_EQ(StyledPoint(3, 0).linetype, cad::kNone);
}

TEST_F(EntityStyle, LinetypeCodeMakesANewLinetypeEveryCall) {
    Start(kTable);
    const auto before = drawing().linetypes.size();
    const auto& a = StyledPoint(3, 2020);
    const auto lta = a.linetype;
    const auto& b = StyledPoint(3, 2020);
    ASSERT_EQ(drawing().linetypes.size(), before + 2);
    ASSERT_NE(lta, cad::kNone);
    ASSERT_NE(b.linetype, cad::kNone);
    EXPECT_NE(lta, b.linetype);
    EXPECT_EQ(drawing().linetypes[lta].name, "lstyle1");
    EXPECT_EQ(drawing().linetypes[b.linetype].name, "lstyle2");
    EXPECT_DOUBLE_EQ(drawing().linetypes[b.linetype].dashes[0], static_cast<float>(0.2));
}

} // namespace
} // namespace ostrel::test
