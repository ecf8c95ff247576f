// The command-line tool (run as a program), its terminal prompter and
// progress bar, and the C interface.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "ostrel/ostrel.h"
#include "platform/terminal_progress.h"
#include "platform/terminal_prompter.h"
#include "support/test_support.h"
#include "tools/convert/progress_bar.h"

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

// The program's line: the export read, then the save as a phase of its own,
// below 100% until the file is done (its size is only estimated).
TEST(ExportProgressBar, ShowsTheSaveAsAPhaseOfItsOwnBelowFullUntilDone) {
    using namespace std::chrono_literals;
    CapturedStream out;
    cli::ProgressBar bar(out.get(), true, 80, 1, 1000);
    std::this_thread::sleep_for(550ms);   // nothing is drawn in a run's first half second
    bar.Read(1000);
    std::this_thread::sleep_for(110ms);
    bar.Written(std::int64_t{45} << 20, std::int64_t{100} << 20);
    std::this_thread::sleep_for(110ms);
    bar.Written(std::int64_t{150} << 20, std::int64_t{100} << 20);
    bar.Clear();
    const std::string text = out.text();
    EXPECT_NE(text.find("\rexports 0/1 [" + std::string(40, '#') + "] 100% of 1 KB"), std::string::npos) << text;
    EXPECT_NE(text.find("\rwriting [" + std::string(18, '#') + std::string(22, '.') + "] 45% (45 MB)"), std::string::npos)
        << text;
    EXPECT_NE(text.find("] 99% (150 MB)"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.rfind('\r', text.size() - 2)), "\r" + std::string(79, ' ') + "\r");
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

// Usage errors name the mistake (with the nearest right word) and convert
// nothing: an output that is an export or not a drawing's name, a folder
// that would make a .dxf drawing DWG, a report that cannot be written.
TEST_F(Cli, UsageErrorsExitWithTwoSayWhatIsWrongAndWriteNothing) {
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), other = Export("TALVERO\r\n", "other.txt");
    std::filesystem::create_directories(dir_.file("jobs.dwg-archive"));
    const std::string q = "'" + in + "' ", o = "'" + out_ + "' ";
    const std::pair<std::string, std::string> usages[] = {
        {"", ""},
        {"convert", ""},
        {"convert " + q, "IN OUT"},
        {"conver a b", "error: unknown command 'conver'; did you mean 'convert'?\n"},
        {"--versoin", "error: unknown option '--versoin'; did you mean '--version'?\n"},
        {"convert a b.dxf --reprot=r.json", "unknown option '--reprot'; did you mean '--report'?"},
        {"frobnicate a b", "unknown command 'frobnicate'\n"},
        {"convert " + q + "-o d -j abc", "wants a whole number from 1 to 256, not 'abc'"},
        {"convert " + q + "-o d -j 257", "wants a whole number from 1 to 256, not '257'"},
        {"convert " + q + q, "it is the export being converted; to convert many exports use -o DIR"},
        {"convert " + q + "'" + other + "'", "ends in .dxf or .dwg; to convert many exports use -o DIR"},
        {"convert " + q + "'" + dir_.file("jobs.dwg-archive/site.DXF") + "'", "\"jobs.dwg-archive\" in its path holds"},
        {"convert " + q + "-o '" + dir_.file("x.DWG-out") + "'", "\"x.DWG-out\" in its path holds \".dwg\""},
        {"convert " + q + o + "--report '" + dir_.file("no/r.json") + "'", "cannot write the report " + dir_.file("no/r.json")},
        {"convert " + q + o + "--user-settings '" + dir_.file("none.ini") + "'", "none.ini"},
        {"convert " + q + o + "--user-settings", "--user-settings"},
    };
    for (const auto& [args, words] : usages) {
        const auto r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_NE(r.err.find(words), std::string::npos) << args << "\n" << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out_));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("x.DWG-out")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("jobs.dwg-archive/site.DXF")));
    EXPECT_EQ(ReadFile(in) + ReadFile(other), "TALVERO\r\nPOINT,1,1,1,0\r\nTALVERO\r\n");
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

