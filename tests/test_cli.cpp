// The command-line tool (run as a program), its terminal prompter and
// progress bar, and the C interface.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "ostrel/ostrel.h"
#include "platform/terminal_progress.h"
#include "platform/terminal_prompter.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using platform::TerminalProgress;
using platform::TerminalPrompter;
using test::CommandResult;
using test::ReadFile;
using test::RunCommand;
using test::TempDir;
using test::WriteFile;

// Everything written to a temporary stream.
class CapturedStream {
public:
    CapturedStream() : f_(std::tmpfile()) {}
    ~CapturedStream() { std::fclose(f_); }
    std::FILE* get() const { return f_; }
    std::string text() const {
        std::fflush(f_);
        std::rewind(f_);
        std::string out;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f_)) > 0) out.append(buf, n);
        return out;
    }

private:
    std::FILE* f_;
};

// ------------------------------------------------------------------ prompter

TEST(TerminalPrompterText, EachMessageIsOneLineWithItsKindAndErrorsAreRemembered) {
    struct Case {
        const char* text;
        MessageIcon icon;
        const char* line;
        bool error;
    } cases[] = {
        {"Error Opening /a.SYM\r\nFile not found", MessageIcon::None,
         "error: Error Opening /a.SYM / File not found\n", true},
        {"Error in cdmain.init.\rApplication\nterminating.", MessageIcon::Critical,
         "error: Error in cdmain.init. / Application / terminating.\n", true},
        {"Failed to add layer.", MessageIcon::Exclamation, "warning: Failed to add layer.\n", true},
        {"\r\nINI=/x.ini\r\n", MessageIcon::None, "message: INI=/x.ini\n", false},   // lead and trail go
        {"error opening lower case is not the message", MessageIcon::None,
         "message: error opening lower case is not the message\n", false},
        {"", MessageIcon::None, "message: \n", false},
    };
    for (const auto& c : cases) {
        CapturedStream out;
        TerminalPrompter p(out.get(), nullptr);
        p.ShowMessage(c.text, c.icon);
        EXPECT_EQ(p.errorShown(), c.error) << c.text;
        EXPECT_EQ(out.text(), c.line);
    }
}

TEST(TerminalPrompterQuestions, AnswersFromTheTerminalOrYesWithoutOne) {
    std::vector<std::string> prompts;
    std::vector<std::optional<std::string>> replies;
    auto asker = [&](const std::string& prompt) -> std::optional<std::string> {
        prompts.push_back(prompt);
        auto r = replies.front();
        replies.erase(replies.begin());
        return r;
    };
    CapturedStream silent;
    TerminalPrompter noTerminal(silent.get(), nullptr);
    EXPECT_TRUE(noTerminal.AskYesNo("x.dxf Completed!\r\n\r\nContinue With Progress Messages?"));
    EXPECT_EQ(silent.text(), "question: x.dxf Completed! / Continue With Progress Messages? [answered Yes]\n");
    EXPECT_FALSE(noTerminal.errorShown());
    CapturedStream out;
    TerminalPrompter p(out.get(), asker);
    replies = {std::string("n")};
    EXPECT_FALSE(p.AskYesNo("Continue?"));
    EXPECT_EQ(prompts.back(), "question: Continue? [Y/n] ");
    replies = {std::string("NO ")};
    EXPECT_FALSE(p.AskYesNo("Continue?"));
    replies = {std::string("yes")};
    EXPECT_TRUE(p.AskYesNo("Continue?"));
    replies = {std::string("")};
    EXPECT_TRUE(p.AskYesNo("Continue?"));
    // Anything else is asked again.
    prompts.clear();
    replies = {std::string("maybe"), std::string("n")};
    EXPECT_FALSE(p.AskYesNo("Continue?"));
    EXPECT_EQ(prompts.size(), 2u);
    // A terminal that went away answers Yes.
    replies = {std::nullopt};
    EXPECT_TRUE(p.AskYesNo("Continue?"));
}

// ------------------------------------------------------------------ progress

TEST(TerminalProgressBar, RedrawsOnlyWhenThePercentageChangesAndNothingWithoutATerminal) {
    for (bool terminal : {false, true}) {
        CapturedStream out;
        TerminalProgress bar(out.get(), terminal, 80);
        bar.Start(20000);
        for (int i = 0; i < 20005; ++i) bar.Step();
        const std::string drawn = out.text();
        bar.Finish();
        if (!terminal) {
            EXPECT_EQ(out.text(), "");
            continue;
        }
        EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\r'), 101);
        for (const char* shown : {"] 0%", "] 50%", "] 100%"}) EXPECT_NE(drawn.find(shown), std::string::npos) << shown;
        EXPECT_EQ(drawn.find("101%"), std::string::npos);
        const std::string finished = out.text();
        EXPECT_EQ(finished.back(), '\r');
        EXPECT_EQ(finished.find('\n'), std::string::npos);
    }
    CapturedStream out;
    TerminalProgress empty(out.get(), true, 80);
    empty.Start(0);
    empty.Step();
    EXPECT_NE(out.text().find("] 0%"), std::string::npos) << "an empty job stays at zero";
}

