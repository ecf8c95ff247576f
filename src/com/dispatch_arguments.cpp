// Argument collection and string coercion for IDispatch::Invoke.
#include "com/dispatch_arguments.h"

#include "com/bstr_text.h"

namespace ostrel::com {

HRESULT CollectArguments(const DISPPARAMS& params, unsigned count, const VARIANT* args[], UINT* argError) {
    for (unsigned i = 0; i < count; ++i) args[i] = nullptr;
    if (params.cArgs != count) return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs > params.cArgs || (params.cArgs > 0 && !params.rgvarg) ||
        (params.cNamedArgs > 0 && !params.rgdispidNamedArgs))
        return E_INVALIDARG;

    // rgvarg holds the named arguments first, then the positional ones in
    // reverse order: the first positional argument is the last element.
    const unsigned positional = params.cArgs - params.cNamedArgs;
    for (unsigned p = 0; p < positional; ++p) args[p] = &params.rgvarg[params.cArgs - 1 - p];
    for (unsigned n = 0; n < params.cNamedArgs; ++n) {
        DISPID id = params.rgdispidNamedArgs[n];
        if (id < 0 || static_cast<unsigned>(id) >= count || args[id] != nullptr) {
            if (argError) *argError = n;
            for (unsigned i = 0; i < count; ++i) args[i] = nullptr;
            return DISP_E_PARAMNOTFOUND;
        }
        args[id] = &params.rgvarg[n];
    }
    return S_OK;
}

HRESULT ArgumentText(const VARIANT& arg, std::string& text, bool* lossy) {
    text.clear();
    if (lossy) *lossy = false;
    const VARIANT* value = &arg;
    if (V_VT(value) == (VT_BYREF | VT_VARIANT)) {
        value = V_VARIANTREF(value);
        if (!value) return DISP_E_TYPEMISMATCH;
    }
    switch (V_VT(value)) {
    case VT_BSTR:
        text = NarrowFromBstr(V_BSTR(value), lossy);
        return S_OK;
    case VT_BYREF | VT_BSTR:
        if (V_BSTRREF(value)) text = NarrowFromBstr(*V_BSTRREF(value), lossy);
        return S_OK;
    case VT_ERROR:   // a missing argument
    case VT_BYREF | VT_ERROR:
        return DISP_E_TYPEMISMATCH;
    default:
        break;
    }
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BSTR);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    text = NarrowFromBstr(V_BSTR(&converted), lossy);
    VariantClear(&converted);
    return S_OK;
}

} // namespace ostrel::com
