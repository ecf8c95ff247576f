// The conversion run's order of steps, its keyword dispatch, its debug
// prompts and what each failure does, with a toolkit whose initialisation
// and save are recorded (and can be made to fail) instead of writing files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "cad/drawing.h"
#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"
#include "ostrel/clsDWG.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFile;

// What the recording toolkit saw, shared with the fixture.
struct ToolkitLog {
    std::vector<std::string>* events = nullptr;
    bool failInit = false;
    bool failSave = false;
    int inits = 0, saves = 0;
    std::string savedPath;
    std::uint8_t savedType = 255;
    std::int16_t savedVersion = -1;
};
ToolkitLog g_toolkit;

class RecordingLibrary : public CadLibrary {
public:
    using CadLibrary::CadLibrary;
    std::int16_t InitLibrary() override {
        ++g_toolkit.inits;
        g_toolkit.events->push_back("init");
        lastStatus_ = g_toolkit.failInit ? kStatusInitFailed : kStatusOk;
        return lastStatus_;
    }
    void SaveDrawingFile(DrawingId, const std::string& path, std::uint8_t fileType, std::int16_t versionCode,
                         std::int16_t, std::int16_t, std::int16_t, std::int16_t) override {
        ++g_toolkit.saves;
        g_toolkit.events->push_back("save");
        g_toolkit.savedPath = path;
        g_toolkit.savedType = fileType;
        g_toolkit.savedVersion = versionCode;
        if (g_toolkit.failSave) {
            lastStatus_ = kStatusWriteFailed;
            db_.SetStatusDetail(kStatusWriteFailed, "disk full");
        } else {
            lastStatus_ = kStatusOk;
        }
    }
};

std::unique_ptr<CadLibrary> MakeRecordingLibrary(CadDatabase& db) { return std::make_unique<RecordingLibrary>(db); }

// Messages and questions go into the same event list as the toolkit calls.
class LoggingPrompter : public ScriptedPrompter {
public:
    explicit LoggingPrompter(std::vector<std::string>& events) : events_(events) {}
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        events_.push_back("message:" + text);
        ScriptedPrompter::ShowMessage(text, icon);
    }
    bool AskYesNo(const std::string& text) override {
        events_.push_back("ask:" + text);
        return ScriptedPrompter::AskYesNo(text);
    }

private:
    std::vector<std::string>& events_;
};

std::string Number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("OSTREL_REGISTRY", dir_.file("registry").c_str(), 1);
        SettingsFile().clear();
        g_toolkit = ToolkitLog{};
        g_toolkit.events = &events_;
        WriteUserSettings();
        WriteFile(mainIni_, "[GENERAL]\r\nDEBUG=OFF\r\n");
    }
    void TearDown() override { SettingsFile().clear(); }

    void WriteUserSettings() { WriteFile(userIni_, "[OPTION]\r\ntxtDWGoverride=" + mainIni_ + "\r\n"); }
    void Settings(const std::string& text) {
        WriteFile(mainIni_, text);
        RevalidateSettingsCache();
    }

    // An export with an empty symbol file beside it (read without a message).
    std::string Export(const std::string& text, const std::string& name = "job.txt") {
        const std::string path = dir_.file(name);
        WriteFile(path, text);
        WriteFile(ChangeExtension(path, "SYM"), "");
        return path;
    }

    std::unique_ptr<clsDWG> Make(std::string userSettings = "") {
        if (userSettings.empty()) userSettings = userIni_;
        auto c = std::make_unique<clsDWG>(HostOptions{prompter_, nullptr, userSettings});
        auto& run = c->run();
        run.makeLibrary = &MakeRecordingLibrary;
        run.trimHandOff = [this](const std::string& out, double scale, double rotation) {
            events_.push_back("trim " + Number(scale) + " " + Number(rotation));
            trimOut_ = out;
            if (trimThrows_) trimThrows_();
        };
        run.beforeSave = [this](cad::Drawing& d) {
            modelSpace_.clear();
            for (auto i : d.blocks[d.ModelSpace()].entities) modelSpace_.push_back(d.entities[i].type);
        };
        return c;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& s : prompter_->shown) out.push_back(s.text);
        return out;
    }
    std::size_t Count(cad::EntityType t) const {
        return static_cast<std::size_t>(std::count(modelSpace_.begin(), modelSpace_.end(), t));
    }

    TempDir dir_;
    std::string userIni_ = dir_.file("user.ini");
    std::string mainIni_ = dir_.file("main.ini");
    std::string out_ = dir_.file("out.dxf");
    std::vector<std::string> events_;
    std::shared_ptr<LoggingPrompter> prompter_ = std::make_shared<LoggingPrompter>(events_);
    std::vector<cad::EntityType> modelSpace_;
    std::string trimOut_;
    std::function<void()> trimThrows_;
};

