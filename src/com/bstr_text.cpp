// Conversions between UTF-16 COM strings and ANSI code page text.
#include "com/bstr_text.h"

#include <climits>

namespace ostrel::com {

std::string NarrowFromWide(std::wstring_view text, bool* lossy) {
    if (lossy) *lossy = false;
    if (text.empty()) return {};
    if (text.size() > INT_MAX) {
        if (lossy) *lossy = true;
        return {};
    }
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        if (lossy) *lossy = true;
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), n, nullptr, lossy ? &usedDefault : nullptr);
    if (lossy) *lossy = usedDefault != FALSE;
    return out;
}

std::string NarrowFromBstr(BSTR text, bool* lossy) {
    if (!text) {
        if (lossy) *lossy = false;
        return {};
    }
    return NarrowFromWide(std::wstring_view(text, SysStringLen(text)), lossy);
}

std::wstring WideFromNarrow(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), n);
    return out;
}

BSTR BstrFromNarrow(std::string_view text) {
    std::wstring wide = WideFromNarrow(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

} // namespace ostrel::com
