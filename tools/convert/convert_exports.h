#pragma once
// `ostrel convert`: one export into one drawing, or many exports into a
// folder, several at a time, with a progress line, a summary and a report.
#include <string>
#include <vector>

namespace ostrel::cli {

// 0 written and clean; 1 nothing written (any reason); 2 usage; 3 written,
// with messages; 130 and 143 interrupted (SIGINT, SIGTERM).
enum ExitStatus { kWritten = 0, kFailed = 1, kUsage = 2, kProblem = 3 };

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output;        // single form: the drawing; batch form: the folder
    bool batch = false;        // -o DIR was given
    std::string format = "dxf";
    int jobs = 1;
    std::string userSettings;  // absolute, or empty
    std::string reportPath;    // empty: no report
    bool quiet = false;        // batch form: no summary on stdout
    std::vector<std::string> settingsWarnings;   // filled by ConvertExports
};

// Single form: messages on stderr as they come. Batch form: messages and
// failures on stderr, a summary on stdout at the end. Returns the exit
// status (the worst of the exports': failed, then problem, then written).
int ConvertExports(ConvertOptions options);

// The drawing an export becomes in folder dir: its base name with the
// format's extension.
std::string OutputPathFor(const std::string& input, const std::string& dir, const std::string& format);

} // namespace ostrel::cli
