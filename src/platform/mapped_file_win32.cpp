// Windows reads exports the ordinary way.
#include "platform/mapped_file.h"

namespace ostrel::platform {

std::unique_ptr<MappedFile> MapWholeFile(const std::string&) { return nullptr; }

} // namespace ostrel::platform
