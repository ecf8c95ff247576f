// Conversions of the command-line tool. Each conversion has its own clsDWG
// instance; a batch runs them on up to -j threads, results kept in input
// order so that the summary and the report do not depend on the threads.
#include "tools/convert/convert_exports.h"

#include <algorithm>
#include <atomic>
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
#include "tools/convert/report_json.h"

namespace ostrel::cli {

namespace fs = std::filesystem;
using platform::TerminalPrompter;

namespace {

// Keeps a batch conversion's messages for the summary; questions are
// answered Yes (nobody is there to answer them).
class KeptMessages final : public Prompter {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        const auto kind = TerminalPrompter::KindPrefix(text, icon);
        if (kind == "error: ") errorShown = true;
        lines.push_back(std::string(kind) + TerminalPrompter::OneLine(text));
    }
    bool AskYesNo(const std::string& text) override {
        lines.push_back("question (answered yes): " + TerminalPrompter::OneLine(text));
        return true;
    }
    std::vector<std::string> lines;
    bool errorShown = false;
};

struct Outcome {
    int status = kWritten;
    std::string failure;               // the error of a failed conversion
    std::vector<std::string> messages; // batch form
    ConversionReport report;
};

int Severity(int status) { return status == kFailed ? 3 : status == kProblem ? 2 : status == kUsage ? 1 : 0; }

// One conversion; errorShown tells whether the prompter showed an error.
Outcome ConvertOne(const std::string& in, const std::string& out, const ConvertOptions& options,
                   std::shared_ptr<Prompter> prompter, const std::function<bool()>& errorShown,
                   std::shared_ptr<ExportProgress> progress) {
    Outcome o;
    auto report = options.reportPath.empty() ? nullptr : std::make_shared<ConversionReport>();
    const auto before = platform::StampOf(out);
    try {
        HostOptions host{std::move(prompter), progress, options.userSettings};
        host.report = report;
        clsDWG conversion(std::move(host));
        conversion.SaveAsDWG(in, out);
    } catch (const std::exception& e) {
        o.status = kFailed;
        o.failure = TerminalPrompter::OneLine(e.what());
    }
    if (report) {
        o.report = std::move(*report);
        if (o.report.input.empty()) {   // the call never started (settings could not be read)
            o.report.input = in;
            o.report.output = out;
            o.report.error = o.failure;
        }
    }
    if (o.status == kFailed) return o;
    const auto after = platform::StampOf(out);
    if (!after.exists || after == before) {
        o.status = kProblem;
        o.failure = "nothing was written to " + out;
    } else if (errorShown()) {
        o.status = kProblem;
    }
    return o;
}

bool WriteReport(const std::string& path, const std::vector<ConversionReport>& reports) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << ReportJson(reports);
    f.close();
    if (!f) std::fprintf(stderr, "error: cannot write the report %s\n", path.c_str());
    return static_cast<bool>(f);
}

std::int64_t SizeOf(const std::string& path) {
    std::error_code ec;
    const auto n = fs::file_size(platform::SystemPath(path), ec);
    return ec ? 0 : static_cast<std::int64_t>(n);
}

int ConvertSingle(const ConvertOptions& options) {
    const std::string& in = options.inputs.front();
    auto prompter = std::make_shared<TerminalPrompter>();
    ProgressBar bar(stderr, platform::StderrIsTerminal(), platform::TerminalColumns(), 1, SizeOf(in));
    auto progress = std::make_shared<ExportProgress>(bar, std::make_shared<platform::TerminalProgress>());
    Outcome o = ConvertOne(in, options.output, options, prompter, [&] { return prompter->errorShown(); }, progress);
    bar.Clear();
    if (o.status == kFailed) std::fprintf(stderr, "error: %s\n", o.failure.c_str());
    else if (!o.failure.empty()) std::fprintf(stderr, "warning: %s\n", o.failure.c_str());
    if (!options.reportPath.empty() && !WriteReport(options.reportPath, {o.report})) return kFailed;
    return o.status;
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
            outcomes[i].status = kFailed;
            outcomes[i].failure = "an earlier export is written to " + outputs[i] + " already";
            outcomes[i].report.input = options.inputs[i];
            outcomes[i].report.output = outputs[i];
            outcomes[i].report.error = outcomes[i].failure;
        }
        total += SizeOf(options.inputs[i]);
    }

    ProgressBar bar(stderr, platform::StderrIsTerminal(), platform::TerminalColumns(), static_cast<int>(n), total);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < n;) {
            if (!run[i]) {
                bar.FileDone(SizeOf(options.inputs[i]));
                continue;
            }
            auto kept = std::make_shared<KeptMessages>();
            auto progress = std::make_shared<ExportProgress>(bar, nullptr);
            outcomes[i] = ConvertOne(options.inputs[i], outputs[i], options, kept,
                                     [&] { return kept->errorShown; }, progress);
            outcomes[i].messages = std::move(kept->lines);
            bar.FileDone(SizeOf(options.inputs[i]) - progress->reported());
        }
    };
    const int threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), n));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
    bar.Clear();

    // The summary, in input order.
    // Failed: an error ended the conversion, or nothing was written.
    auto failedOne = [](const Outcome& o) { return o.status == kFailed || (o.status == kProblem && !o.failure.empty()); };
    int converted = 0, withMessages = 0, failed = 0, worst = kWritten;
    for (const auto& o : outcomes) {
        if (failedOne(o)) ++failed;
        else if (o.status == kProblem || !o.messages.empty()) ++withMessages;
        else ++converted;
        if (Severity(o.status) > Severity(worst)) worst = o.status;
    }
    std::printf("%zu export%s: %d converted, %d with messages, %d failed\n", n, n == 1 ? "" : "s", converted,
                withMessages, failed);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& o = outcomes[i];
        const char* label = failedOne(o) ? "failed   " : !o.messages.empty() ? "messages " : "converted";
        if (failedOne(o)) std::printf("  %s %s: %s\n", label, options.inputs[i].c_str(), o.failure.c_str());
        else std::printf("  %s %s -> %s\n", label, options.inputs[i].c_str(), outputs[i].c_str());
        for (const auto& m : o.messages) std::printf("              %s\n", m.c_str());
    }
    std::fflush(stdout);
    if (!options.reportPath.empty()) {
        std::vector<ConversionReport> reports;
        for (auto& o : outcomes) reports.push_back(std::move(o.report));
        if (!WriteReport(options.reportPath, reports)) return kFailed;
    }
    return worst;
}

} // namespace

std::string OutputPathFor(const std::string& input, const std::string& dir, const std::string& format) {
    return platform::SystemPathText(platform::SystemPath(dir) /
                                     platform::SystemPath(input).filename().replace_extension(format));
}

int ConvertExports(const ConvertOptions& options) {
    return options.batch ? ConvertBatch(options) : ConvertSingle(options);
}

} // namespace ostrel::cli
