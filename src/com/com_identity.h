#pragma once
// The COM identity of the library: identifiers and names that hosts and the
// registry see. The interface declaration comes from the type library's IDL
// (Ostrel_h.h is generated from Ostrel.idl at build time).
#include <windows.h>
#include <ole2.h>

#include "Ostrel_h.h"

namespace ostrel::com {

// {0748F626-498D-4072-B9C8-A6F629E5F57A}
inline constexpr GUID kLibraryId = {0x0748F626, 0x498D, 0x4072, {0xB9, 0xC8, 0xA6, 0xF6, 0x29, 0xE5, 0xF5, 0x7A}};
// {6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}
inline constexpr GUID kClassId = {0x6C114C4A, 0xB3B3, 0x40D0, {0xB2, 0xC1, 0x2D, 0xA1, 0x39, 0x19, 0xFC, 0x4C}};
// {A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}
inline constexpr GUID kInterfaceId = {0xA0E9A14A, 0x0ACF, 0x4765, {0x8A, 0x32, 0x5B, 0x14, 0x4D, 0x3C, 0x68, 0xB1}};

inline constexpr const wchar_t* kLibraryIdText = L"{0748F626-498D-4072-B9C8-A6F629E5F57A}";
inline constexpr const wchar_t* kClassIdText = L"{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}";

inline constexpr WORD kLibraryMajor = 1;
inline constexpr WORD kLibraryMinor = 0;

inline constexpr const wchar_t* kProgId = L"Ostrel.clsDWG.1";
inline constexpr const wchar_t* kVersionIndependentProgId = L"Ostrel.clsDWG";
// The source named in the errors a failed call reports.
inline constexpr const wchar_t* kErrorSource = L"Ostrel.clsDWG";

// The dispatch identifiers of the default interface, as declared in the IDL.
inline constexpr DISPID kDispIdSaveAsDWG = 0x60030000;
inline constexpr unsigned kSaveAsDWGArgumentCount = 2;

} // namespace ostrel::com
