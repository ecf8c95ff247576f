// Windows gives large pages only to privileged processes: no hint.
#include "platform/huge_pages.h"

namespace ostrel::platform {

void AdviseHugePages(const void*, std::size_t) noexcept {}

} // namespace ostrel::platform