// ------------------------------------------------------------------ order of steps and debug prompts

TEST_F(Driver, StepsRunInOrderWithDebugPrompts) {
    Settings("[GENERAL]\r\nDEBUG=ON\r\n");
    const std::string in = Export("TALVERO\r\nSTARTTB,2,0.5\r\nPOINT,1,10,20,0\r\n");
    auto c = Make();
    c->SaveAsDWG(in, out_);
    const std::vector<std::string> expected = {
        "message:INI=" + mainIni_,
        "message:" + in + "\r\n" + out_,
        "init",
        "save",
        "trim 2 0.5",
        "ask:" + out_ + " Completed!\r\n\r\nContinue With Progress Messages?",
    };
    EXPECT_EQ(events_, expected);
    for (const auto& s : prompter_->shown) EXPECT_EQ(s.icon, MessageIcon::None);
    EXPECT_EQ(trimOut_, out_);
    EXPECT_EQ(g_toolkit.savedPath, out_);
    EXPECT_EQ(Count(cad::EntityType::Point), 1u);
    // Only ON itself asks for the prompts.
    for (const char* value : {"on", "On", " ON x", "1", "YES"}) {
        Settings(std::string("[GENERAL]\r\nDEBUG=") + value + "\r\n");
        events_.clear();
        prompter_->shown.clear();
        auto c = Make();
        c->SaveAsDWG(Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), out_);
        EXPECT_TRUE(prompter_->shown.empty()) << value;
        EXPECT_EQ(events_, (std::vector<std::string>{"init", "save"})) << value;
    }
}

TEST_F(Driver, AnsweringNoWritesOffAndSilencesTheNextCallYesChangesNothing) {
    const std::string settings = "; main\r\n[GENERAL]\r\nDEBUG=ON\r\nOTHER=1\r\n\r\n[EXPORT]\r\nBYENT=0\r\n";
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n");
    for (bool answer : {true, false}) {
        Settings(settings);
        prompter_->answers = {answer};
        auto c = Make();
        c->SaveAsDWG(in, out_);
        std::string after = settings;
        if (!answer) after.replace(after.find("DEBUG=ON"), 8, "DEBUG=OFF");
        EXPECT_EQ(ReadFile(mainIni_), after);
        events_.clear();
        c->SaveAsDWG(in, out_);
        if (!answer) {
            EXPECT_EQ(events_, (std::vector<std::string>{"init", "save"}));
            continue;
        }
        ASSERT_EQ(events_.size(), 4u);
        EXPECT_EQ(events_[0], "message:" + in + "\r\n" + out_);
        EXPECT_EQ(events_.back().rfind("ask:", 0), 0u);
    }
}

TEST_F(Driver, EachCallInitialisesAFreshToolkitAndState) {
    auto c = Make();
    c->SaveAsDWG(Export("TALVERO\r\nSTARTTB,1,2\r\n"), out_);
    EXPECT_TRUE(c->run().TitleBlockMode);
    c->SaveAsDWG(Export("TALVERO\r\nPOINT,1,1,1,0\r\n", "second.txt"), out_);
    EXPECT_EQ(g_toolkit.inits, 2);
    EXPECT_EQ(g_toolkit.saves, 2);
    EXPECT_FALSE(c->run().TitleBlockMode);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "trim 1 2"), 1);
}

