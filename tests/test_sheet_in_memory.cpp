// The sheet pass at the end of a conversion works on the drawing in memory:
// its file is the one the pass gives when it reads the converted file back.
#include <gtest/gtest.h>

#include "ostrel/clsDWG.h"
#include "run/run.h"
#include "cad/dwg/dwg_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "trim_fixture.h"
#include "trim/frmDWGTrim.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

struct Target {
    const char* output;
    const char* key;
    int code;
};

const Target kTargets[] = {{"out.dxf", "DXFVersion", 12}, {"out.dxf", "DXFVersion", 2000},
                             {"out.dxf", "DXFVersion", 2018}, {"out.dwg", "DWGVersion", 2000}};

const char* const kSite =
    "TALVERO\r\n"
    "POINT,1,1000,2000,50\r\n"
    "POLY,KERB,3,0.2,0,1000,2005,1030,2005,1060,2008\r\n"
    "POLY,BKFILL_GRASS,3,0,0,1010,2010,1020,2010,1020,2020,1010,2020,1010,2010\r\n"
    "POLY,bkfill pond,4,0,0,1030,2030,1040,2030,1040,2040,1030,2030\r\n"
    "TEXT,NOTES,7,^Datum 50,1005,2068,2,0\r\n"
    "SYM,TREES,3,TREE,1015,2025,51.2,2,2,0\r\n";

struct Export {
    const char* name;
    std::string records;   // after the survey above
    bool sheet;            // the pass builds its sheet
};

std::vector<Export> Exports() {
    return {
        {"turned", "STARTTB,500,0.3\r\n"
                   "POLY,TRIM-FRAME,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n"
                   "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n"
                   "TEXT,TITLE,7,Site survey,1125,2095,4,0\r\n"
                   "TEXT,TITLE,7,^Scale 1:500,1125,2085,3,0\r\n"
                   "SYM,TITLE,7,TREE,1155,2050,0,5,5,0\r\n"
                   "CIRCLE,TITLE,7,1155,2050,0,12\r\n",
         true},
        {"odd_names", "STARTTB,1000,0\r\n"
                      "POLY,trim frame,1,0,0,990,1990,1110,1990,1110,2085,990,2085\r\n"
                      // Past the 31 characters an R12 name keeps: no trim frame there.
                      "POLY,frame of the whole site drawn as TRIM,1,0,0,900,1900,1120,1900,1120,2100\r\n"
                      "POLY,Sheet;frame,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n"
                      "TEXT,title block text,7,^Caret,1125,2085,3,0\r\n",
         true},
        {"no_trim_frame", "STARTTB,500,0\r\nPOLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5\r\n", false},
        // The sheet arithmetic overflows at the second title text: the pass
        // fails after it has begun to change the drawing.
        {"failing", "STARTTB,0.001,0\r\n"
                    "POLY,TRIM,1,0,0,990,1990,1110,1990,1110,2085\r\n"
                    "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5\r\n"
                    "TEXT,TITLE,7,first,1125,2085,3,0\r\n"
                    "TEXT,TITLE,7,far,1E306,2085,3,0\r\n",
         false},
    };
}

class SheetInMemory : public ::testing::TestWithParam<Target> {
protected:
    TempDir dir;

    // The file as ezdxf reads it (a DWG through our reader, as DXF).
    std::string Summary(const std::string& path) {
        if (path.find(".dwg") == std::string::npos) return Summarise(path).raw;
        cad::SaveDxf(*cad::ReadDwg(path), cad::Release::R2000, path + ".dxf");
        return Summarise(path + ".dxf").raw;
    }

    // Converts the export; reread: the pass reads the converted file back.
    std::string Convert(const std::string& exportText, bool reread, const std::string& name) {
        const auto& r = GetParam();
        WriteFile(dir.file("settings.ini"), std::string("[EXPORT]\r\nBYENT=0\r\nLAYERSTYLE=1\r\n") + r.key + "=" +
                                                std::to_string(r.code) + "\r\n");
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        WriteFile(dir.file("site.SYM"), "SYMDEF,TREE\r\n1,0,0,1,-1,0,0,-1,1,0,-9.999,-9.999,\r\nENDSYM\r\n");
        WriteFile(dir.file("site.txt"), exportText);
        const auto out = dir.file(name + "-" + r.output);
        clsDWG converter(HostOptions{nullptr, nullptr, dir.file("user.ini")});
        if (reread)
            converter.run().trimHandOff = [](const std::string& strOUT, double scale, double rotation) {
                frmDWGTrim form;
                form.TrimDWG(strOUT, scale, rotation);
            };
        converter.SaveAsDWG(dir.file("site.txt"), out);
        return out;
    }
};

} // namespace

TEST_P(SheetInMemory, GivesTheFileOfTheRereadPass) {
    for (const auto& e : Exports()) {
        SCOPED_TRACE(e.name);
        const auto fast = Summary(Convert(kSite + e.records, false, std::string("fast-") + e.name));
        const auto reread = Summary(Convert(kSite + e.records, true, std::string("reread-") + e.name));
        EXPECT_EQ(fast, reread);
        // The pass built its sheet, or (no trim frame, a failure) left the converted drawing.
        EXPECT_EQ(reread.find("PS VIEWPORT") != std::string::npos, e.sheet);
    }
}

INSTANTIATE_TEST_SUITE_P(Releases, SheetInMemory, ::testing::ValuesIn(kTargets), [](const auto& info) {
    return std::string(info.param.output[5] == 'w' ? "dwg" : "dxf") + std::to_string(info.param.code);
});