// ------------------------------------------------------------------ the program

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("OSTREL_REGISTRY", registry_.c_str(), 1);
        WriteFile(userIni_, "[OPTION]\r\ntxtDWGoverride=" + mainIni_ + "\r\n");
        WriteFile(mainIni_, "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nDXFVersion=2000\r\nDWGVersion=2000\r\n");
    }

    CommandResult Run(const std::string& args) {
        return RunCommand("OSTREL_REGISTRY='" + registry_ + "' '" + binary_ + "' " + args + " </dev/null");
    }
    std::string Export(const std::string& text, const std::string& name = "job.txt") {
        WriteFile(dir_.file(name), text);
        WriteFile(dir_.file(name.substr(0, name.rfind('.')) + ".SYM"), "");
        return dir_.file(name);
    }
    std::string Convert(const std::string& in, const std::string& out) {
        return "convert '" + in + "' '" + out + "' --user-settings '" + userIni_ + "'";
    }

    TempDir dir_;
    std::string binary_ = std::string(OSTREL_BINARY_DIR) + "/ostrel";
    std::string registry_ = dir_.file("registry");
    std::string userIni_ = dir_.file("user.ini");
    std::string mainIni_ = dir_.file("main.ini");
    std::string out_ = dir_.file("out.dxf");
};

