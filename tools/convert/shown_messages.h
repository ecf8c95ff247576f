#pragma once
// A conversion's messages as the program keeps them: each on one line with
// its kind ("error: ", "warning: ", "message: ", "note: "), passed on to the
// prompter that shows them (the terminal's) when there is one. A message
// that the registry store could not be written is followed by a note that
// names the store and why.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/host.h"

namespace ostrel::cli {

class ShownMessages final : public Prompter {
public:
    // show: the prompter that shows them, or none (questions answered Yes);
    // notes: where the program's own notes are printed as they come, or none.
    ShownMessages(std::shared_ptr<Prompter> show, std::FILE* notes) : show_(std::move(show)), notes_(notes) {}

    void ShowMessage(const std::string& text, MessageIcon icon) override;
    bool AskYesNo(const std::string& text) override;
    void Note(const std::string& text);

    std::vector<std::string> lines;   // "kind: text", in order
    std::vector<std::string> texts;   // the same without the kind, questions left out (the report's)
    bool problem = false;             // an error or a warning was shown

private:
    std::shared_ptr<Prompter> show_;
    std::FILE* notes_;
};

} // namespace ostrel::cli