// A main settings file named by a relative path lies beside the user
// settings file, from any folder; settings files named but missing, and a
// registry store that cannot be written, are said on stderr and in the report.
TEST_F(Cli, SettingsFoundBesideTheUserFileAndMissingOnesSaid) {
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), report = dir_.file("r.json");
    WriteFile(mainIni_, "[EXPORT]\r\nDXFVersion=12\r\n");
    WriteFile(userIni_, "[OPTION]\r\ntxtDWGoverride=main.ini\r\n");
    const auto r = RunCommand("cd / && OSTREL_REGISTRY='" + registry_ + "' '" + binary_ + "' " + Convert(in, out_));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(ReadFile(out_).find("AC1009"), std::string::npos) << "the main settings file was read";
    WriteFile(userIni_, "[OPTION]\r\ntxtDWGoverride=gone.ini\r\n");
    WriteFile(registry_, "[Software\\kestrelworks\\talvero]\r\nuserini=" + dir_.file("gone-user.ini") + "\r\n");
    const std::string mainGone = "main settings file " + dir_.file("gone.ini") + " not found; converting with defaults";
    const std::string userGone = "user settings file " + dir_.file("gone-user.ini") + " not found; converting with defaults";
    const std::pair<std::string, std::string> cases[] = {{Convert(in, out_), mainGone},
                                                         {"convert '" + in + "' '" + out_ + "'", userGone}};
    for (const auto& [args, warning] : cases) {
        const auto missing = Run(args + " --report '" + report + "'");
        EXPECT_EQ(missing.exitCode, 3) << missing.err;
        EXPECT_EQ(missing.err.rfind("warning: " + warning + "\n", 0), 0u) << missing.err;
        EXPECT_NE(ReadFile(report).find("\"messages\": [\"" + warning + "\""), std::string::npos) << ReadFile(report);
    }
    // The registry store's message, then a note naming the store and why.
    const auto store = RunCommand("OSTREL_REGISTRY=/dev/null/registry '" + binary_ + "' convert '" + in + "' '" + out_ +
                                  "' --report '" + report + "' </dev/null");
    EXPECT_EQ(store.exitCode, 3);
    const std::string note = "the registry store /dev/null/registry could not be written: its folder /dev/null cannot be made";
    EXPECT_NE(store.err.find(".cRegistryFailed to create registry Key: 'Software\\\nnote: " + note), std::string::npos)
        << store.err;
    EXPECT_NE(ReadFile(report).find("Key: 'Software\\\\\", \"" + note), std::string::npos) << ReadFile(report);
}

// `ostrel init` on a machine with nothing configured: the sample then
// converts cleanly (its polylines' style line 1 named from styles/style.lin);
// files that exist are kept unless --force.
TEST_F(Cli, InitWritesSettingsTheSampleConvertsWithAndKeepsWhatExists) {
    const std::string env = "HOME='" + dir_.file("home") + "' XDG_CONFIG_HOME= OSTREL_REGISTRY= '" + binary_ + "' ";
    const std::string folder = dir_.file("home/.config/ostrel"), user = folder + "/user.ini";
    const std::string sample = "convert '" + test::SourcePath("examples/site.txt") + "' '" + out_ + "' </dev/null";
    const auto unconfigured = RunCommand(env + sample);
    EXPECT_EQ(unconfigured.exitCode, 3);
    EXPECT_NE(unconfigured.err.find("converting with defaults. `ostrel init` writes a set"), std::string::npos);
    const auto init = RunCommand(env + "init </dev/null");
    ASSERT_EQ(init.exitCode, 0) << init.err;
    EXPECT_NE(init.out.find("recorded " + user + " as userini in " + folder + "/registry"), std::string::npos) << init.out;
    const std::string settings = ReadFile(folder + "/settings.ini");
    for (const char* key : {"DEBUG=OFF", "BYENT=0", "LAYERSTYLE=0", "DWGVersion=0", "DXFVersion=0", "LWPOLYLINE=0",
                            "[LAYERS]", "[COLORTABLE]", "MajorContour"})
        EXPECT_NE(settings.find(key), std::string::npos) << key;
    const auto configured = RunCommand(env + sample);
    EXPECT_EQ(configured.exitCode, 0) << configured.err;
    EXPECT_EQ(configured.err + configured.out, "");
    EXPECT_NE(ReadFile(out_).find("\nFENCE\n"), std::string::npos) << "the linetype named by style line 1";
    WriteFile(user, "mine");
    const auto again = RunCommand(env + "init </dev/null");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find(user + " exists; ostrel init --force replaces it"), std::string::npos) << again.err;
    EXPECT_EQ(ReadFile(user), "mine");
    EXPECT_EQ(RunCommand(env + "init --force </dev/null").exitCode, 0);
    EXPECT_NE(ReadFile(user).find("txtDWGoverride=" + folder + "/settings.ini"), std::string::npos);
    const std::string registry = ReadFile(folder + "/registry");
    const auto other = RunCommand(env + "init '" + dir_.file("other") + "' --no-register </dev/null");
    EXPECT_EQ(other.exitCode, 0);
    EXPECT_NE(other.out.find("--user-settings " + dir_.file("other/user.ini")), std::string::npos) << other.out;
    EXPECT_EQ(ReadFile(folder + "/registry"), registry);
}

