// The library's name on POSIX, where it is linked in rather than loaded
// from a file of its own.
#include "platform/registry_store.h"

namespace ostrel::platform {

std::string LibraryFileStem() { return "Ostrel"; }

} // namespace ostrel::platform
