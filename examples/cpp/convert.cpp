// Converts one export through ostrel::clsDWG, with a prompter and a progress
// sink of its own. usage: convert USER_SETTINGS IN OUT
#include <cstdio>
#include <memory>
#include <string>

#include <ostrel/clsDWG.h>
#include <ostrel/ostrel.h>

namespace {

class PrintingPrompter : public ostrel::Prompter {
public:
    void ShowMessage(const std::string& text, ostrel::MessageIcon) override { std::printf("message: %s\n", text.c_str()); }
    bool AskYesNo(const std::string& text) override {
        std::printf("question: %s [answered Yes]\n", text.c_str());
        return true;
    }
};

class PrintingProgress : public ostrel::ProgressSink {
public:
    void Start(long maximum) override { maximum_ = maximum; }
    void Step() override { ++steps_; }
    void Finish() override { std::printf("sheet: %ld of %ld steps\n", steps_, maximum_); }

private:
    long maximum_ = 0, steps_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: convert USER_SETTINGS IN OUT\n");
        return 2;
    }
    std::printf("Ostrel %s\n", ostrel_version());
    ostrel::HostOptions host;
    host.prompter = std::make_shared<PrintingPrompter>();
    host.progress = std::make_shared<PrintingProgress>();
    host.userSettingsOverride = argv[1];
    try {
        ostrel::clsDWG conversion(host);
        conversion.SaveAsDWG(argv[2], argv[3]);
    } catch (const ostrel::ConversionError& e) {
        std::printf("error %d: %s\n", static_cast<int>(e.code()), e.what());
        return 1;
    }
    return 0;
}
