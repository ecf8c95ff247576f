// DWG of the releases after R2000 (the R2004 family's page container, R2007's
// Reed-Solomon one): what we write reads back as the same drawing, the
// outside reader (libredwg, when scripts/install-dwg-checker installed it)
// reads it without an error and sees the entities of our DXF of that release,
// and damaged files end in a clear CadError.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using ostrel::test::ReadFile;
using ostrel::test::RunCommand;
using ostrel::test::TempDir;
using ostrel::test::WriteFile;

namespace {

const Release kPagedReleases[] = {Release::R2004, Release::R2007, Release::R2010, Release::R2013, Release::R2018};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A drawing as our DXF writer spells it, without the save dates and the
// handle seed (R2000's VX records take handles the later releases do not).
std::string DxfText(Drawing& d, const TempDir& dir) {
    auto path = dir.file("view.dxf");
    SaveDxf(d, Release::R2000, path);
    auto text = ReadFile(path);
    text = std::regex_replace(text, std::regex("\\$TD[A-Z]+\n 40\n[0-9.]+\n"), "");
    return std::regex_replace(text, std::regex("\\$HANDSEED\n  5\n[0-9A-F]+\n"), "");
}

std::string ErrorOf(const std::string& path) {
    try {
        ReadDwg(path);
    } catch (const CadError& e) {
        return e.what();
    }
    return "";
}

class DwgRelease : public ::testing::TestWithParam<Release> {
protected:
    std::string Write(Drawing& d, const std::string& name) {
        auto path = dir.file(name);
        SaveDwg(d, GetParam(), path);
        return path;
    }
    TempDir dir;
};

} // namespace

TEST_P(DwgRelease, ReadsBackAsTheDrawingItWasWrittenFrom) {
    auto original = ostrel::test::EveryKindDrawing();
    auto path = Write(*original, "every.dwg");
    EXPECT_EQ(ReadFile(path).substr(0, 6), AcadVersionString(GetParam()));
    auto read = ReadDwg(path);
    EXPECT_EQ(read->release, GetParam());
    // The same drawing through R2000 gives the reference: both reads spell
    // the same DXF, record for record (entities, tables, objects, header).
    auto reference = ostrel::test::EveryKindDrawing();
    SaveDwg(*reference, Release::R2000, dir.file("every2000.dwg"));
    const auto expected = DxfText(*ReadDwg(dir.file("every2000.dwg")), dir);
    EXPECT_EQ(DxfText(*read, dir), expected);
    // Written again in its release, it reads the same once more.
    auto again = Write(*read, "again.dwg");
    EXPECT_EQ(DxfText(*ReadDwg(again), dir), expected);
}

TEST_P(DwgRelease, ALargeDrawingOverManyPagesReadsBack) {
    auto d = ostrel::test::SiteDrawing(40000);
    const auto entities = d->entities.size();
    auto read = ReadDwg(Write(*d, "large.dwg"));
    EXPECT_EQ(read->entities.size(), entities);
    EXPECT_GT(std::filesystem::file_size(dir.file("large.dwg")), 0x7400u * 20);
}

TEST_P(DwgRelease, DamagedFilesEndInAClearError) {
    auto d = ostrel::test::EveryKindDrawing();
    const auto good = ReadFile(Write(*d, "good.dwg"));
    auto damaged = [&](const std::string& bytes) {
        auto path = dir.file("bad.dwg");
        WriteFile(path, bytes);
        return ErrorOf(path);
    };
    // Truncated anywhere: at the pages, in the maps, in the header.
    for (std::size_t keep : {good.size() - 1, good.size() / 2, std::size_t{0x120}, std::size_t{0x90}})
        EXPECT_NE(damaged(good.substr(0, keep)).find("damaged"), std::string::npos) << keep;
    if (GetParam() == Release::R2007) {
        // Reed-Solomon pages repair a few bytes; a burst in the middle of the
        // pages is more than the codes repair. (The R2007 container's own
        // tests take its maps apart.)
        auto burst = good;
        for (std::size_t i = 0; i < 64; ++i) burst[good.size() / 2 + i] = static_cast<char>(burst[good.size() / 2 + i] ^ 0xA5);
        EXPECT_NE(damaged(burst).find("damaged"), std::string::npos) << damaged(burst);
    } else {
        // A flipped byte in the first data page: its checksum says so.
        auto flipped = good;
        flipped[0x100 + 40] = static_cast<char>(flipped[0x100 + 40] ^ 0x04);
        EXPECT_NE(damaged(flipped).find("fails its checksum"), std::string::npos) << damaged(flipped);
    }
    // Damage at every 97th byte never crashes: an error or a drawing.
    for (std::size_t at = 0; at < good.size(); at += 97) {
        auto bytes = good;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        damaged(bytes);
    }
}

TEST_P(DwgRelease, LibreDwgReadsItCleanlyAndSeesTheEntitiesOfOurDxf) {
    if (!ostrel::test::DwgCheckerHas("node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm"))
        GTEST_SKIP() << "DWG checker not installed (scripts/install-dwg-checker)";
    auto d = ostrel::test::EveryKindDrawing();
    auto dwg = Write(*d, "every.dwg");
    auto converted = dir.file("converted.dxf");
    auto r = ostrel::test::RunDwgChecker("check_dwg.mjs", Quote(dwg) + " --dxf " + Quote(converted));
    EXPECT_NE(r.out.find("\"error\":0,"), std::string::npos) << r.out << r.err;
    EXPECT_NE(r.out.find("\"HATCH\":1"), std::string::npos) << r.out;
    auto ours = dir.file("ours.dxf");
    auto fresh = ostrel::test::EveryKindDrawing();
    SaveDxf(*fresh, GetParam(), ours);
    auto summary = [](const std::string& path) {
        auto s = RunCommand("/usr/bin/python3 " + Quote(ostrel::test::SourcePath("tests/checkers/dwg/dxf_summary.py")) +
                            " " + Quote(path));
        EXPECT_EQ(s.exitCode, 0) << s.err;
        return s.out;
    };
    EXPECT_EQ(summary(converted), summary(ours));
}

INSTANTIATE_TEST_SUITE_P(Paged, DwgRelease, ::testing::ValuesIn(kPagedReleases),
                         [](const auto& info) { return std::string(ReleaseName(info.param)); });
