#pragma once
// Text crossing the COM boundary: BSTRs (UTF-16) to and from the library's
// narrow strings, which are in the ANSI code page like every path the
// library hands to the Windows A-functions.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace ostrel::com {

// The BSTR's whole length (embedded NULs kept); a null BSTR is empty.
// Characters the code page cannot hold become its default character, and
// *lossy (when given) tells whether that happened.
std::string NarrowFromBstr(BSTR text, bool* lossy = nullptr);
std::string NarrowFromWide(std::wstring_view text, bool* lossy = nullptr);
std::wstring WideFromNarrow(std::string_view text);

// A new BSTR for the caller to free; nullptr when out of memory.
BSTR BstrFromNarrow(std::string_view text);

} // namespace ostrel::com
