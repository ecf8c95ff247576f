// Windows keeps the pages: nothing is given back.
#include "platform/release_pages.h"

namespace ostrel::platform {

std::size_t ReleasePages(char*, std::size_t from, std::size_t) noexcept { return from; }

} // namespace ostrel::platform
