#pragma once
// Helpers shared by the tests: temporary folders, files, running programs.
#include <filesystem>
#include <string>
#include <vector>

#include "ostrel/host.h"

namespace ostrel::test {

// A fresh folder under the build tree, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

struct CommandResult {
    int exitCode = -1;
    std::string out;   // stdout
    std::string err;   // stderr
};
// Runs a shell command, capturing stdout and stderr.
CommandResult RunCommand(const std::string& command);

// Path of a file in the source tree.
std::string SourcePath(const std::string& relative);
// A folder of other programs' drawings ("real-dxf", "real-dwg"): $OSTREL_SHARED_CASES/NAME, else
// ../shared/cases/NAME beside the source tree. Tests that read one skip when it is absent.
std::filesystem::path SharedCases(const std::string& name);

// Runs a script of tests/checkers/ with the system Python (the one with ezdxf).
CommandResult RunChecker(const std::string& script, const std::string& args);

// Runs a node script of tests/checkers/dwg/ with the modules that
// scripts/install-dwg-checker put in .checkers/dwg (or $OSTREL_DWG_CHECKER_DIR).
CommandResult RunDwgChecker(const std::string& script, const std::string& args);
// True when node runs and the DWG checker's folder holds this file.
bool DwgCheckerHas(const std::string& relative);
// True when the outside DWG readers (libredwg-web, libdxfrw-web) can run:
// tests that need them skip otherwise.
bool DwgReadersInstalled();
inline constexpr const char* kNoDwgReaders = "DWG checker not installed (scripts/install-dwg-checker)";

// Lines of text split at a separator: "a|b\nc|d" gives {{"a", "b"}, {"c", "d"}}.
std::vector<std::vector<std::string>> SplitRows(const std::string& text, char separator = '|');

// A prompter that records every message and answers from a script.
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        MessageIcon icon;
        bool question;
    };
    std::vector<Shown> shown;
    std::vector<bool> answers;   // consumed in order; Yes when exhausted
    void ShowMessage(const std::string& text, MessageIcon icon) override { shown.push_back({text, icon, false}); }
    bool AskYesNo(const std::string& text) override {
        shown.push_back({text, MessageIcon::None, true});
        if (answers.empty()) return true;
        bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

} // namespace ostrel::test
