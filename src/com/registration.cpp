// DllRegisterServer and DllUnregisterServer's work: registry entries of the
// class and its ProgIDs, and the type library's own registration.
#include "com/registration.h"

#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>

#include "com/com_identity.h"

namespace ostrel::com {

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;

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

LONG CreateEmptyKey(const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
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

HRESULT WriteClassEntries(const std::wstring& modulePath) {
    const std::wstring name = kVersionIndependentProgId;
    const std::pair<std::wstring, std::pair<const wchar_t*, std::wstring>> values[] = {
        {kClassKey, {nullptr, name}},
        {kClassKey + L"\\InprocServer32", {nullptr, modulePath}},
        {kClassKey + L"\\InprocServer32", {L"ThreadingModel", L"Apartment"}},
        {kClassKey + L"\\ProgID", {nullptr, kProgId}},
        {kClassKey + L"\\VersionIndependentProgID", {nullptr, kVersionIndependentProgId}},
        {kClassKey + L"\\TypeLib", {nullptr, kLibraryIdText}},
        {kClassKey + L"\\Version", {nullptr, L"1.0"}},
        {kProgId, {nullptr, name}},
        {std::wstring(kProgId) + L"\\CLSID", {nullptr, kClassIdText}},
        {kVersionIndependentProgId, {nullptr, name}},
        {std::wstring(kVersionIndependentProgId) + L"\\CLSID", {nullptr, kClassIdText}},
        {std::wstring(kVersionIndependentProgId) + L"\\CurVer", {nullptr, kProgId}},
    };
    for (const auto& [path, value] : values) {
        LONG rc = SetString(path, value.first, value.second);
        if (rc != ERROR_SUCCESS) return FromWin32(rc);
    }
    return FromWin32(CreateEmptyKey(kClassKey + L"\\Programmable"));
}

} // namespace

HRESULT RegisterServer(const std::wstring& modulePath) {
    if (modulePath.empty()) return SELFREG_E_CLASS;
    HRESULT hr = WriteClassEntries(modulePath);
    if (SUCCEEDED(hr)) {
        // Registers HKCR\TypeLib\{...} and the interface's entries (with the
        // automation marshaler as its proxy).
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

    HRESULT result = FromWin32(DeleteTree(kClassKey));
    for (const wchar_t* progId : {kProgId, kVersionIndependentProgId}) {
        if (!ProgIdNamesOurClass(progId)) continue;
        HRESULT hr = FromWin32(DeleteTree(progId));
        if (SUCCEEDED(result)) result = hr;
    }
    return result;
}

} // namespace ostrel::com
