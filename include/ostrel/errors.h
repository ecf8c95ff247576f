#pragma once
// Errors that end a conversion call.
#include <stdexcept>
#include <string>

#include "ostrel/export.h"

namespace ostrel {

// Codes follow the runtime errors the conversion can raise.
enum class ErrorCode : int {
    Overflow = 6,            // a count or code beyond its 16- or 32-bit range
    SubscriptOutOfRange = 9, // a fixed list ran over
    TypeMismatch = 13,       // a strict number conversion failed
    EndOfFile = 62,          // a read past the end of the export
    FileNotFound = 53,
    Toolkit = 1000,          // a drawing toolkit operation failed
    Library = 1001,          // the toolkit could not be initialised
    Internal = 1002,
};

class OSTREL_API ConversionError : public std::runtime_error {
public:
    ConversionError(ErrorCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ErrorCode code() const noexcept { return code_; }

private:
    ErrorCode code_;
};

} // namespace ostrel
