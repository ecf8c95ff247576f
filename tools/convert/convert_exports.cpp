// Conversions of the command-line tool. Each conversion has its own clsDWG
// instance; a batch runs them on up to -j threads, results kept in input
// order so that the summary and the report do not depend on the threads.
// A conversion that wrote nothing has failed, whatever the reason; one that
// wrote its drawing but showed an error or a warning ends with messages.
#include "tools/convert/convert_exports.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

#include "ostrel/clsDWG.h"
#include "platform/file_stamp.h"
#include "platform/system_path.h"
#include "platform/terminal.h"
#include "platform/terminal_progress.h"
#include "platform/terminal_prompter.h"
#include "tools/convert/progress_bar.h"
#include "tools/convert/interrupt_cleanup.h"
#include "tools/convert/report_json.h"
#include "tools/convert/settings_warnings.h"
#include "tools/convert/shown_messages.h"

namespace ostrel::cli {

namespace fs = std::filesystem;
using platform::TerminalPrompter;

namespace {

struct Outcome {
    int status = kWritten;
    std::string reason;                 // failed: why nothing was written
    std::vector<std::string> messages;  // "kind: text", in order
    ExportReport report;
};

} // namespace

namespace {

int Severity(int status) { return status == kFailed ? 2 : status == kProblem ? 1 : 0; }

const char* StatusWord(int status) {
    return status == kFailed ? "failed" : status == kProblem ? "messages" : "converted";
}

std::int64_t SizeOf(const std::string& path) {
    std::error_code ec;
    const auto n = fs::file_size(platform::SystemPath(path), ec);
    return ec ? 0 : static_cast<std::int64_t>(n);
}

// About how large the drawing will be, for the save's progress: the older
// drawing's size when there is one, else what an export of this size
// usually gives (generated surveys: DXF 2.8 to 3.4 times the export, R2000
// DWG 1.1 times).
std::int64_t ExpectedDrawingSize(const std::string& in, const std::string& out) {
    if (const std::int64_t older = SizeOf(out); older > 0) return older;
    std::string upper = out;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::int64_t exported = SizeOf(in);
    return upper.find(".DWG") != std::string::npos ? exported * 11 / 10 : exported * 3;
}

// Why a conversion that raised no error wrote nothing, as far as the
// program can tell: the export itself, else the last error shown.
std::string WhyNothingWritten(const std::string& in, const std::string& out, const std::vector<std::string>& lines) {
    std::error_code ec;
    if (!fs::exists(platform::SystemPath(in), ec)) return "unreadable: the export " + in + " does not exist";
    if (fs::is_directory(platform::SystemPath(in), ec)) return "unreadable: the export " + in + " is a folder";
    if (!std::ifstream(in, std::ios::binary)) return "unreadable: the export " + in + " cannot be opened";
    if (SizeOf(in) == 0) return "empty export: " + in + " holds nothing to convert";
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->rfind("error: ", 0) == 0) return "nothing written: " + line->substr(7);
    return "nothing written to " + out;
}

// One conversion. show: the prompter that shows its messages as they come
// (single form), or none (batch form: kept for the end).
Outcome ConvertOne(const std::string& in, const std::string& out, const ConvertOptions& options,
                   std::shared_ptr<Prompter> show, std::shared_ptr<ExportProgress> progress) {
    Outcome o;
    auto shown = std::make_shared<ShownMessages>(show, show ? stderr : nullptr);
    for (const auto& warning : options.settingsWarnings) {
        if (show) std::fprintf(stderr, "warning: %s\n", warning.c_str());
        shown->lines.push_back("warning: " + warning);
        shown->texts.push_back(warning);
        shown->problem = true;
    }
    auto report = options.reportPath.empty() ? nullptr : std::make_shared<ConversionReport>();
    const auto before = platform::StampOf(out);
    std::string error;
    try {
        HostOptions host{shown, progress, options.userSettings};
        host.report = report;
        clsDWG conversion(std::move(host));
        conversion.SaveAsDWG(in, out);
    } catch (const std::exception& e) {
        error = TerminalPrompter::OneLine(e.what());
    }
    const auto after = platform::StampOf(out);
    if (!after.exists || after == before) {
        o.status = kFailed;
        o.reason = error.empty() ? WhyNothingWritten(in, out, shown->lines) : error;
    } else if (!error.empty() || shown->problem) {
        o.status = kProblem;
        if (!error.empty()) shown->lines.push_back("error: " + error);
        if (!error.empty() && show) std::fprintf(stderr, "error: %s\n", error.c_str());
    }
    o.messages = std::move(shown->lines);
    if (report) {
        o.report.report = std::move(*report);
        o.report.report.input = in;   // also when the call never started
        o.report.report.output = out;
        o.report.report.error = error;
        o.report.report.messages = std::move(shown->texts);   // construction's too, one line each
        o.report.status = StatusWord(o.status);
        o.report.reason = o.reason;
    }
    return o;
}

bool WriteReport(const std::string& path, const std::vector<ExportReport>& reports) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << ReportJson(reports);
    f.close();
    if (!f) std::fprintf(stderr, "error: cannot write the report %s\n", path.c_str());
    return static_cast<bool>(f);
}

