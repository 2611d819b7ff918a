// Locale-independent reading of decimal numbers held in JSON strings (such as "0.5" for a coordinate).
#pragma once

#include <string_view>

namespace Orvane::Mosaira {

// Reads a decimal number the way the standard string-to-double conversion reads one in the C locale:
// leading white space is skipped, an optional sign is accepted, the longest decimal prefix is taken and
// the rest ignored. The current locale never matters ("0,5" reads as 0). Hexadecimal, "nan" and "inf"
// are not numbers here.
// Throws std::invalid_argument("invalid stod argument") when no number starts the text, and
// std::out_of_range("stod argument out of range") when the value does not fit a finite double.
double StringToDouble(std::string_view text);

}  // namespace Orvane::Mosaira