// ------------------------------------------------------------------ failures

TEST_F(Driver, MissingExportShowsTheOpenErrorAnEmptyOneNothingAndNeitherSaves) {
    auto c = Make();
    const std::string in = dir_.file("absent.txt");
    WriteFile(dir_.file("absent.SYM"), "");
    EXPECT_NO_THROW(c->SaveAsDWG(in, out_));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error Opening " + in + "\r\nFile not found"}));
    prompter_->shown.clear();
    EXPECT_NO_THROW(c->SaveAsDWG(Export(""), out_));
    EXPECT_TRUE(prompter_->shown.empty());
    EXPECT_EQ(g_toolkit.inits, 2);
    EXPECT_EQ(g_toolkit.saves, 0);
}

// A header-only export reads past its end; a bad record field names its line.
TEST_F(Driver, RecordLoopErrorsEndTheCallWithoutASave) {
    for (const char* text : {"TALVERO", "TALVERO\r\n"}) {
        auto c = Make();
        try {
            c->SaveAsDWG(Export(text), out_);
            ADD_FAILURE() << "no error for " << text;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.code(), ErrorCode::EndOfFile);
            EXPECT_NE(std::string(e.what()).find("Input past end of file"), std::string::npos);
        }
    }
    EXPECT_TRUE(prompter_->shown.empty());
    try {
        Make()->SaveAsDWG(Export("TALVERO\r\nPOINT,1,1,1,0\r\nTRIM,a,b,1,1,\r\n"), out_);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::TypeMismatch);
        EXPECT_NE(std::string(e.what()).find("(line 3 of " + dir_.file("job.txt") + ")"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(g_toolkit.saves, 0);
}

TEST_F(Driver, MissingSymbolFileIsReportedAndTheRunGoesOnItsNameIsThePathUpToTheLastDot) {
    std::filesystem::create_directories(dir_.file("data.old"));
    const std::string in = dir_.file("data.old/job");
    WriteFile(in, "TALVERO\r\nPOINT,1,1,1,0\r\n");
    auto c = Make();
    c->SaveAsDWG(in, out_);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error Opening " + dir_.file("data.SYM") + "\r\nFile not found"}));
    EXPECT_EQ(g_toolkit.saves, 1);
    EXPECT_EQ(Count(cad::EntityType::Point), 1u);

    prompter_->shown.clear();
    WriteFile(dir_.file("data.SYM"), "");
    c->SaveAsDWG(in, out_);
    EXPECT_TRUE(prompter_->shown.empty());
}

TEST_F(Driver, UnreadableSettingsGiveDefaults) {
    // The user settings "file" is a folder: nothing can be read from it.
    auto c = Make(dir_.path().string());
    EXPECT_EQ(SettingsFile(), "");
    EXPECT_FALSE(c->run().ByEntity);
    EXPECT_EQ(c->run().LayerStyle, 0);
    c->SaveAsDWG(Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), out_);
    // A folder is refused with a message naming why; the run goes on.
    for (const auto& m : Messages()) EXPECT_NE(m.find("not a regular file"), std::string::npos) << m;
    EXPECT_EQ(g_toolkit.saves, 1);
    EXPECT_EQ(g_toolkit.savedType, 1);
    EXPECT_EQ(g_toolkit.savedVersion, 0);
}

TEST_F(Driver, SaveReceivesTheVersionOfItsFileType) {
    Settings("[EXPORT]\r\nDWGVersion=2000\r\nDXFVersion=14\r\n");
    auto c = Make();
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n");
    c->SaveAsDWG(in, dir_.file("out.dwg"));
    EXPECT_EQ(g_toolkit.savedType, 0);
    EXPECT_EQ(g_toolkit.savedVersion, 2000);
    c->SaveAsDWG(in, dir_.file("out.dxf"));
    EXPECT_EQ(g_toolkit.savedType, 1);
    EXPECT_EQ(g_toolkit.savedVersion, 14);
}

