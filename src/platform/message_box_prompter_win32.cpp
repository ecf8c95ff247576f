// Message boxes through MessageBoxA.
#include "platform/message_box_prompter.h"

#include <windows.h>

#include <string>

namespace ostrel {

namespace {

class MessageBoxPrompter final : public Prompter {
public:
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        if (MessageBoxesSuppressed()) {
            Trace(text);
            return;
        }
        MessageBoxA(nullptr, text.c_str(), std::string(kMessageBoxCaption).c_str(), MessageBoxStyle(icon, false));
    }

    bool AskYesNo(const std::string& text) override {
        if (MessageBoxesSuppressed()) {
            Trace(text);
            return true;
        }
        return MessageBoxA(nullptr, text.c_str(), std::string(kMessageBoxCaption).c_str(),
                           MessageBoxStyle(MessageIcon::None, true)) == IDYES;
    }

private:
    static void Trace(const std::string& text) {
        std::string line = std::string(kMessageBoxCaption) + ": " + text + "\n";
        OutputDebugStringA(line.c_str());
    }
};

} // namespace

std::shared_ptr<Prompter> MakeMessageBoxPrompter() { return std::make_shared<MessageBoxPrompter>(); }

unsigned MessageBoxStyle(MessageIcon icon, bool yesNo) {
    // Task-modal: the host's windows wait while a box is up, as a VB MsgBox
    // from an in-process component makes them.
    unsigned style = (yesNo ? MB_YESNO : MB_OK) | MB_TASKMODAL | MB_SETFOREGROUND;
    switch (icon) {
    case MessageIcon::Critical: style |= MB_ICONERROR; break;
    case MessageIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MessageIcon::None: break;
    }
    return style;
}

bool MessageBoxesSuppressed() {
    char value[8] = {};
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA("OSTREL_NO_MESSAGEBOX", value, sizeof(value));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    return !(n == 1 && value[0] == '0');
}

} // namespace ostrel
