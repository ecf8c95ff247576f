#pragma once
// The strict conversion of a whole field to a number (the trim record's
// coordinates), unlike the lenient leading-number scan of the record reader.
#include <string_view>

namespace ostrel {

// The whole text must be one number: optional blanks around it, an optional
// sign, digits with at most one "." (the decimal separator is always "."),
// and optionally an exponent introduced by E or D with its own sign.
// Throws ConversionError(TypeMismatch) for an empty or non-numeric text and
// ConversionError(Overflow) for a number beyond the range of a double; what
// names the field in the message. A number too small for a double is 0.
double StrictNumber(std::string_view text, std::string_view what);

} // namespace ostrel
