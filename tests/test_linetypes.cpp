// Linetypes from four-digit line style codes, named from the style file or
// "lstyle" + the instance's running number.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "tables/linetype_pattern.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

TEST(LinetypePattern, FourDigitsAreTenthsInSinglePrecisionPaddedOnTheLeft) {
    const float t[10] = {0, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    const std::pair<std::int32_t, std::array<float, 4>> cases[] = {
        {1234, {t[1], t[2], t[3], t[4]}},
        {5, {0, 0, 0, t[5]}},
        {12, {0, 0, t[1], t[2]}},
        {908070, {t[9], 0, t[8], 0}},   // digits beyond the fourth are ignored
    };
    for (const auto& [code, elements] : cases) EXPECT_EQ(LinetypeElements(code), elements) << code;
    // Summed in double precision, the single-precision errors remain.
    const double expected = static_cast<double>(t[1]) + t[2] + t[3] + t[4];
    EXPECT_EQ(LinetypePatternLength(LinetypeElements(1234)), expected);
    EXPECT_NE(expected, 1.0);
}

class Linetypes : public TablesTest {
protected:
    void WriteStyleFile(const std::string& text) {
        std::filesystem::create_directories(dir.path() / "styles");
        WriteFile(dir.file("styles/style.lin"), text);
    }
    const cad::Linetype& ByHandle(const std::string& handle) {
        auto h = cad::ParseHandle(handle);
        for (auto& lt : drawing().linetypes)
            if (h && lt.handle == *h) return lt;
        throw std::runtime_error("no linetype " + handle);
    }
};

TEST_F(Linetypes, RecordCarriesTheFourElementsAsDashesAndGaps) {
    Start();
    const auto& lt = ByHandle(run->MakeLinetype(1234, -1));
    EXPECT_EQ(lt.name, "lstyle1");
    EXPECT_EQ(lt.description, "lstyle1");
    EXPECT_EQ(lt.alignment, 'A');
    ASSERT_EQ(lt.dashes.size(), 4u);
    EXPECT_EQ(lt.dashes[0], static_cast<float>(0.1));
    EXPECT_EQ(lt.dashes[1], -static_cast<float>(0.2));
    EXPECT_EQ(lt.dashes[2], static_cast<float>(0.3));
    EXPECT_EQ(lt.dashes[3], -static_cast<float>(0.4));
    EXPECT_EQ(lt.patternLength, LinetypePatternLength(LinetypeElements(1234)));
}

TEST_F(Linetypes, StyleFileNamesTheLinetypeAndStillCounts) {
    Start();
    WriteStyleFile("  DASHED = Dashed __ __\r\nFENCE=Fence -x-x-\r\nHIDDEN\r\n");
    const auto before = drawing().linetypes.size();
    EXPECT_EQ(ByHandle(run->MakeLinetype(1111, -1)).name, "lstyle1");   // every call a new record
    const auto& dashed = ByHandle(run->MakeLinetype(1111, 0));
    EXPECT_EQ(dashed.name, "DASHED");
    EXPECT_EQ(dashed.description, "DASHED");
    EXPECT_EQ(ByHandle(run->MakeLinetype(1111, -1)).name, "lstyle3");
    EXPECT_EQ(run->LinetypeCounter, 3);
    EXPECT_EQ(drawing().linetypes.size(), before + 3);
}

TEST_F(Linetypes, StyleFileLinesCountFromZeroAndDollarEntriesRenameThem) {
    Start("[LAYERS]\n$FENCE=FENCE-POST-RAIL\n");
    WriteStyleFile("DASHED = a\r\nFENCE = b\r\nHIDDEN\r\n");
    // No "=": the whole line; beyond the last line or below 0: no name.
    const std::pair<std::int16_t, const char*> cases[] = {
        {0, "DASHED"}, {1, "FENCE-POST-RAIL"}, {2, "HIDDEN"}, {3, ""}, {-1, ""}};
    for (auto [line, name] : cases) EXPECT_EQ(run->StyleFileLinetypeName(line), name) << line;
    EXPECT_EQ(ByHandle(run->MakeLinetype(2211, 1)).name, "FENCE-POST-RAIL");
    EXPECT_EQ(ByHandle(run->MakeLinetype(1111, 5)).name, "lstyle2");
    EXPECT_TRUE(prompter->shown.empty());
}

TEST_F(Linetypes, MissingStyleFileIsReportedAndTheDefaultNameUsed) {
    Start();
    const auto handle = run->MakeLinetype(1111, 0);
    EXPECT_EQ(ByHandle(handle).name, "lstyle1");
    ASSERT_EQ(prompter->shown.size(), 1u);
    EXPECT_EQ(prompter->shown[0].text.rfind("Error Opening " + dir.file("styles/style.lin"), 0), 0u)
        << prompter->shown[0].text;
}

TEST_F(Linetypes, TwoLayersWithTheSameStyleGetTwoRecords) {
    Start();
    WriteStyleFile("DASHED = a\r\n");
    std::string a = "A", b = "B";
    run->MakeLayer(a, 1, 0, 1111, 0);
    run->MakeLayer(b, 1, 0, 1111, 0);
    const auto la = FindLayer("A")->linetype, lb = FindLayer("B")->linetype;
    ASSERT_NE(la, cad::kNone);
    ASSERT_NE(lb, cad::kNone);
    EXPECT_NE(la, lb);
    EXPECT_EQ(drawing().linetypes[la].description, "DASHED");
    EXPECT_EQ(drawing().linetypes[lb].description, "DASHED");
}

TEST_F(Linetypes, CounterOutlivesConversionCallsButNotADrawingLessCall) {
    Start();
    const auto id = run->DrawingHandle;
    run->DrawingHandle = 0;
    EXPECT_EQ(run->MakeLinetype(1111, -1), "");
    run->DrawingHandle = id;
    run->MakeLinetype(1111, -1);
    run->MakeLinetype(1111, -1);
    WriteFile(dir.file("job.txt"), "TALVERO\r\nPOINT,1,1,2,3\r\n");
    run->SaveAsDWG(dir.file("job.txt"), dir.file("job.dxf"));
    EXPECT_EQ(run->LinetypeCounter, 2);
    NewDrawing();
    EXPECT_EQ(ByHandle(run->MakeLinetype(1111, -1)).name, "lstyle3");
}

TEST_F(Linetypes, CounterBeyond32767IsAnOverflow) {
    Start();
    run->LinetypeCounter = 32767;
    EXPECT_THROW(run->MakeLinetype(1111, -1), ConversionError);
}

} // namespace
} // namespace ostrel::test
