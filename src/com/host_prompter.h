#pragma once
// The prompter a COM host gets: the system's modal message boxes.
#include <memory>

#include "ostrel/host.h"

namespace ostrel::com {

std::shared_ptr<Prompter> MakeHostPrompter();

} // namespace ostrel::com
