#include "tools/convert/shown_messages.h"

#include "platform/registry_store.h"
#include "platform/terminal_prompter.h"
#include "tools/convert/settings_warnings.h"

namespace ostrel::cli {

using platform::TerminalPrompter;

void ShownMessages::ShowMessage(const std::string& text, MessageIcon icon) {
    const std::string kind(TerminalPrompter::KindPrefix(text, icon));
    const std::string line = TerminalPrompter::OneLine(text);
    if (kind != "message: ") problem = true;
    lines.push_back(kind + line);
    texts.push_back(line);
    if (show_) show_->ShowMessage(text, icon);
    if (text.rfind(platform::LibraryFileStem() + ".cRegistry", 0) == 0) Note(RegistryStoreNote());
}

bool ShownMessages::AskYesNo(const std::string& text) {
    const bool yes = show_ ? show_->AskYesNo(text) : true;
    lines.push_back(std::string("question (answered ") + (yes ? "yes" : "no") + "): " + TerminalPrompter::OneLine(text));
    return yes;
}

void ShownMessages::Note(const std::string& text) {
    lines.push_back("note: " + text);
    texts.push_back(text);
    if (notes_) std::fprintf(notes_, "note: %s\n", text.c_str());
}

} // namespace ostrel::cli
