// The style file behind linetype names (its lines: test_linetypes): reported
// at every linetype when it cannot be read, and read anew by the next call.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

class StyleFileReads : public TablesTest {
protected:
    void WriteStyleFile(const std::string& text) {
        std::filesystem::create_directories(dir.path() / "styles");
        WriteFile(dir.file("styles/style.lin"), text);
    }
    std::string NameOf(const std::string& handle) {
        auto h = cad::ParseHandle(handle);
        for (auto& lt : drawing().linetypes)
            if (h && lt.handle == *h) return lt.name;
        return "?";
    }
};

TEST_F(StyleFileReads, AMissingFileIsReportedAtEveryLinetype) {
    Start();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(NameOf(run->MakeLinetype(1020, 0)), "lstyle" + std::to_string(i + 1));
    int opening = 0;
    for (auto& s : prompter->shown) opening += s.text.rfind("Error Opening ", 0) == 0;
    EXPECT_EQ(opening, 3);
    // Once the file is there, the same call reads it.
    WriteStyleFile("DOTTED = .\r\n");
    EXPECT_EQ(NameOf(run->MakeLinetype(1020, 0)), "DOTTED");
}

TEST_F(StyleFileReads, TheNextConversionCallReadsTheChangedFile) {
    Start();
    WriteStyleFile("DASHED = a\r\n");
    EXPECT_EQ(NameOf(run->MakeLinetype(1020, 0)), "DASHED");
    WriteStyleFile("CENTER = b\r\n");
    NewDrawing();   // fresh toolkit objects, as every conversion call makes them
    EXPECT_EQ(NameOf(run->MakeLinetype(1020, 0)), "CENTER");
}

} // namespace
} // namespace ostrel::test
