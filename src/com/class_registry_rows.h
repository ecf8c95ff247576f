#pragma once
// The registry values that make clsDWG creatable, under HKEY_CLASSES_ROOT:
// the class with its server and threading model, both ProgIDs, the
// interface (marshalled by the automation marshaler) and the type library.
//
// Two readers: DllRegisterServer writes these rows (registration.cpp), and
// the MSI's registry rows are generated from this very table by
// cmake/OstrelMsi.cmake, which reads the lines below with a regular
// expression: keep one row per line, each of three wide string literals (an
// empty name is the key's default value; backslashes doubled, no other
// escapes).
//
// Markers replaced when written: <module> the server's full path, <folder>
// the folder that holds it (ending in a backslash), <syskind> "win64" or
// "win32" as the server's bitness.
namespace ostrel::com {

struct ClassRegistryRow {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* value;
};

// clang-format off
inline constexpr ClassRegistryRow kClassRegistryRows[] = {
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}", L"", L"Ostrel.clsDWG"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\InprocServer32", L"", L"<module>"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\ProgID", L"", L"Ostrel.clsDWG.1"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\VersionIndependentProgID", L"", L"Ostrel.clsDWG"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\TypeLib", L"", L"{0748F626-498D-4072-B9C8-A6F629E5F57A}"},
    {L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\Version", L"", L"1.0"},
    {L"Ostrel.clsDWG.1", L"", L"Ostrel.clsDWG"},
    {L"Ostrel.clsDWG.1\\CLSID", L"", L"{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}"},
    {L"Ostrel.clsDWG", L"", L"Ostrel.clsDWG"},
    {L"Ostrel.clsDWG\\CLSID", L"", L"{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}"},
    {L"Ostrel.clsDWG\\CurVer", L"", L"Ostrel.clsDWG.1"},
    {L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}", L"", L"_clsDWG"},
    {L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}\\ProxyStubClsid", L"", L"{00020424-0000-0000-C000-000000000046}"},
    {L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}\\ProxyStubClsid32", L"", L"{00020424-0000-0000-C000-000000000046}"},
    {L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}\\TypeLib", L"", L"{0748F626-498D-4072-B9C8-A6F629E5F57A}"},
    {L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}\\TypeLib", L"Version", L"1.0"},
    {L"TypeLib\\{0748F626-498D-4072-B9C8-A6F629E5F57A}\\1.0", L"", L"Ostrel: survey export to CAD drawing"},
    {L"TypeLib\\{0748F626-498D-4072-B9C8-A6F629E5F57A}\\1.0\\FLAGS", L"", L"0"},
    {L"TypeLib\\{0748F626-498D-4072-B9C8-A6F629E5F57A}\\1.0\\0\\<syskind>", L"", L"<module>"},
    {L"TypeLib\\{0748F626-498D-4072-B9C8-A6F629E5F57A}\\1.0\\HELPDIR", L"", L"<folder>"},
};
// clang-format on

} // namespace ostrel::com
