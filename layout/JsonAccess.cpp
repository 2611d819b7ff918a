#include "layout/JsonAccess.h"

#include <cstring>

namespace Orvane::Mosaira::detail {

const JsonValue* FindMember(const JsonValue& object, const char* key) {
  if (!object.IsObject()) {
    return nullptr;
  }
  const auto it = object.FindMember(key);
  return it == object.MemberEnd() ? nullptr : &it->value;
}

const JsonValue* FindArray(const JsonValue& object, const char* key) {
  const JsonValue* member = FindMember(object, key);
  return member != nullptr && member->IsArray() ? member : nullptr;
}

bool ReadString(const JsonValue& object, const char* key, std::string& out) {
  const JsonValue* member = FindMember(object, key);
  if (member == nullptr || !member->IsString()) {
    return false;
  }
  out = StringOf(*member);
  return true;
}

bool ReadInt32(const JsonValue& object, const char* key, int32_t& out) {
  const JsonValue* member = FindMember(object, key);
  // IsInt() holds only for numbers parsed without fraction or exponent that fit 32 bits; a
  // programmatically set double never counts.
  if (member == nullptr || !member->IsInt()) {
    return false;
  }
  out = member->GetInt();
  return true;
}

bool ReadBool(const JsonValue& object, const char* key, bool& out) {
  const JsonValue* member = FindMember(object, key);
  if (member == nullptr || !member->IsBool()) {
    return false;
  }
  out = member->GetBool();
  return true;
}

std::string StringOf(const JsonValue& value) {
  return std::string(value.GetString(), value.GetStringLength());
}

void WriteString(JsonWriter& writer, const std::string& text) {
  writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void WriteKey(JsonWriter& writer, const char* key) {
  writer.Key(key, static_cast<rapidjson::SizeType>(std::strlen(key)));
}

}  // namespace Orvane::Mosaira::detail
