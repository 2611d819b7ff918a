// Checked member access for the lenient layout JSON reader, and string output for the writer.
// A member counts only when the value is an object, the member is present and it has the expected type.
#pragma once

#include <cstdint>
#include <string>

#include "layout/LayoutJson.h"

namespace Orvane::Mosaira::detail {

// The first member named `key` of `object`, or null when `object` is no object or has no such member.
const JsonValue* FindMember(const JsonValue& object, const char* key);

// The member when it is an array, else null.
const JsonValue* FindArray(const JsonValue& object, const char* key);

// Each Read* stores the member into `out` and returns true when it is present and of the type; else it
// leaves `out` alone and returns false. An integer counts only when written without fraction or
// exponent and within the signed 32-bit range.
bool ReadString(const JsonValue& object, const char* key, std::string& out);
bool ReadInt32(const JsonValue& object, const char* key, int32_t& out);
bool ReadBool(const JsonValue& object, const char* key, bool& out);

// The string value of `value`, which must be a string.
std::string StringOf(const JsonValue& value);

// Writes `text` (any bytes, embedded NULs included) as a JSON string, or as a key.
void WriteString(JsonWriter& writer, const std::string& text);
void WriteKey(JsonWriter& writer, const char* key);

}  // namespace Orvane::Mosaira::detail
