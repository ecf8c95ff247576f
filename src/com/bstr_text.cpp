// Conversions between UTF-16 COM strings and ANSI code page text.
#include "com/bstr_text.h"

#include <climits>

namespace ostrel::com {

std::string NarrowFromWide(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string NarrowFromBstr(BSTR text) {
    if (!text) return {};
    return NarrowFromWide(std::wstring_view(text, SysStringLen(text)));
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
