#pragma once
// Self-registration of the server under HKEY_CLASSES_ROOT: the rows of
// class_registry_rows.h (the class with InprocServer32 and ThreadingModel
// Apartment, its ProgIDs, the interface, the type library), which the MSI
// writes as well, then the system's registration of the type library.
#include <windows.h>

#include <string>

namespace ostrel::com {

// Registers the module at modulePath. On failure whatever was written is
// removed again and the error is returned.
HRESULT RegisterServer(const std::wstring& modulePath);

// Removes the class, the ProgIDs that name our class and the type library.
// Entries already absent are not an error.
HRESULT UnregisterServer();

} // namespace ostrel::com
