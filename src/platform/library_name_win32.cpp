// The library's name on Windows: the file this code was loaded from
// (Ostrel.dll as a COM server), without folder and extension.
#include <windows.h>

#include "platform/registry_store.h"

namespace ostrel::platform {

std::string LibraryFileStem() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&LibraryFileStem), &module))
        return "Ostrel";
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "Ostrel";
    std::string name(path, n);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

} // namespace ostrel::platform
