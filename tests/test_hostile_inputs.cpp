// Inputs that other programs or users damage: files shortened while read,
// LF line ends, settings paths that name no ordinary file, damaged DXF
// files, and record values at the edges.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cad/dxf/dxf_reader.h"
#include "ostrel/clsDWG.h"
#include "ostrel/errors.h"
#include "run/record_reader.h"
#include "support/record_run_fixture.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> AllLines(ExportFile& f) {
    std::vector<std::string> lines;
    while (!f.AtEnd()) lines.emplace_back(f.ReadLine());
    return lines;
}

TEST(HostileInputs, AnExportShortenedWhileReadGivesItsLinesThenTheEndOfFileError) {
    TempDir dir;
    const std::string path = dir.file("big.txt");
    std::string text;
    while (text.size() < (std::size_t{3} << 20)) text += "POINT,1,1000.000,2000.000,50.000\r\n";
    WriteFile(path, text);
    ScriptedPrompter prompter;
    auto file = OpenForInput(path, true, prompter);
    ASSERT_TRUE(file);
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    EXPECT_EQ(AllLines(*file).size(), text.size() / 34);
    try {
        file->ReadLine();
        FAIL() << "no error past the end";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::EndOfFile);
    }
}

TEST(HostileInputs, LineEndsAreCrCrLfOrLfInAFileWithoutCr) {
    TempDir dir;
    ScriptedPrompter prompter;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
        int linesBeforeByte5;   // the line numbers follow the line ends the file uses
    };
    for (const Case& c : {Case{"A,1\nB,2\n\nC", {"A,1", "B,2", "", "C"}, 1},
                          Case{"A\r\nB\nC\rD", {"A", "B\nC", "D"}, 1},   // a file with CR keeps LF in the line
                          Case{"A\r\n\r\nB\r", {"A", "", "B"}, 2}}) {
        WriteFile(dir.file("f.txt"), c.bytes);
        auto file = OpenForInput(dir.file("f.txt"), true, prompter);
        ASSERT_TRUE(file);
        EXPECT_EQ(AllLines(*file), c.lines);
        file->Seek(5);
        EXPECT_EQ(file->LineNumber(), c.linesBeforeByte5);
    }
}

// An LF-ended export and symbol file convert like their CR LF twins.
TEST(HostileInputs, AnLfEndedExportConvertsLikeItsCrLfTwin) {
    TempDir dir;
    const std::string sym = "SYMDEF,TREE\n-0.3,0,0.3,0,\n0,-0.3,0,0.3,\nENDSYM\n";
    const std::string in = "TALVERO\nPOINT,1,10,20,0\nSYM,TREES,3,TREE,5,5,0,1,1,0\nPOLY,KERB,3,0,0,0,0,10,10\n";
    auto entities = [&](const std::string& eol) {
        auto with = [&](std::string t) {
            for (std::size_t at = 0; (at = t.find('\n', at)) != std::string::npos; at += eol.size())
                t.replace(at, 1, eol);
            return t;
        };
        WriteFile(dir.file("in.txt"), with(in));
        WriteFile(dir.file("in.SYM"), with(sym));
        clsDWG(HostOptions{std::make_shared<ScriptedPrompter>(), nullptr, dir.file("none.ini")})
            .SaveAsDWG(dir.file("in.txt"), dir.file("out.dxf"));
        auto d = cad::ReadDxf(dir.file("out.dxf"));
        std::size_t symbolLines = 0;
        for (const auto& b : d->blocks)
            if (b.name == "SYMTREE") symbolLines = b.entities.size();
        return std::make_pair(d->blocks[d->ModelSpace()].entities.size(), symbolLines);
    };
    const auto crlf = entities("\r\n");
    EXPECT_GE(crlf.first, 5u);   // point, insert, polyline with two vertices and its end
    EXPECT_GE(crlf.second, 2u);  // the symbol's two lines
    EXPECT_EQ(entities("\n"), crlf);
}

// A settings path naming a FIFO, a device or a huge file is refused with a
// message; the conversion runs on without those settings.
TEST(HostileInputs, SettingsFilesThatAreNoOrdinaryFilesAreRefused) {
    TempDir dir;
    const std::string fifo = dir.file("fifo.ini"), huge = dir.file("huge.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteFile(huge, "[EXPORT]\r\nBYENT=1\r\n");
    std::filesystem::resize_file(huge, (std::size_t{16} << 20) + 1);
    WriteFile(dir.file("in.txt"), "TALVERO\r\nPOINT,1,10,20,0\r\n");
    WriteFile(dir.file("in.SYM"), "");
    for (const auto& [main, reason] : {std::pair<std::string, std::string>{fifo, "not a regular file"},
                                       {"/dev/zero", "not a regular file"},
                                       {huge, "larger than 16 MB"}}) {
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + main + "\r\n");
        auto prompter = std::make_shared<ScriptedPrompter>();
        clsDWG(HostOptions{prompter, nullptr, dir.file("user.ini")}).SaveAsDWG(dir.file("in.txt"), dir.file("o.dxf"));
        ASSERT_EQ(prompter->shown.size(), 1u) << main << ": " << prompter->shown.back().text;
        EXPECT_EQ(prompter->shown[0].text, "Settings file ignored: " + main + ": " + reason);
        EXPECT_EQ(prompter->shown[0].icon, MessageIcon::Exclamation);
    }
}

TEST(HostileInputs, DamagedDxfFilesGiveReaderErrors) {
    for (const char* name : {"crash-mlinestyle.dxf", "crash-plotstylename.dxf", "out-of-range-root.dxf"}) {
        const std::string path = test::SourcePath(std::string("tests/data/damaged/") + name);
        try {
            cad::ReadDxf(path);
            ADD_FAILURE() << name << " was read";
        } catch (const cad::CadError& e) {
            EXPECT_NE(std::string(e.what()).find("(damaged file)"), std::string::npos) << e.what();
        }
    }
}

TEST(HostileInputs, PolylineVertexColoursBeyondSixteenBitsOverflow) {
    test::RecordRunFixture f("[LAYERS]\r\nA-LINE=MAPPED\r\n");
    f.Polyline(f.Open("POLY,A,1,0,0,0,0,1,1\r\n"));
    try {
        f.Polyline(f.Open("POLY,A,-100000,0,0,0,0,1,1\r\n"));
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
}

} // namespace
} // namespace ostrel
