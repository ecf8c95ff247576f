#pragma once
// The Windows prompter: modal message boxes (MessageBoxA) owned by no window.
// When the environment variable OSTREL_NO_MESSAGEBOX is set (to anything but
// "0"), no box is shown: messages go to the debugger output and Yes/No
// questions are answered Yes, so unattended runs never block.
#include <memory>
#include <string_view>

#include "ostrel/host.h"

namespace ostrel {

std::shared_ptr<Prompter> MakeMessageBoxPrompter();

// The MessageBoxA style for a box: buttons (OK or Yes/No) and icon.
unsigned MessageBoxStyle(MessageIcon icon, bool yesNo);

// True when OSTREL_NO_MESSAGEBOX asks for no boxes.
bool MessageBoxesSuppressed();

// The caption of every box.
inline constexpr std::string_view kMessageBoxCaption = "Ostrel";

} // namespace ostrel
