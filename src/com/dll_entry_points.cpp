// The four standard entry points of an in-process COM server, and DllMain.
// They are exported undecorated through Ostrel.def.
#include <windows.h>
#include <ole2.h>

#include "com/class_factory.h"
#include "com/com_identity.h"
#include "com/module_state.h"
#include "com/registration.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // Thread notifications stay on: the runtime's thread-local cleanup
    // (the settings are held per thread) runs from them.
    if (reason == DLL_PROCESS_ATTACH) ostrel::com::SetModuleHandle(instance);
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, ostrel::com::kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return ostrel::com::TheFactory().QueryInterface(riid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return ostrel::com::CanUnloadModule() ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    return ostrel::com::RegisterServer(ostrel::com::ModulePath());
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return ostrel::com::UnregisterServer();
}

} // extern "C"
