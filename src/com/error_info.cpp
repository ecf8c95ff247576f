// Error reporting of the COM server.
#include "com/error_info.h"

#include <new>

#include "com/bstr_text.h"
#include "com/com_identity.h"

namespace ostrel::com {

HRESULT ConversionErrorResult(ErrorCode code) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<int>(code) & 0xFFFF);
}

HRESULT InvalidArgumentResult() { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5); }

HRESULT ReportError(HRESULT hr, std::string_view description) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return hr;
    create->SetGUID(kInterfaceId);
    create->SetSource(const_cast<LPOLESTR>(kErrorSource));
    std::wstring text = WideFromNarrow(description);
    create->SetDescription(text.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
    return hr;
}

HRESULT ReportCurrentException() {
    try {
        throw;
    } catch (const ConversionError& e) {
        return ReportError(ConversionErrorResult(e.code()), e.what());
    } catch (const std::bad_alloc&) {
        return ReportError(E_OUTOFMEMORY, "Out of memory");
    } catch (const std::exception& e) {
        return ReportError(ConversionErrorResult(ErrorCode::Internal), e.what());
    } catch (...) {
        return ReportError(ConversionErrorResult(ErrorCode::Internal), "Unexpected failure");
    }
}

void FillExcepInfo(EXCEPINFO& info, HRESULT hr) {
    info = EXCEPINFO{};
    info.scode = hr;
    IErrorInfo* error = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetSource(&info.bstrSource);
        error->GetDescription(&info.bstrDescription);
        // GetErrorInfo cleared the thread's error object: put it back so a
        // caller that asks for it after Invoke finds it too.
        SetErrorInfo(0, error);
        error->Release();
    } else {
        info.bstrSource = SysAllocString(kErrorSource);
    }
}

} // namespace ostrel::com
