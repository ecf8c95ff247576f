// Messages and questions of the command-line tool.
#include "platform/terminal_prompter.h"

#include "platform/terminal.h"

namespace ostrel::platform {

namespace {

constexpr std::string_view kErrorOpening = "Error Opening ";
constexpr std::string_view kRegistryFailure = ".cRegistryFailed to create registry Key: ";

// The library's error texts that come without an icon.
bool IsErrorText(std::string_view text) {
    return text.substr(0, kErrorOpening.size()) == kErrorOpening || text.find(kRegistryFailure) != std::string_view::npos;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

TerminalPrompter::TerminalPrompter()
    : TerminalPrompter(stderr, StdinIsTerminal() && StderrIsTerminal() ? Asker(AskTerminal) : Asker()) {}

TerminalPrompter::TerminalPrompter(std::FILE* out, Asker asker) : out_(out), asker_(std::move(asker)) {}

std::string TerminalPrompter::OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!inBreak && !out.empty()) out += " / ";
            inBreak = true;
            continue;
        }
        inBreak = false;
        out += c;
    }
    // A break at the very end leaves nothing to separate.
    if (out.size() >= 3 && out.compare(out.size() - 3, 3, " / ") == 0 && inBreak) out.resize(out.size() - 3);
    return out;
}

std::string_view TerminalPrompter::KindPrefix(std::string_view text, MessageIcon icon) {
    if (icon == MessageIcon::Critical) return "error: ";
    if (icon == MessageIcon::Exclamation) return "warning: ";
    if (IsErrorText(text)) return "error: ";
    return "message: ";
}

void TerminalPrompter::ShowMessage(const std::string& text, MessageIcon icon) {
    if (icon != MessageIcon::None || IsErrorText(text)) errorShown_ = true;
    const std::string line = std::string(KindPrefix(text, icon)) + OneLine(text) + "\n";
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

bool TerminalPrompter::AskYesNo(const std::string& text) {
    const std::string question = "question: " + OneLine(text);
    if (!asker_) {
        std::fputs((question + " [answered Yes]\n").c_str(), out_);
        std::fflush(out_);
        return true;
    }
    for (;;) {
        const auto answer = asker_(question + " [Y/n] ");
        if (!answer) return true;   // the terminal went away
        const std::string a = Lower(answer->substr(0, answer->find_last_not_of(" \t\r") + 1));
        if (a.empty() || a == "y" || a == "yes") return true;
        if (a == "n" || a == "no") return false;
    }
}

} // namespace ostrel::platform