int ConvertSingle(const ConvertOptions& options) {
    const std::string& in = options.inputs.front();
    auto prompter = std::make_shared<TerminalPrompter>();
    ProgressBar bar(stderr, platform::StderrIsTerminal(), platform::TerminalColumns(), 1, SizeOf(in));
    auto progress = std::make_shared<ExportProgress>(bar, std::make_shared<platform::TerminalProgress>(),
                                                     ExpectedDrawingSize(in, options.output));
    InterruptCleanup cleanup([&bar] { bar.Clear(); });
    Outcome o = ConvertOne(in, options.output, options, prompter, progress);
    bar.Clear();
    if (o.status == kFailed) std::fprintf(stderr, "error: %s\n", o.reason.c_str());
    if (!options.reportPath.empty() && !WriteReport(options.reportPath, {o.report}) && o.status != kFailed)
        return kProblem;
    return o.status;
}

// The summary on stdout (unless quiet); messages and failures on stderr,
// each line led by its export.
void PrintBatch(const ConvertOptions& options, const std::vector<std::string>& outputs,
                const std::vector<Outcome>& outcomes) {
    int counts[3] = {0, 0, 0};
    for (const auto& o : outcomes) ++counts[Severity(o.status)];
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const auto& o = outcomes[i];
        for (const auto& m : o.messages) std::fprintf(stderr, "%s: %s\n", options.inputs[i].c_str(), m.c_str());
        if (o.status == kFailed) std::fprintf(stderr, "%s: failed: %s\n", options.inputs[i].c_str(), o.reason.c_str());
    }
    std::fflush(stderr);
    if (options.quiet) return;
    const std::size_t n = outcomes.size();
    std::printf("%zu export%s: %d converted, %d with messages, %d failed\n", n, n == 1 ? "" : "s", counts[0],
                counts[1], counts[2]);
    for (std::size_t i = 0; i < n; ++i) {
        if (outcomes[i].status == kFailed) std::printf("  failed    %s\n", options.inputs[i].c_str());
        else std::printf("  %-9s %s -> %s\n", StatusWord(outcomes[i].status), options.inputs[i].c_str(),
                         outputs[i].c_str());
    }
    std::fflush(stdout);
}

int ConvertBatch(const ConvertOptions& options) {
    std::error_code ec;
    fs::create_directories(platform::SystemPath(options.output), ec);
    if (!fs::is_directory(platform::SystemPath(options.output))) {
        std::fprintf(stderr, "error: cannot make the folder %s\n", options.output.c_str());
        return kFailed;
    }
    const std::size_t n = options.inputs.size();
    std::vector<std::string> outputs(n);
    std::vector<Outcome> outcomes(n);
    std::vector<bool> run(n, true);
    std::set<std::string> taken;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < n; ++i) {
        outputs[i] = OutputPathFor(options.inputs[i], options.output, options.format);
        if (!taken.insert(outputs[i]).second) {
            run[i] = false;
            auto& o = outcomes[i];
            o.status = kFailed;
            o.reason = "nothing written: an earlier export is written to " + outputs[i] + " already";
            o.report.report.input = options.inputs[i];
            o.report.report.output = outputs[i];
            o.report.status = StatusWord(kFailed);
            o.report.reason = o.reason;
        }
        total += SizeOf(options.inputs[i]);
    }
    for (const auto& warning : options.settingsWarnings) std::fprintf(stderr, "warning: %s\n", warning.c_str());

    ProgressBar bar(stderr, platform::StderrIsTerminal(), platform::TerminalColumns(), static_cast<int>(n), total);
    InterruptCleanup cleanup([&bar] { bar.Clear(); });
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < n;) {
            if (!run[i]) {
                bar.FileDone(SizeOf(options.inputs[i]));
                continue;
            }
            auto progress = std::make_shared<ExportProgress>(bar, nullptr);
            outcomes[i] = ConvertOne(options.inputs[i], outputs[i], options, nullptr, progress);
            bar.FileDone(SizeOf(options.inputs[i]) - progress->reported());
        }
    };
    const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), n));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
    bar.Clear();

    PrintBatch(options, outputs, outcomes);
    int worst = kWritten;
    for (const auto& o : outcomes)
        if (Severity(o.status) > Severity(worst)) worst = o.status;
    if (!options.reportPath.empty()) {
        std::vector<ExportReport> reports;
        for (auto& o : outcomes) reports.push_back(std::move(o.report));
        if (!WriteReport(options.reportPath, reports) && worst == kWritten) return kProblem;
    }
    return worst;
}

} // namespace

std::string OutputPathFor(const std::string& input, const std::string& dir, const std::string& format) {
    return platform::SystemPathText(platform::SystemPath(dir) /
                                     platform::SystemPath(input).filename().replace_extension(format));
}

int ConvertExports(ConvertOptions options) {
    options.settingsWarnings = MissingSettingsWarnings(options.userSettings);
    if (NoUserSettings(options.userSettings))
        std::fprintf(stderr, "note: no settings are configured (no user settings file in the registry store); "
                             "converting with defaults. `ostrel init` writes a set to start from.\n");
    return options.batch ? ConvertBatch(options) : ConvertSingle(options);
}

} // namespace ostrel::cli
