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

}  // namespace Orvane::Mosaira
