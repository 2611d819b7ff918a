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

// Parse flags of every reader of our own JSON (layout JSON, sequence data): iterative, so deep
// nesting cannot exhaust the stack, and full precision, so that every number reads back as the
// very double the writer wrote.
inline constexpr unsigned kOwnJsonParseFlags =
    rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag;

// Parses `length` bytes of `text` with kOwnJsonParseFlags; the document's parse error tells failure.
inline void ParseOwnJson(rapidjson::Document* doc, const char* text, size_t length) {
  doc->Parse<kOwnJsonParseFlags>(text, length);
}

}  // namespace Orvane::Mosaira
