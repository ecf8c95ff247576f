// The COM host's prompter.
#include "com/host_prompter.h"

#include "platform/message_box_prompter.h"

namespace ostrel::com {

std::shared_ptr<Prompter> MakeHostPrompter() { return MakeMessageBoxPrompter(); }

} // namespace ostrel::com
