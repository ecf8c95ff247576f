#pragma once
// How a failed call reaches the host: an HRESULT, the thread's IErrorInfo
// (source "Ostrel.clsDWG", the conversion's message as description) and,
// for IDispatch::Invoke, an EXCEPINFO.
#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <string_view>

#include "ostrel/errors.h"

namespace ostrel::com {

// Conversion errors travel as FACILITY_CONTROL codes, 0x800A0000 + the
// error's number, which Visual Basic hosts show as Err.Number = that number
// (53 file not found, 62 input past end of file, 1000 toolkit failure ...).
HRESULT ConversionErrorResult(ErrorCode code);

// A call the server refuses before converting (error 5, "Invalid procedure
// call or argument", to Visual Basic hosts).
HRESULT InvalidArgumentResult();

// Sets the thread's error object and returns hr.
HRESULT ReportError(HRESULT hr, std::string_view description);

// Turns the exception in flight into a reported error. Call only inside a
// catch block.
HRESULT ReportCurrentException();

// Fills an EXCEPINFO for DISP_E_EXCEPTION from the thread's error object
// (which it leaves set), or from hr alone when there is none.
void FillExcepInfo(EXCEPINFO& info, HRESULT hr);

} // namespace ostrel::com
