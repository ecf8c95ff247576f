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

TEST_F(ContourColourTest, MajorBeforeMinorTheNegativeColumnAndTheCodesOwnEntry) {
    struct Case {
        const char* table;
        const char* name;
        std::int32_t code, colour;
    };
    const char* kTable = "MajorContour=1,2\r\nMinorContour=3,4\r\n";
    const Case cases[] = {
        {kTable, "CONTOUR-MAJ", 9, 1},        {kTable, "CONTOUR-MAJ-NEG", 9, 2},
        {kTable, "CONTOUR-MINOR", 9, 3},      // MIN is found in MINOR
        {kTable, "CONTOUR-MIN-NEG", 9, 4},    {kTable, "CONTOUR-MAJ-MIN", 9, 1},   // major wins
        {kTable, "NEG-CONTOUR-MIN", 9, 4},    // markers anywhere in the name
        {kTable, "CONTOUR", 9, 0},            {kTable, "CONTOUR-maj", 9, 0}, {kTable, "CONTOUR-text", 9, 0},
        // Annotation takes the first major number.
        {kTable, "CONTOUR-ANNOTATION-MIN-NEG", 9, 1}, {kTable, "CONTOUR-TEXT", 9, 1}, {kTable, "CONTOURTEXT-NEG", 9, 1},
        // The code's own entry decides alone, for its own code only.
        {"MajorContour=1,2\r\n9=30\r\n", "CONTOUR-MAJ-NEG", 9, 30}, {"MajorContour=1,2\r\n9=30\r\n", "CONTOUR", 9, 30},
        {"MajorContour=1,2\r\n9=30\r\n", "CONTOUR-MAJ", 8, 1},
        // Numbers are made whole, halves to even; no limit of 255 (a code, not yet an index).
        {"MajorContour=2.5,3.5\r\n7=12.5\r\n", "CONTOUR-MAJ", 9, 2}, {"MajorContour=2.5,3.5\r\n", "CONTOUR-MAJ-NEG", 9, 4},
        {"7=12.5\r\n", "CONTOUR-MAJ", 7, 12}, {"MajorContour=16777215,300\r\n", "CONTOUR-MAJ", 9, 16777215},
        {"MajorContour=16777215,300\r\n", "CONTOUR-MAJ-NEG", 9, 300},
        // Missing numbers give zero.
        {"MajorContour=5\r\n", "CONTOUR-MAJ", 9, 5}, {"MajorContour=5\r\n", "CONTOUR-MAJ-NEG", 9, 0},
        {"MajorContour=5\r\n", "CONTOUR-MIN", 9, 0}, {"MajorContour=abc,x\r\n", "CONTOUR-MAJ", 9, 0},
    };
    for (const auto& c : cases) {
        ColourTable(c.table);
        EXPECT_EQ(ContourColour(c.name, c.code), c.colour) << c.name << " " << c.code << " with " << c.table;
    }
}
