#pragma once
// The COM object behind clsDWG: the default interface _clsDWG (dual, so both
// vtable and IDispatch callers reach SaveAsDWG) and ISupportErrorInfo. One
// object owns one conversion instance, whose construction reads the settings.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <memory>
#include <string>

#include "com/com_identity.h"

namespace ostrel {
class clsDWG;
}

namespace ostrel::com {

class ClsDwgObject final : public _clsDWG, public ISupportErrorInfo {
public:
    // Makes an object and returns its interface riid in *object.
    static HRESULT Create(REFIID riid, void** object);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // _clsDWG
    HRESULT STDMETHODCALLTYPE SaveAsDWG(BSTR* strIN, BSTR* strOUT) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ClsDwgObject();
    ~ClsDwgObject();
    HRESULT Initialise();
    // Runs one conversion; a failure is reported through IErrorInfo. A path
    // that lost characters on its way to the ANSI code page is refused
    // rather than handed on as a different path.
    HRESULT Convert(const std::string& strIN, bool lossyIN, const std::string& strOUT, bool lossyOUT);

    std::atomic<ULONG> refs_{1};
    ITypeInfo* typeInfo_ = nullptr;
    std::unique_ptr<clsDWG> conversion_;
};

} // namespace ostrel::com
