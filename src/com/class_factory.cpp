// The class factory of clsDWG.
#include "com/class_factory.h"

#include "com/cls_dwg_object.h"
#include "com/module_state.h"

namespace ostrel::com {

HRESULT ClsDwgFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// A static object: counting references would only mirror what LockServer
// already tells.
ULONG ClsDwgFactory::AddRef() { return 2; }
ULONG ClsDwgFactory::Release() { return 1; }

HRESULT ClsDwgFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return ClsDwgObject::Create(riid, object);
}

HRESULT ClsDwgFactory::LockServer(BOOL lock) {
    if (lock) LockModule();
    else UnlockModule();
    return S_OK;
}

ClsDwgFactory& TheFactory() {
    static ClsDwgFactory factory;
    return factory;
}

} // namespace ostrel::com
