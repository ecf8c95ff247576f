// No populate call on Windows: the filler takes its own page faults.
#include "platform/prefault.h"

namespace ostrel::platform {

PrefaultAhead::PrefaultAhead(void* block, std::size_t bytes, std::size_t window)
    : block_(static_cast<char*>(block)), bytes_(bytes), window_(window) {}

PrefaultAhead::~PrefaultAhead() = default;

void PrefaultAhead::Run() {}

} // namespace ostrel::platform