TEST_F(Driver, InitialisationFailureEndsTheCallBeforeAnythingElse) {
    g_toolkit.failInit = true;
    auto c = Make();
    const std::string in = dir_.file("nosym.txt");
    WriteFile(in, "TALVERO\r\nPOINT,1,1,1,0\r\n");
    try {
        c->SaveAsDWG(in, out_);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Library);
    }
    ASSERT_EQ(prompter_->shown.size(), 1u);   // the symbol file is never looked for
    EXPECT_EQ(prompter_->shown[0].text, "Error in cdmain.init.  Application terminating.");
    EXPECT_EQ(prompter_->shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(g_toolkit.saves, 0);
}

TEST_F(Driver, SaveFailureIsReportedAndTheRunGoesOnWithoutTheSheetPass) {
    Settings("[GENERAL]\r\nDEBUG=ON\r\n");
    g_toolkit.failSave = true;
    auto c = Make();
    events_.clear();
    c->SaveAsDWG(Export("TALVERO\r\nSTARTTB,3,4\r\n"), out_);
    ASSERT_EQ(events_.size(), 5u);
    EXPECT_EQ(events_[3].rfind("message:Error in CdSaveFile: ", 0), 0u) << events_[3];
    EXPECT_EQ(events_[4].rfind("ask:", 0), 0u) << "no sheet pass on a file this call did not write";
    ASSERT_EQ(prompter_->shown.size(), 4u);   // INI=, the paths, the save error, the question
    EXPECT_EQ(prompter_->shown[2].icon, MessageIcon::Critical);
}

TEST_F(Driver, TrimHandOffErrorsAreSwallowed) {
    Settings("[GENERAL]\r\nDEBUG=ON\r\n");
    auto c = Make();
    const std::string in = Export("TALVERO\r\nSTARTTB,1,0\r\n");
    trimThrows_ = [] { throw ConversionError(ErrorCode::Toolkit, "sheet failed"); };
    EXPECT_NO_THROW(c->SaveAsDWG(in, out_));
    EXPECT_EQ(events_.back().rfind("ask:", 0), 0u);
    trimThrows_ = [] { throw 42; };
    EXPECT_NO_THROW(c->SaveAsDWG(in, out_));
    EXPECT_EQ(events_.back().rfind("ask:", 0), 0u);
    EXPECT_EQ(g_toolkit.saves, 2);
}

// ------------------------------------------------------------------ dispatch

