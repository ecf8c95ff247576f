// clsDWG as a COM object: IUnknown, IDispatch over the embedded type
// library, the vtable SaveAsDWG and ISupportErrorInfo.
#include "com/cls_dwg_object.h"

#include <new>

#include "com/bstr_text.h"
#include "com/dispatch_arguments.h"
#include "com/error_info.h"
#include "com/host_prompter.h"
#include "com/module_state.h"
#include "com/trim_form_window.h"
#include "ostrel/clsDWG.h"
#include "run/run.h"

namespace ostrel::com {

ClsDwgObject::ClsDwgObject() { ObjectCreated(); }

ClsDwgObject::~ClsDwgObject() {
    if (typeInfo_) typeInfo_->Release();
    ObjectDestroyed();
}

HRESULT ClsDwgObject::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* created = new (std::nothrow) ClsDwgObject();
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->Initialise();
    if (SUCCEEDED(hr)) hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
}

HRESULT ClsDwgObject::Initialise() {
    // The type information comes from the TYPELIB resource of this module,
    // registered or not.
    ITypeLib* library = nullptr;
    std::wstring path = ModulePath();
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) return ReportError(hr, "The type library of Ostrel.dll cannot be loaded");
    hr = library->GetTypeInfoOfGuid(kInterfaceId, &typeInfo_);
    library->Release();
    if (FAILED(hr)) return ReportError(hr, "The type library of Ostrel.dll has no clsDWG interface");

    // Construction of the conversion instance reads the settings.
    try {
        HostOptions host;
        host.prompter = MakeHostPrompter();
        conversion_ = std::make_unique<clsDWG>(std::move(host));
        // The sheet pass shows frmDWGTrim as a window on the caller's thread.
        conversion_->run().formWindow = MakeTrimFormWindow();
    } catch (...) {
        return ReportCurrentException();
    }
    return S_OK;
}

// ------------------------------------------------------------------ IUnknown

HRESULT ClsDwgObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kInterfaceId)) {
        *object = static_cast<_clsDWG*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ClsDwgObject::AddRef() { return ++refs_; }

ULONG ClsDwgObject::Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ----------------------------------------------------------------- IDispatch

HRESULT ClsDwgObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT ClsDwgObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *info = typeInfo_;
    return S_OK;
}

HRESULT ClsDwgObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    // Member and parameter names, matched without regard to case.
    return DispGetIDsOfNames(typeInfo_, names, count, ids);
}

HRESULT ClsDwgObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (id != kDispIdSaveAsDWG) return DISP_E_MEMBERNOTFOUND;
    // VBScript calls a Sub as DISPATCH_METHOD, some hosts add PROPERTYGET.
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (!params) return E_INVALIDARG;

    // Plain DispInvoke would refuse the VT_BYREF|VT_VARIANT arguments that
    // late-bound hosts pass for variables, so the arguments are taken here.
    const VARIANT* args[kSaveAsDWGArgumentCount];
    HRESULT hr = CollectArguments(*params, kSaveAsDWGArgumentCount, args, argError);
    if (FAILED(hr)) return hr;
    std::string text[kSaveAsDWGArgumentCount];
    bool lossy[kSaveAsDWGArgumentCount] = {};
    for (unsigned i = 0; i < kSaveAsDWGArgumentCount; ++i) {
        hr = ArgumentText(*args[i], text[i], &lossy[i]);
        if (FAILED(hr)) {
            if (argError) *argError = static_cast<UINT>(args[i] - params->rgvarg);
            return hr;
        }
    }

    if (result) VariantInit(result);
    hr = Convert(text[0], lossy[0], text[1], lossy[1]);
    if (FAILED(hr) && exception) {
        FillExcepInfo(*exception, hr);
        return DISP_E_EXCEPTION;
    }
    return hr;
}

// ------------------------------------------------------------------ _clsDWG

HRESULT ClsDwgObject::SaveAsDWG(BSTR* strIN, BSTR* strOUT) {
    // Both strings come by reference; the conversion never assigns to them.
    bool lossyIN = false, lossyOUT = false;
    std::string in = strIN ? NarrowFromBstr(*strIN, &lossyIN) : std::string();
    std::string out = strOUT ? NarrowFromBstr(*strOUT, &lossyOUT) : std::string();
    return Convert(in, lossyIN, out, lossyOUT);
}

HRESULT ClsDwgObject::Convert(const std::string& strIN, bool lossyIN, const std::string& strOUT, bool lossyOUT) {
    SetErrorInfo(0, nullptr);
    if (lossyIN || lossyOUT) {
        return ReportError(InvalidArgumentResult(),
                           "The path cannot be written in the ANSI code page: " + (lossyIN ? strIN : strOUT));
    }
    try {
        conversion_->SaveAsDWG(strIN, strOUT);
    } catch (...) {
        return ReportCurrentException();
    }
    return S_OK;
}

// --------------------------------------------------------- ISupportErrorInfo

HRESULT ClsDwgObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, kInterfaceId) || IsEqualIID(riid, IID_IDispatch) ? S_OK : S_FALSE;
}

} // namespace ostrel::com
