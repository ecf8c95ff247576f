#pragma once
// The prompter of the command-line tool: each message is one line on
// stderr, prefixed by its kind; questions go to the terminal when there is
// one, and are answered Yes otherwise.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ostrel/host.h"

namespace ostrel::platform {

class TerminalPrompter final : public Prompter {
public:
    // Asks a question and returns the answer line, or nullopt for none.
    using Asker = std::function<std::optional<std::string>(const std::string& prompt)>;

    // Writes to stderr; asks on the terminal when stdin and stderr are both terminals.
    TerminalPrompter();
    // Writes to out; asks through asker when it is set, else answers Yes.
    TerminalPrompter(std::FILE* out, Asker asker);

    void ShowMessage(const std::string& text, MessageIcon icon) override;
    bool AskYesNo(const std::string& text) override;

    // True once an error-kind message was shown: a critical or exclamation
    // one, or an "Error Opening " or registry-key failure one (those come without an icon).
    bool errorShown() const { return errorShown_; }

    // The message on one line: each line break (CR LF, CR or LF, or a run
    // of them) becomes " / ".
    static std::string OneLine(std::string_view text);
    // "error: ", "warning: " or "message: ".
    static std::string_view KindPrefix(std::string_view text, MessageIcon icon);

private:
    std::FILE* out_;
    Asker asker_;
    bool errorShown_ = false;
};

} // namespace ostrel::platform
