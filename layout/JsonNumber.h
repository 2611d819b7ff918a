// Number output for layout JSON.
//
// RapidJSON's own Writer::Double does not always pick the shortest digits, and it writes a broken token
// (a key with no value) for NaN and infinity. These helpers write the shortest decimal text that reads
// back as the same double, laid out as RapidJSON lays out doubles (always a decimal point or an exponent:
// "1.0", "0.33000001311302185", "1e30", "1.5e-7"), and never write a non-finite value.
#pragma once

#include <string>

#include "layout/LayoutJson.h"

namespace Orvane::Mosaira {

// Text of `value` as described above. NaN and infinities give "0.0".
std::string FormatJsonDouble(double value);

// Writes FormatJsonDouble(value) as one JSON number value. Returns the writer's success flag.
bool WriteJsonDouble(JsonWriter& writer, double value);

}  // namespace Orvane::Mosaira
