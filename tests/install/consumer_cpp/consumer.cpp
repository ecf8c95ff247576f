// Converts an export through ostrel::clsDWG with a prompter and a progress
// sink of its own, then checks that a failing export raises a
// ConversionError this program can catch and read.
// usage: consumer USER_SETTINGS IN OUT BROKEN_IN
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <ostrel/clsDWG.h>
#include <ostrel/ostrel.h>

namespace {

class CountingPrompter : public ostrel::Prompter {
public:
    void ShowMessage(const std::string& text, ostrel::MessageIcon) override {
        std::printf("message: %s\n", text.c_str());
        ++messages;
    }
    bool AskYesNo(const std::string&) override { return true; }
    int messages = 0;
};

class CountingProgress : public ostrel::ProgressSink {
public:
    void Start(long maximum) override { this->maximum = maximum; }
    void Step() override { ++steps; }
    void Finish() override { finished = true; }
    long maximum = -1, steps = 0;
    bool finished = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    if (std::strcmp(ostrel_version(), EXPECTED_VERSION) != 0) {
        std::printf("library version %s, package version %s\n", ostrel_version(), EXPECTED_VERSION);
        return 1;
    }
    auto prompter = std::make_shared<CountingPrompter>();
    auto progress = std::make_shared<CountingProgress>();
    ostrel::HostOptions host;
    host.prompter = prompter;
    host.progress = progress;
    host.userSettingsOverride = argv[1];
    try {
        ostrel::clsDWG conversion(host);
        conversion.SaveAsDWG(argv[2], argv[3]);
    } catch (const ostrel::ConversionError& e) {
        std::printf("conversion failed: %s\n", e.what());
        return 1;
    }
    // The sample has a title block: the sheet pass reports its progress.
    std::printf("progress: %ld of %ld steps, finished %d; %d messages\n", progress->steps, progress->maximum,
                progress->finished ? 1 : 0, prompter->messages);
    if (progress->maximum <= 0 || progress->steps != progress->maximum || !progress->finished) return 1;
    if (prompter->messages != 0) return 1;

    try {
        ostrel::clsDWG conversion(host);
        conversion.SaveAsDWG(argv[4], std::string(argv[3]) + ".broken.dxf");
    } catch (const ostrel::ConversionError& e) {
        std::printf("broken export: code %d: %s\n", static_cast<int>(e.code()), e.what());
        return e.code() == ostrel::ErrorCode::EndOfFile ? 0 : 1;
    } catch (...) {
        std::printf("broken export: an exception that is not a ConversionError\n");
        return 1;
    }
    std::printf("broken export: no error raised\n");
    return 1;
}
