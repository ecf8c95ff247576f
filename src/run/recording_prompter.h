#pragma once
// A prompter that keeps the text of every message it passes on to the
// host's own prompter (for a conversion's report).
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/host.h"

namespace ostrel {

class RecordingPrompter final : public Prompter {
public:
    RecordingPrompter(std::shared_ptr<Prompter> shown, std::vector<std::string>& messages)
        : shown_(std::move(shown)), messages_(messages) {}
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages_.push_back(text);
        shown_->ShowMessage(text, icon);
    }
    bool AskYesNo(const std::string& text) override {
        messages_.push_back(text);
        return shown_->AskYesNo(text);
    }

private:
    std::shared_ptr<Prompter> shown_;
    std::vector<std::string>& messages_;
};

} // namespace ostrel
