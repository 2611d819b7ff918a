// The RapidJSON types the layout model reads from and writes to.
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace Orvane::Mosaira {

// A read-only JSON value as parsed by rapidjson::Document (UTF-8, pool allocator).
using JsonValue = rapidjson::Value;

// The compact writer into a string buffer that every toJson writes through.
using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

// Parses `length` bytes of `text` (iteratively, so deep nesting cannot exhaust the stack) with
// every number read exactly: a number the writer wrote reads back as the very same double, read
// locale-free and correctly rounded. A number beyond the range of a double, like any text that is
// not JSON, fails the whole parse: false, with the document left null.
bool ParseOwnJson(rapidjson::Document* doc, const char* text, size_t length);

}  // namespace Orvane::Mosaira
