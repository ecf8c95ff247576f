// DllRegisterServer and DllUnregisterServer's work: the rows of
// class_registry_rows.h (the same the MSI writes), then the type library's
// own registration by the system.
#include "com/registration.h"

#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <utility>

#include "com/class_registry_rows.h"
#include "com/com_identity.h"

namespace ostrel::com {

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;
const std::wstring kInterfaceKey = L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}";
const std::wstring kLibraryKey = std::wstring(L"TypeLib\\") + kLibraryIdText;

// Sets a REG_SZ value of HKCR\path, creating the key; a null name sets the
// key's default value.
LONG SetString(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
}

// Deletes HKCR\path with everything below it; an absent key is fine.
LONG DeleteTree(const std::wstring& path) {
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

// True when HKCR\progId\CLSID names our class (so removing it touches no
// other server's registration).
bool ProgIdNamesOurClass(const wchar_t* progId) {
    std::wstring path = std::wstring(progId) + L"\\CLSID";
    wchar_t value[64] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    LONG rc = RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return rc == ERROR_SUCCESS && lstrcmpiW(value, kClassIdText) == 0;
}

SYSKIND ThisSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

HRESULT FromWin32(LONG rc) { return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(rc)); }

// The row's text with the markers of class_registry_rows.h replaced.
std::wstring Expand(const wchar_t* text, const std::wstring& modulePath) {
    const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    const std::pair<std::wstring, std::wstring> markers[] = {
        {L"<module>", modulePath}, {L"<folder>", folder}, {L"<syskind>", sizeof(void*) == 8 ? L"win64" : L"win32"}};
    std::wstring out = text;
    for (const auto& [marker, replacement] : markers)
        for (auto at = out.find(marker); at != std::wstring::npos; at = out.find(marker, at + replacement.size()))
            out.replace(at, marker.size(), replacement);
    return out;
}

HRESULT WriteClassEntries(const std::wstring& modulePath) {
    for (const ClassRegistryRow& row : kClassRegistryRows) {
        const LONG rc = SetString(Expand(row.key, modulePath), *row.name ? row.name : nullptr,
                                  Expand(row.value, modulePath));
        if (rc != ERROR_SUCCESS) return FromWin32(rc);
    }
    return S_OK;
}

} // namespace

HRESULT RegisterServer(const std::wstring& modulePath) {
    if (modulePath.empty()) return SELFREG_E_CLASS;
    HRESULT hr = WriteClassEntries(modulePath);
    if (SUCCEEDED(hr)) {
        // The system registers the type library and the interface over the
        // rows just written (and may add values of its own).
        ITypeLib* library = nullptr;
        hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_REGISTER, &library);
        if (SUCCEEDED(hr)) library->Release();
    }
    if (FAILED(hr)) UnregisterServer();
    return hr;
}

HRESULT UnregisterServer() {
    // A type library that is not registered is no error here.
    UnRegisterTypeLib(kLibraryId, kLibraryMajor, kLibraryMinor, LANG_NEUTRAL, ThisSysKind());

    // What the system left of the type library's and interface's keys, and
    // the class: all three are named by our own identifiers.
    HRESULT result = S_OK;
    for (const std::wstring& key : {kClassKey, kInterfaceKey, kLibraryKey}) {
        HRESULT hr = FromWin32(DeleteTree(key));
        if (SUCCEEDED(result)) result = hr;
    }
    for (const wchar_t* progId : {kProgId, kVersionIndependentProgId}) {
        if (!ProgIdNamesOurClass(progId)) continue;
        HRESULT hr = FromWin32(DeleteTree(progId));
        if (SUCCEEDED(result)) result = hr;
    }
    return result;
}

} // namespace ostrel::com
