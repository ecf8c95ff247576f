#pragma once
// The server module's state: its own handle and path, and the counts that
// decide whether the host may unload it.
#include <windows.h>

#include <string>

namespace ostrel::com {

void SetModuleHandle(HMODULE module);
HMODULE ModuleHandle();
// Full path of Ostrel.dll as loaded (the path registration writes).
std::wstring ModulePath();

// Live COM objects and LockServer(TRUE) calls; the module can be unloaded
// only when both are zero.
void ObjectCreated();
void ObjectDestroyed();
void LockModule();
void UnlockModule();
bool CanUnloadModule();

} // namespace ostrel::com