// An interrupt during a save removes its temporary file and writes no
// drawing; a later save removes the temporaries of runs that were killed,
// never those of a process still running.
TEST_F(Cli, InterruptedSaveLeavesNothingAndLeftTemporariesGo) {
    std::string text = "TALVERO\r\n";
    while (text.size() < 6'000'000) text += "POINT,1,1000.000,2000.000,50.000\r\n";
    const std::string in = Export(text);
    for (const auto& [signal, status] : {std::pair{"INT", 130}, std::pair{"TERM", 143}}) {
        const auto r = RunCommand("cd '" + dir_.path().string() + "' && { OSTREL_REGISTRY='" + registry_ + "' '" +
                                  binary_ + "' " + Convert(in, out_) + " </dev/null & pid=$!; "
                                  "until { set -- out.dxf.~*; [ -e \"$1\" ]; } || ! kill -0 $pid 2>/dev/null; do :; done; "
                                  "kill -" + signal + " $pid; wait $pid; echo $?; ls; }");
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), std::to_string(status)) << r.out << r.err;
        EXPECT_EQ(r.out.find("out.dxf"), std::string::npos) << r.out;
    }
    const std::string dead = out_ + ".~999999999-1-0-0.tmp", live = out_ + ".~" + std::to_string(::getpid()) + "-1-0-0.tmp";
    WriteFile(dead, "left by a killed run");
    WriteFile(live, "a save under way");
    EXPECT_EQ(Run(Convert(Export("TALVERO\r\nPOINT,1,1,1,0\r\n"), out_)).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(live));
}

// With SOURCE_DATE_EPOCH the drawing's time stamps come from it: the same
// export gives the same DWG bytes, in the container of every kind.
TEST_F(Cli, SourceDateEpochMakesDwgBytesRepeatable) {
    const std::string in = Export("TALVERO\r\nPOINT,1,1,1,0\r\nCIRCLE,C,1,5,5,0,2\r\n");
    for (const char* release : {"2000", "2004", "2018"}) {
        WriteFile(mainIni_, std::string("[EXPORT]\r\nDWGVersion=") + release + "\r\n");
        std::string bytes[3];
        for (int i = 0; i < 3; ++i) {
            const std::string out = dir_.file("r" + std::to_string(i) + ".dwg");
            RunCommand(std::string("SOURCE_DATE_EPOCH=") + (i < 2 ? "1700000000" : "1800000000") + " OSTREL_REGISTRY='" +
                       registry_ + "' '" + binary_ + "' " + Convert(in, out) + " </dev/null");
            bytes[i] = ReadFile(out);
        }
        EXPECT_GT(bytes[0].size(), 1000u) << release;
        EXPECT_EQ(bytes[0], bytes[1]) << release;
        EXPECT_NE(bytes[0], bytes[2]) << release << ": the stamp is the drawing's";
    }
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

// Exit 1: nothing written, whatever the reason (an earlier output is left as
// it was); 3: written, with messages. The report gives each its status and why.
TEST_F(Cli, NothingWrittenExitsOneWrittenWithMessagesThree) {
    struct Case {
        const char* settings;   // replaces the main settings file when given
        const char* text;       // the export; nullptr: none, "?": no symbol file
        const char* out;
        int exitCode;
        const char* err;
        const char* reportStatus;
    };
    const Case cases[] = {
        {nullptr, nullptr, "out.dxf", 1, "error: Error Opening {in} / File not found\nerror: unreadable: the export {in} does not exist\n", "\"status\": \"failed\",\n      \"reason\": \"unreadable: "},
        {nullptr, "?", "out.dxf", 3, "error: Error Opening {dir}/job.SYM", "\"status\": \"messages\",\n      \"reason\": null"},
        {nullptr, "", "out.dxf", 1, "error: empty export: {in} holds nothing to convert\n", "\"reason\": \"empty export: "},
        {nullptr, "TALVERO", "out.dxf", 1, "error: Input past end of file (line 1 of ", "\"error\": \"Input past end of file"},
        {"[EXPORT]\r\nDWGVersion=1234\r\n", "TALVERO\r\nPOINT,1,1,1,0\r\n", "out.dwg", 1,
         "error: nothing written: Error in CdSaveFile: ", "\"messages\": [\"Error in CdSaveFile: "},
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
            for (auto at = err.find(key); at != std::string::npos; at = err.find(key))
                err.replace(at, std::string(key).size(), value);
        const auto r = Run(Convert(in, out) + " --report '" + dir_.file("r.json") + "'");
        EXPECT_EQ(r.exitCode, c.exitCode) << c.err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::filesystem::exists(out), c.exitCode != 1) << c.err;
        EXPECT_NE(ReadFile(dir_.file("r.json")).find(c.reportStatus), std::string::npos) << ReadFile(dir_.file("r.json"));
        std::filesystem::remove(out);
    }
    WriteFile(out_, "old drawing");
    EXPECT_EQ(Run(Convert(Export(""), out_)).exitCode, 1);
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