TEST_F(Driver, EachKeywordReachesItsHandlerAndOnlyTheWholeFirstFieldMatches) {
    struct Case {
        const char* records;
        std::size_t faces, points, circles, texts, polylines;
        int trimCount;
    };
    const Case cases[] = {
        {"TRI,5,0,0,10,10,0,11,0,10,12\r\nPOINT,1,5,5,0\r\nCIRCLE,LAYER,1,5,5,0,2\r\n"
         "TEXT,NOTES,1,5,5,0,2.5,0,HELLO\r\nPOLY,KERB,3,0,0,1,1,2,2\r\nPOLY3D,EDGE,3,0,0,1,1,0,2,2,0\r\n",
         1, 1, 1, 1, 2, 0},
        {"TRIANGLE,5,0,0,10,10,0,11,0,10,12\r\nPOLYLINE,KERB,3,0,0,1,1,2,2\r\nsym,TREE,3,TREE,1,1,0,1,1,0\r\n"
         "point,1,5,5,0\r\nPOINT ,1,5,5,0\r\n TRI,5,0,0,10,10,0,11,0,10,12\r\n\r\nTRIMX,0,0,10,0,10,10,\r\n"
         "STARTTB2,3,4\r\nCIRCLES,1,1,1,1\r\nTALVERO\r\n",
         0, 0, 0, 0, 0, 0},
        // TRI never catches TRIM or TRIMEND.
        {"TRIM,0,0,100,0,100,100,0,100,\r\n", 0, 0, 0, 0, 0, 4},
        {"TRIM,0,0,100,0,100,100,0,100,\r\nTRIMEND\r\n", 0, 0, 0, 0, 0, 0},
    };
    for (const auto& k : cases) {
        auto c = Make();
        c->SaveAsDWG(Export(std::string("TALVERO\r\n") + k.records), out_);
        using cad::EntityType;
        EXPECT_EQ(std::vector<std::size_t>({Count(EntityType::Face3D), Count(EntityType::Point), Count(EntityType::Circle),
                                            Count(EntityType::Text), Count(EntityType::Polyline)}),
                  std::vector<std::size_t>({k.faces, k.points, k.circles, k.texts, k.polylines}))
            << k.records;
        if (k.faces + k.points + k.circles + k.texts + k.polylines == 0) {
            EXPECT_TRUE(modelSpace_.empty());
        }
        EXPECT_EQ(c->run().TrimPolygon.count, k.trimCount);
        EXPECT_FALSE(c->run().TitleBlockMode);
    }
    EXPECT_EQ(std::count_if(events_.begin(), events_.end(), [](auto& e) { return e.rfind("trim", 0) == 0; }), 0);
}

TEST_F(Driver, TheLastStartTbDecidesTheTrimHandOff) {
    auto c = Make();
    c->SaveAsDWG(Export("TALVERO\r\nSTARTTB,500,0.25\r\nPOINT,1,1,1,0\r\nSTARTTB,1250,-1.5\r\n"), out_);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "trim 1250 -1.5"), 1);
    EXPECT_EQ(std::count_if(events_.begin(), events_.end(), [](auto& e) { return e.rfind("trim", 0) == 0; }), 1);
    EXPECT_TRUE(c->run().TitleBlockMode);
    EXPECT_EQ(c->run().BoundaryPolygon.count, 0);
}

TEST_F(Driver, HeaderlessExportsFirstLineIsARecordEvenWhenItIsTheOnlyLine) {
    auto c = Make();
    c->SaveAsDWG(Export("STARTTB,5,1\r\nPOINT,1,1,1,0\r\n"), out_);
    EXPECT_FALSE(c->run().HasHeader);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "trim 5 1"), 1);
    EXPECT_EQ(Count(cad::EntityType::Point), 1u);
    for (const char* text : {"TALVERO\r\nPOINT,1,1,1,0\r\n", "POINT,1,1,1,0"}) {
        c->SaveAsDWG(Export(text), out_);
        EXPECT_EQ(c->run().HasHeader, text[0] == 'T');
        EXPECT_EQ(Count(cad::EntityType::Point), 1u) << text;
    }
    EXPECT_EQ(g_toolkit.saves, 3);
}

// ------------------------------------------------------------------ construction

TEST_F(Driver, ByEntityOnlyForExactlyOneLayerStyleIsTheRoundedNumber) {
    const std::tuple<const char*, bool, int> cases[] = {
        {"1", true, 1}, {" 1 ", true, 1}, {"\"1 \"", false, 1}, {"yes", false, 0}, {"", false, 0}, {"01", false, 1},
        {"2.5", false, 2}, {"3.5", false, 4}, {"7abc", false, 7}, {"-1", false, -1}};
    for (const auto& [value, byEntity, layerStyle] : cases) {
        Settings(std::string("[EXPORT]\r\nBYENT=") + value + "\r\nLAYERSTYLE=" + value + "\r\n");
        auto c = Make();
        EXPECT_EQ(c->run().ByEntity, byEntity) << value;
        EXPECT_EQ(c->run().LayerStyle, layerStyle) << value;
    }
}

} // namespace
} // namespace ostrel
