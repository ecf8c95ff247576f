// Many exports at once (`ostrel convert IN... -o DIR`), the --report of what
// each conversion did, and the record loop's progress, through the program
// and through HostOptions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "ostrel/clsDWG.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::RunCommand;
using test::SourcePath;
using test::TempDir;
using test::WriteFile;

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.file("in"));
    }
    // An export in in/ with the sample's symbol file, or none.
    std::string Export(const std::string& name, const std::string& text, bool symbols = true) {
        const std::string path = dir_.file("in/" + name + ".txt");
        WriteFile(path, text);
        if (symbols) WriteFile(dir_.file("in/" + name + ".SYM"), ReadFile(SourcePath("examples/site.SYM")));
        return path;
    }
    test::CommandResult Run(const std::string& args) {
        return RunCommand("OSTREL_REGISTRY='" + dir_.file("registry") + "' '" + OSTREL_BINARY_DIR "/ostrel' " + args +
                          " --user-settings '" + user_ + "' </dev/null");
    }

    TempDir dir_;
    std::string user_ = SourcePath("examples/user.ini");   // the sample's settings
};

TEST_F(Batch, GoodOnesWrittenBrokenOnesListedWorstStatusSameBytesForAnyJobs) {
    const std::string sample = ReadFile(SourcePath("examples/site.txt"));
    const std::string in = Export("good1", sample) + "' '" + Export("good2", sample) + "' '" +
                           Export("nosym", sample, false) + "' '" + Export("broken", "TALVERO\r\n") + "' '" +
                           dir_.file("in/absent.txt");
    for (const char* jobs : {"1", "2"}) {
        const auto r = Run("convert '" + in + "' -o '" + dir_.file(std::string("out") + jobs) + "' -j " + jobs);
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;   // a failure outranks messages
        // The summary on stdout; messages and failures on stderr, led by their export.
        EXPECT_NE(r.out.find("5 exports: 2 converted, 1 with messages, 2 failed\n"), std::string::npos) << r.out;
        EXPECT_TRUE(std::regex_search(r.out, std::regex("\n  failed    \\S*broken.txt\n")));
        EXPECT_TRUE(std::regex_search(r.out, std::regex("\n  messages  \\S*nosym.txt -> \\S*nosym.dxf\n")));
        EXPECT_TRUE(std::regex_search(r.err, std::regex("\\S*broken.txt: failed: Input past end of file")));
        EXPECT_TRUE(std::regex_search(r.err, std::regex("\\S*absent.txt: failed: unreadable: the export \\S* does not exist")));
        EXPECT_TRUE(std::regex_search(r.err, std::regex("\\S*nosym.txt: error: Error Opening \\S*nosym.SYM")));
        EXPECT_EQ(r.err.find('\r'), std::string::npos);   // no progress line without a terminal
        EXPECT_EQ(r.out.find("Error"), std::string::npos);
    }
    const auto quiet = Run("convert '" + Export("good6", sample) + "' -o '" + dir_.file("out6") + "' -q");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    for (const char* name : {"good1.dxf", "good2.dxf", "nosym.dxf"}) {
        const std::string one = ReadFile(dir_.file(std::string("out1/") + name));
        EXPECT_GT(one.size(), 10000u) << name;
        EXPECT_EQ(one, ReadFile(dir_.file(std::string("out2/") + name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("out1/broken.dxf")));
    // Only messages: status 3; all good, DWG: 0, and our reader reads what was written.
    EXPECT_EQ(Run("convert '" + Export("good3", sample) + "' '" + Export("nosym3", sample, false) + "' -o '" +
                  dir_.file("out3") + "'").exitCode, 3);
    const auto dwg = Run("convert '" + Export("good4", sample) + "' -o '" + dir_.file("out4") + "' --format dwg");
    EXPECT_EQ(dwg.exitCode, 0) << dwg.out;
    EXPECT_NE(RunCommand("'" OSTREL_BINARY_DIR "/ostrel' info '" + dir_.file("out4/good4.dwg") + "'").out.find("DWG"),
              std::string::npos);
    // Two exports of one name: the second is refused, not written over the first.
    std::filesystem::create_directories(dir_.file("in/again"));
    WriteFile(dir_.file("in/again/good5.txt"), sample);
    const auto twice = Run("convert '" + Export("good5", sample) + "' '" + dir_.file("in/again/good5.txt") + "' -o '" +
                           dir_.file("out5") + "'");
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_TRUE(std::regex_search(twice.err, std::regex("again/good5.txt: failed: nothing written: an earlier export is "
                                                        "written to"))) << twice.err;
    // Usage: -j without -o.
    EXPECT_EQ(Run("convert a b -j 2").exitCode, 2);
}

// The sample drops exactly one record: line 36, the tree at 1120,2070
// outside the trim window 1060..1110 x 2065..2090 (the hedge on line 37 is
// clipped to the window, not dropped; the title block follows TRIMEND, which
// clears the window).
TEST_F(Batch, ReportOfTheSampleListsTheOneRecordItDrops) {
    const std::string in = Export("site", ReadFile(SourcePath("examples/site.txt")));
    const auto r = Run("convert '" + in + "' '" + dir_.file("site.dxf") + "' --report '" + dir_.file("r.json") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string json = ReadFile(dir_.file("r.json"));
    EXPECT_NE(json.find("\"dropped\": [\n        {\"reason\": \"outside the trim window\", \"count\": 1, "
                        "\"lines_not_listed\": 0, \"lines\": [36]}\n      ]"),
              std::string::npos)
        << json;
    // Records by keyword (a POLY and its continuation line are one record).
    EXPECT_NE(json.find("\"records\": {\"CIRCLE\": 4, \"POINT\": 5, \"POLY\": 8, \"POLY3D\": 4, \"STARTTB\": 1, "
                        "\"SYM\": 7, \"TEXT\": 6, \"TEXT3D\": 2, \"TRI\": 4, \"TRIM\": 1, \"TRIMEND\": 1}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"INSERT\": 6"), std::string::npos);   // 7 SYM records, one dropped
    EXPECT_NE(json.find("\"release\": \"R2000\""), std::string::npos);
    EXPECT_NE(json.find("\"written\": true"), std::string::npos);
    EXPECT_NE(json.find("\"status\": \"converted\",\n      \"reason\": null"), std::string::npos);
    EXPECT_NE(json.find("\"short_records\": [],"), std::string::npos);
    // Records with fewer fields than their layout are listed (and still read).
    const auto shortOnes = Run("convert '" + Export("short", "TALVERO\r\nPOINT,1,1,1\r\nTEXT,T,1,hi,0,0,2\r\nPOINT,1,2\r\n"
                                                      "POINT,2,1,1,0\r\n") + "' '" + dir_.file("short.dxf") +
                               "' --report '" + dir_.file("s.json") + "'");
    EXPECT_EQ(shortOnes.exitCode, 0) << shortOnes.err;
    EXPECT_NE(ReadFile(dir_.file("s.json")).find(
                  "\"short_records\": [\n        {\"keyword\": \"POINT\", \"fields\": 5, \"count\": 2, "
                  "\"lines_not_listed\": 0, \"lines\": [2, 4]},\n        {\"keyword\": \"TEXT\", \"fields\": 8, "
                  "\"count\": 1, \"lines_not_listed\": 0, \"lines\": [3]}\n      ],"),
              std::string::npos)
        << ReadFile(dir_.file("s.json"));
}

// Every reason, by line, through the C++ interface (a header-less export:
// its line naming "TRIM" in field 1 is the boundary, and lies on it, not inside it).
TEST_F(Batch, ReportGivesEveryReasonWithItsLinesAndCapsTheList) {
    std::string text =
        "POLY,SITE-TRIM,1,0,0,0,0,100,0,100,100,0,100,0,0\r\n"   // 1 boundary: on it, not inside
        "POINT,1,50,50,0\r\nPOINT,2,150,50,0\r\n"                  // 3 outside the boundary
        "SYM,TREES,3,NOSUCH,10,10,0,1,1,0\r\n"                     // 4 no symbol
        "LINE,1,2,3\r\n\r\n"                                       // 5 unknown, 6 empty
        "POLY,EMPTY,1,0,0\r\nTEXT,NOTE,7,far,200,200,2,0\r\n"      // 7 no vertices, 8 outside the boundary
        "TRIM,10,10,60,10,60,60,10,60,10,10,\r\n"
        "SYM,TREES,3,TREE,80,80,0,1,1,0\r\nPOLY,FAR,1,0,0,70,70,90,90\r\n"   // 10, 11 outside the window
        "TRIMEND\r\nCIRCLE,C,1,50,50,0,2\r\n";
    text += "sym,TREES,3,TREE,20,20,0,1,1,0\r\n";                 // 14 unknown (case counts)
    for (int i = 0; i < 1004; ++i) text += "X\r\n";               // 15..1018 unknown (the boundary
                                                                   // is looked for in the last 10 KB)
    const std::string in = Export("drops", text);
    auto report = std::make_shared<ConversionReport>();
    HostOptions host{nullptr, nullptr, user_};
    host.report = report;
    clsDWG(host).SaveAsDWG(in, dir_.file("drops.dxf"));

    std::map<std::string, std::vector<std::int64_t>> firstLines;
    std::map<std::string, std::int64_t> counts;
    for (const auto& d : report->dropped) {
        firstLines[d.reason].assign(d.lines.begin(), d.lines.begin() + std::min<std::size_t>(d.lines.size(), 3));
        counts[d.reason] = d.count;
    }
    using L = std::vector<std::int64_t>;
    EXPECT_EQ(firstLines["outside the boundary"], (L{1, 3, 8}));
    EXPECT_EQ(firstLines["no symbol of that name"], (L{4}));
    EXPECT_EQ(firstLines["unknown keyword"], (L{5, 14, 15}));
    EXPECT_EQ(firstLines["empty line"], (L{6}));
    EXPECT_EQ(firstLines["no vertices"], (L{7}));
    EXPECT_EQ(firstLines["outside the trim window"], (L{10, 11}));
    EXPECT_EQ(counts["unknown keyword"], 1006);
    ASSERT_EQ(report->dropped.size(), 6u);
    EXPECT_EQ(report->dropped[2].lines.size(), ConversionReport::kMaxLines);
    EXPECT_EQ(report->dropped[2].lines.back(), 5 + 999 + 8);   // line 5, then 14 onwards
    EXPECT_EQ(report->entitiesByType, (std::map<std::string, std::int64_t>{{"CIRCLE", 1}, {"POINT", 1}}));
    EXPECT_TRUE(report->written);

    // A failed call: the error, nothing written, the messages shown.
    clsDWG(host).SaveAsDWG(dir_.file("in/absent.txt"), dir_.file("absent.dxf"));
    EXPECT_FALSE(report->written);
    ASSERT_FALSE(report->messages.empty());
    EXPECT_EQ(report->messages.back().rfind("Error Opening ", 0), 0u);
}

// The record loop reports the bytes read every few hundred kilobytes, ending at the length.
TEST_F(Batch, RecordLoopReportsBytesReadOfALargeExport) {
    struct Reads final : ProgressSink {
        void Start(long) override {}
        void Step() override {}
        void Finish() override {}
        void ExportRead(std::int64_t read, std::int64_t length) override { seen.emplace_back(read, length); }
        std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    };
    std::string text = "TALVERO\r\n";
    while (text.size() < 2'000'000) text += "POINT,1,1000.000,2000.000,50.000\r\n";
    const std::string in = Export("large", text);
    auto reads = std::make_shared<Reads>();
    clsDWG(HostOptions{nullptr, reads, user_}).SaveAsDWG(in, dir_.file("large.dxf"));
    const auto n = static_cast<std::int64_t>(text.size());
    ASSERT_GE(reads->seen.size(), 5u);
    EXPECT_LE(reads->seen.size(), 20u);   // every 256 KB or so, not per record
    for (std::size_t i = 1; i < reads->seen.size(); ++i) EXPECT_GT(reads->seen[i].first, reads->seen[i - 1].first);
    EXPECT_EQ(reads->seen.back(), std::make_pair(n, n));
}

} // namespace
} // namespace ostrel
