#pragma once
// The arguments of an IDispatch::Invoke call as late-bound hosts pass them.
// VB6 and VBScript pass variables by reference: a VARIANT of type
// VT_BYREF|VT_VARIANT wrapping the variable, or VT_BYREF|VT_BSTR; literals
// and expressions come by value. All of them are accepted for a string
// parameter.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace ostrel::com {

// Puts the argument for each of the `count` parameters (in declaration
// order) into args[0..count-1], positional and named arguments alike. Every
// parameter is required. Fails with DISP_E_BADPARAMCOUNT when the number of
// arguments differs, DISP_E_PARAMNOTFOUND (and *argError = index into
// rgvarg) for an unknown or repeated named argument.
HRESULT CollectArguments(const DISPPARAMS& params, unsigned count, const VARIANT* args[], UINT* argError);

// The text of a string argument: a BSTR by value or by reference, a variant
// by reference holding one, or anything VariantChangeType turns into a BSTR
// (numbers, dates, Empty). Null, arrays and objects without a value fail with
// DISP_E_TYPEMISMATCH. *lossy tells whether characters outside the ANSI code
// page were replaced.
HRESULT ArgumentText(const VARIANT& arg, std::string& text, bool* lossy = nullptr);

} // namespace ostrel::com