TEST_F(Cli, HelpExplainsWhereSettingsComeFromVersionIsTheLibrarys) {
    ASSERT_TRUE(std::filesystem::exists(binary_)) << "build the ostrel_cli target first";
    const auto r = Run("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* text : {"convert", "userini", "Software\\kestrelworks\\talvero", "Software\\kestrelworks\\office",
                             "OSTREL_REGISTRY", "XDG_CONFIG_HOME", "~/.config/ostrel/registry", "txtDWGoverride",
                             "GENERAL", "EXPORT", "LAYERS", "COLORTABLE", "styles/style.lin", "--user-settings"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
    EXPECT_NE(r.out.find(registry_), std::string::npos) << "the registry file in use is named";
    const auto sub = Run("convert --help");
    EXPECT_EQ(sub.exitCode, 0);
    EXPECT_NE(sub.out.find("--user-settings"), std::string::npos);
    const auto version = Run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("ostrel ") + ostrel_version() + "\n");
    EXPECT_STRNE(ostrel_version(), "");
    EXPECT_STRNE(ostrel_version(), "0.0.0");
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n");
    const std::vector<std::string> usages = {
        "",
        "convert",
        "convert '" + in + "'",
        "convert a b c",
        "frobnicate a b",
        "--bogus convert a b",
        "convert '" + in + "' '" + out_ + "' --user-settings '" + dir_.file("none.ini") + "'",
        "convert '" + in + "' '" + out_ + "' --user-settings",
    };
    for (const std::string& args : usages) {
        const auto r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(Cli, GoodConversionExitsWithZero) {
    const auto r = Run(Convert(Export("TALVERO\r\nPOINT,1,1,1,0\r\nTRI,5,0,0,10,10,0,11,0,10,12\r\n"), out_));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_NE(ReadFile(out_).find("3DFACE"), std::string::npos);
    // The file the program wrote reads back cleanly in an outside reader.
    const auto check = test::RunChecker("check_dxf.py", "'" + out_ + "'");
    EXPECT_EQ(check.exitCode, 0) << check.err;
}

TEST_F(Cli, UserSettingsFromARelativePathInTheCurrentFolderOrFromTheRegistry) {
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n");
    WriteFile(mainIni_, "[GENERAL]\r\nDEBUG=ON\r\n");
    const auto r = RunCommand("cd '" + dir_.path().string() + "' && OSTREL_REGISTRY='" + registry_ + "' '" + binary_ +
                              "' convert job.txt out.dxf --user-settings user.ini </dev/null");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("message: INI=" + mainIni_ + "\n"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::exists(out_));
    // Without --user-settings the registry names the file.
    WriteFile(registry_, "[Software\\kestrelworks\\talvero]\r\nuserini=" + userIni_ + "\r\n");
    const auto fromRegistry = Run("convert '" + in + "' '" + out_ + "'");
    EXPECT_EQ(fromRegistry.exitCode, 0) << fromRegistry.err;
    EXPECT_EQ(fromRegistry.err.rfind("message: INI=" + mainIni_ + "\n", 0), 0u) << fromRegistry.err;
}

TEST_F(Cli, DebugMessagesAndQuestionsAreOneLineEachAndAnsweredYes) {
    WriteFile(mainIni_, "[GENERAL]\r\nDEBUG=ON\r\n");
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n");
    const auto r = Run(Convert(in, out_));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "message: INI=" + mainIni_ + "\n" + "message: " + in + " / " + out_ + "\n" + "question: " +
                         out_ + " Completed! / Continue With Progress Messages? [answered Yes]\n");
    EXPECT_EQ(ReadFile(mainIni_), "[GENERAL]\r\nDEBUG=ON\r\n");
}

// Exit 1: the conversion failed; 3: it ended without an error but reported a
// problem or wrote nothing (an earlier output is left as it was).
TEST_F(Cli, FailuresAndProblemsExitWithOneOrThree) {
    struct Case {
        const char* settings;   // replaces the main settings file when given
        const char* text;       // the export; nullptr: none, "?": no symbol file
        const char* out;
        int exitCode;
        const char* err;
        bool written;
    };
    const Case cases[] = {
        {nullptr, nullptr, "out.dxf", 3, "error: Error Opening {in} / File not found\n", false},
        {nullptr, "?", "out.dxf", 3, "error: Error Opening {dir}/job.SYM", true},
        {nullptr, "", "out.dxf", 3, "nothing was written", false},
        {nullptr, "TALVERO", "out.dxf", 1, "error: Input past end of file (line 1 of ", false},
        {"[EXPORT]\r\nDWGVersion=1234\r\n", "TALVERO\r\nPOINT,1,1,1,0\r\n", "out.dwg", 3, "error: Error in CdSaveFile: ", false},
    };
    for (const auto& c : cases) {
        if (c.settings) WriteFile(mainIni_, c.settings);
        std::string in = dir_.file("job.txt");
        std::filesystem::remove(in);
        std::filesystem::remove(dir_.file("job.SYM"));
        if (c.text && std::string(c.text) == "?") WriteFile(in, "TALVERO\r\nPOINT,1,1,1,0\r\n");
        else if (c.text) in = Export(c.text);
        else WriteFile(dir_.file("job.SYM"), "");
        const auto out = dir_.file(c.out);
        std::string err = c.err;
        for (auto [key, value] : {std::pair{"{in}", in}, std::pair{"{dir}", dir_.path().string()}})
            if (auto at = err.find(key); at != std::string::npos) err.replace(at, std::string(key).size(), value);
        const auto r = Run(Convert(in, out));
        EXPECT_EQ(r.exitCode, c.exitCode) << c.err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(std::filesystem::exists(out), c.written) << c.err;
        std::filesystem::remove(out);
    }
    // Nothing written: an output that existed before stays as it was.
    WriteFile(out_, "old drawing");
    EXPECT_EQ(Run(Convert(Export(""), out_)).exitCode, 3);
    EXPECT_EQ(ReadFile(out_), "old drawing");
}

// ------------------------------------------------------------------ C interface

class CInterface : public Cli {};

// Success and an ended call (a missing export's message is discarded) give
// OK and no text; a failure its text, cut to the buffer; null paths fail.
TEST_F(CInterface, StatusAndErrorTextCutToTheBufferWithoutCrashingOnNulls) {
    const std::string good = Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), bad = Export("TALVERO", "bad.txt");
    const std::string absent = dir_.file("absent.txt"), absentOut = dir_.file("absent.dxf");
    char text[64] = "unchanged";
    EXPECT_EQ(ostrel_convert(good.c_str(), out_.c_str(), userIni_.c_str(), text, sizeof text), OSTREL_OK);
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(std::filesystem::exists(out_));
    EXPECT_EQ(ostrel_convert(absent.c_str(), absentOut.c_str(), userIni_.c_str(), text, sizeof text), OSTREL_OK);
    EXPECT_FALSE(std::filesystem::exists(absentOut));
    EXPECT_EQ(ostrel_convert(bad.c_str(), out_.c_str(), userIni_.c_str(), text, sizeof text), OSTREL_FAILED);
    EXPECT_EQ(std::string(text).rfind("Input past end of file", 0), 0u) << text;
    char small[6];
    EXPECT_EQ(ostrel_convert(bad.c_str(), out_.c_str(), userIni_.c_str(), small, sizeof small), OSTREL_FAILED);
    EXPECT_STREQ(small, "Input");
    EXPECT_EQ(ostrel_convert(bad.c_str(), out_.c_str(), userIni_.c_str(), nullptr, 0), OSTREL_FAILED);
    EXPECT_EQ(ostrel_convert(nullptr, out_.c_str(), nullptr, text, sizeof text), OSTREL_FAILED);
    EXPECT_NE(std::string(text).find("NULL"), std::string::npos);
    EXPECT_EQ(ostrel_convert("in", nullptr, nullptr, text, sizeof text), OSTREL_FAILED);
}

} // namespace
} // namespace ostrel
