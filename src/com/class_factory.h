#pragma once
// The class factory of clsDWG: one static instance per module, whose
// reference count does not keep the module loaded (LockServer does).
#include <windows.h>
#include <ole2.h>

namespace ostrel::com {

class ClsDwgFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

// The module's factory.
ClsDwgFactory& TheFactory();

} // namespace ostrel::com
