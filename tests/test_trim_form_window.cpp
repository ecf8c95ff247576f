// The trim form's window as the sheet pass drives it, on both paths to the
// pass (the drawing in memory, the file read back): loaded and shown before
// TrimDWG, unloaded after it whichever way it ends, its caption, a drawing
// to show, the bar's maximum and value, a yield per entity; and a window
// that fails or cannot be made changes nothing in the file.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ostrel/clsDWG.h"
#include "run/run.h"
#include "support/test_support.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

struct RecordingWindow final : FormWindow {
    bool loads = true;
    std::string throwAt;   // the call that throws
    std::vector<std::string> calls;
    double maximum = -1, value = -1, shownViewHeight = 0;
    long yields = 0;

    void Note(const std::string& call) {
        calls.push_back(call);
        if (call == throwAt) throw std::runtime_error("window failed");
    }
    bool Load() override { return Note("Load"), loads; }
    void Show() override { Note("Show"); }
    void SetCaption(const std::string& text) override { Note("Caption " + text); }
    void ShowDrawing(const cad::Drawing& d) override {
        for (const auto& v : d.vports) shownViewHeight = v.viewHeight;
        Note("ShowDrawing");
    }
    void SetProgressMax(double m) override { maximum = m; }
    void SetProgressValue(double v) override { value = v; }
    void DoEvents() override { ++yields, calls.size() < 20 ? Note("DoEvents") : void(); }
    void Unload() override { Note("Unload"); }
};

const char* const kExport =
    "TALVERO\r\nPOINT,1,1000,2000,50\r\nPOLY,KERB,3,0.2,0,1000,2005,1030,2005,1060,2008\r\n"
    "TEXT,NOTES,7,Notes,1005,2068,2,0\r\nSTARTTB,500,0.3\r\n"
    "POLY,TRIM-FRAME,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n"
    "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n"
    "TEXT,TITLE,7,Site survey,1125,2095,4,0\r\n";

} // namespace

TEST(TrimFormWindow, DrivenAroundThePassAndNeverChangesTheFile) {
    TempDir dir;
    WriteFile(dir.file("site.txt"), kExport);
    WriteFile(dir.file("site.SYM"), "SYMDEF,TREE\r\nENDSYM\r\n");
    auto convert = [&](const std::string& name, std::shared_ptr<FormWindow> window, bool reread) {
        auto report = std::make_shared<ConversionReport>();
        clsDWG converter(HostOptions{nullptr, nullptr, dir.file("none.ini"), report});
        converter.run().formWindow = std::move(window);
        if (reread) converter.run().beforeSave = [](cad::Drawing&) {};   // the pass reads the file back
        converter.SaveAsDWG(dir.file("site.txt"), dir.file(name));
        long entities = 0;
        for (const auto& [type, n] : report->entitiesByType)
            if (type != "VERTEX" && type != "SEQEND") entities += n;
        return std::make_pair(ReadFile(dir.file(name)), entities);
    };
    for (const char* out : {"site.dxf", "site.dwg"})
        for (bool reread : {false, true}) {
            SCOPED_TRACE(std::string(out) + (reread ? " read back" : " in memory"));
            const auto [bytes, entities] = convert(std::string("plain-") + out, nullptr, reread);
            // A DWG carries the time of its save: its bytes are compared as DXF only.
            const bool dxf = out[5] == 'x';
            auto same = [&](const std::string& other) { return !dxf || other == bytes; };
            auto w = std::make_shared<RecordingWindow>();
            EXPECT_TRUE(same(convert(std::string("shown-") + out, w, reread).first));
            ASSERT_GE(w->calls.size(), 6u);
            const std::vector<std::string> first(w->calls.begin(), w->calls.begin() + 4);
            EXPECT_EQ(first, (std::vector<std::string>{"Load", "Show", "Caption Ostrel sheet build", "ShowDrawing"}));
            EXPECT_GT(w->shownViewHeight, 95);   // zoomed to the extents: the title block's 148.5 m
            EXPECT_EQ(w->calls.back(), "Unload");
            EXPECT_EQ(w->maximum, entities);
            EXPECT_EQ(w->value, entities);
            EXPECT_EQ(w->yields, entities);
            // A window that fails, at any call, or cannot be made.
            for (const char* failing : {"Load", "Show", "ShowDrawing", "DoEvents"}) {
                auto broken = std::make_shared<RecordingWindow>();
                broken->throwAt = failing;
                EXPECT_TRUE(same(convert(std::string("broken-") + out, broken, reread).first)) << failing;
                EXPECT_EQ(broken->calls.back(), std::string(failing) == "Load" ? "Load" : "Unload") << failing;
            }
            auto none = std::make_shared<RecordingWindow>();
            none->loads = false;
            EXPECT_TRUE(same(convert(std::string("none-") + out, none, reread).first));
            EXPECT_EQ(none->calls, std::vector<std::string>{"Load"});
        }
}
