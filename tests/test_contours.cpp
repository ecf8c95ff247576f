// The contour colour rule: the colour table's own entry, annotation, major
// before minor, and the negative column.
#include <gtest/gtest.h>

#include <string>

#include "run/settings.h"
#include "geometry/contour_colour.h"
#include "support/test_support.h"

using namespace ostrel;

namespace {

// Points SettingsFile() at a settings file holding the given COLORTABLE lines.
class ContourColourTest : public ::testing::Test {
protected:
    test::TempDir dir;

    void ColourTable(const std::string& lines) {
        const std::string path = dir.file("settings" + std::to_string(++version_) + ".ini");
        test::WriteFile(path, "[GENERAL]\r\nDEBUG=OFF\r\n[COLORTABLE]\r\n" + lines);
        SettingsFile() = path;
        RevalidateSettingsCache();
    }

    void TearDown() override { SettingsFile().clear(); }

private:
    int version_ = 0;
};

} // namespace

TEST_F(ContourColourTest, MajorBeforeMinorAndTheNegativeColumn) {
    ColourTable("MajorContour=1,2\r\nMinorContour=3,4\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 9), 1);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ-NEG", 9), 2);
    EXPECT_EQ(ContourColour("CONTOUR-MINOR", 9), 3) << "MIN is found in MINOR";
    EXPECT_EQ(ContourColour("CONTOUR-MIN-NEG", 9), 4);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ-MIN", 9), 1) << "major wins";
    EXPECT_EQ(ContourColour("NEG-CONTOUR-MIN", 9), 4) << "markers anywhere in the name";
}

TEST_F(ContourColourTest, UnmarkedAndLowerCaseNamesGiveZero) {
    ColourTable("MajorContour=1,2\r\nMinorContour=3,4\r\n");
    EXPECT_EQ(ContourColour("CONTOUR", 9), 0);
    EXPECT_EQ(ContourColour("CONTOUR-maj", 9), 0);
    EXPECT_EQ(ContourColour("CONTOUR-text", 9), 0);
}

TEST_F(ContourColourTest, AnnotationTakesTheFirstMajorNumber) {
    ColourTable("MajorContour=1,2\r\nMinorContour=3,4\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-ANNOTATION-MIN-NEG", 9), 1);
    EXPECT_EQ(ContourColour("CONTOUR-TEXT", 9), 1);
    EXPECT_EQ(ContourColour("CONTOURTEXT-NEG", 9), 1);
}

TEST_F(ContourColourTest, TheCodesOwnEntryDecidesAlone) {
    ColourTable("MajorContour=1,2\r\nMinorContour=3,4\r\n9=30\r\n");
    for (const char* name : {"CONTOUR-MAJ", "CONTOUR-MAJ-NEG", "CONTOUR-MIN", "CONTOUR-TEXT", "CONTOUR"})
        EXPECT_EQ(ContourColour(name, 9), 30) << name;
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 8), 1) << "only for its own code";
}

TEST_F(ContourColourTest, NumbersAreMadeWholeHalvesToEven) {
    ColourTable("MajorContour=2.5,3.5\r\n7=12.5\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 9), 2);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ-NEG", 9), 4);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 7), 12);
}

TEST_F(ContourColourTest, MissingPairsGiveZero) {
    ColourTable("MajorContour=5\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 9), 5);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ-NEG", 9), 0) << "one number only";
    EXPECT_EQ(ContourColour("CONTOUR-MIN", 9), 0) << "no MinorContour";
    ColourTable("MajorContour=abc,x\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 9), 0);
}

TEST_F(ContourColourTest, NoSpecialColourRulesApply) {
    // The result is a colour code, not yet an index: no limit of 255.
    ColourTable("MajorContour=16777215,300\r\n");
    EXPECT_EQ(ContourColour("CONTOUR-MAJ", 9), 16777215);
    EXPECT_EQ(ContourColour("CONTOUR-MAJ-NEG", 9), 300);
}
