#include "tools/tiletta/StoredLayout.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include "effect/ParamIndices.h"
#include "effect/SequenceData.h"
#include "layout/DecimalString.h"
#include "layout/LayoutRegistry.h"
#include "layout/SinglePrecision.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Cli {
namespace {

// A flattened record read as the front end needs it: the parsed text, or why there is none.
struct FlatRecord {
  rapidjson::Document doc;
  std::string damage;  // empty when `doc` is the record's JSON object
};

void ReadFlatRecord(const std::vector<uint8_t>& bytes, bool present, FlatRecord* record) {
  if (!present) {
    record->damage = "its sequence data is missing";
    return;
  }
  if (bytes.size() <= FlatSequenceData::kHeaderSize || bytes[FlatSequenceData::kIsFlatOffset] != 1) {
    record->damage = "its sequence data (" + std::to_string(bytes.size()) + " bytes) is no record the plug-in reads";
    return;
  }
  const char* text = reinterpret_cast<const char*>(bytes.data()) + FlatSequenceData::kHeaderSize;
  const size_t length = strnlen(text, bytes.size() - FlatSequenceData::kHeaderSize);
  if (!ParseOwnJson(&record->doc, text, length) || !record->doc.IsObject()) {
    record->damage = "the text of its sequence data is no JSON object";
  }
}

// The record's "layout" object, or null.
const JsonValue* LayoutOf(const FlatRecord& record) {
  if (!record.damage.empty()) return nullptr;
  const auto member = record.doc.FindMember("layout");
  return member != record.doc.MemberEnd() && member->value.IsObject() ? &member->value : nullptr;
}

std::string IdOf(const JsonValue& layout) {
  const auto id = layout.FindMember("id");
  const bool named = id != layout.MemberEnd() && id->value.IsString() && id->value.GetStringLength() > 0;
  return named ? id->value.GetString() : "(unnamed)";
}

// The built-in layout "Layouts" chooses in the stored stream (its value, or else its first
// keyframe that chooses one); empty when it chooses none.
std::string ChosenLayout(const ProjectInstance& stored) {
  if (stored.streams.size() <= size_t(kParamLayouts)) return "";
  const ProjectStream& s = stored.streams[kParamLayouts];
  std::vector<A_long> choices{s.value.pd.value};
  for (const Keyframe& k : s.keyframes) choices.push_back(k.value.pd.value);
  const auto& ids = LayoutRegistry::instance().layoutIds;
  for (const A_long choice : choices) {
    if (choice < kLayoutsFirstLayout) continue;
    const size_t index = size_t(choice - kLayoutsFirstLayout);
    return index < ids.size() ? ids[index].id : "value " + std::to_string(choice);
  }
  return "";
}

// A coordinate as PointModel reads it: a number, or a decimal string; false when it reads as no
// number at all (its text then in *shown).
bool CoordinateValue(const JsonValue& v, double* value, std::string* shown) {
  if (v.IsNumber()) {
    *value = v.GetDouble();
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", *value);
    *shown = text;
    return true;
  }
  *shown = std::string("\"") + v.GetString() + "\"";
  try {
    *value = StringToDouble(v.GetString());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Why the coordinate `v` cannot be used across `extent` pixels; empty when it can.
std::string CoordinateDamage(const JsonValue& v, double extent, const LayoutSize& size) {
  double value = 0;
  std::string shown;
  if (!CoordinateValue(v, &value, &shown)) return shown + " is not a number";
  const float single = detail::ToSingle(value);
  if (std::isfinite(single) && std::isfinite(detail::ToSingle(double(single) * extent))) return "";
  char at[48];
  std::snprintf(at, sizeof at, "%gx%g", size.width, size.height);
  return shown + " is beyond what a layout can hold at " + at;
}

}  // namespace

std::string BadCoordinate(const JsonValue& layout, LayoutSize size) {
  const auto points = layout.FindMember("points");
  if (points == layout.MemberEnd() || !points->value.IsArray()) return "";
  for (rapidjson::SizeType i = 0; i < points->value.Size(); ++i) {
    const JsonValue& p = points->value[i];
    if (!p.IsObject()) continue;
    const auto id = p.FindMember("id");
    const std::string name =
        id != p.MemberEnd() && id->value.IsString() ? std::string(" (\"") + id->value.GetString() + "\")" : "";
    for (const char* key : {"x", "y"}) {
      const auto v = p.FindMember(key);
      if (v == p.MemberEnd() || !(v->value.IsNumber() || v->value.IsString())) continue;
      const std::string why = CoordinateDamage(v->value, key[0] == 'x' ? size.width : size.height, size);
      if (!why.empty()) return "points[" + std::to_string(i) + "]" + name + " \"" + key + "\": " + why;
    }
    // A sliding point's fraction is held in single precision, as read.
    const auto scalar = p.FindMember("scalar");
    if (scalar != p.MemberEnd() && scalar->value.IsNumber() &&
        !std::isfinite(detail::ToSingle(scalar->value.GetDouble()))) {
      char shown[40];
      std::snprintf(shown, sizeof shown, "%.17g", scalar->value.GetDouble());
      return "points[" + std::to_string(i) + "]" + name + " \"scalar\": " + shown + " is beyond what a layout can hold";
    }
  }
  return "";
}

// The plug-in's own copy of the instance's record (PF_Cmd_GET_FLATTENED_SEQUENCE_DATA).
void ReadHeldRecord(SimulatedHost& host, InstanceId id, FlatRecord* record) {
  const PF_Err err = host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA);
  if (err != PF_Err_NONE) {
    throw RenderError("copying the instance's sequence data failed with error " + std::to_string(err));
  }
  ReadFlatRecord(host.LastFlattenedCopy(), !host.LastFlattenedCopy().empty(), record);
}

std::string HeldLayoutId(SimulatedHost& host, InstanceId id) {
  FlatRecord record;
  ReadHeldRecord(host, id, &record);
  const JsonValue* layout = LayoutOf(record);
  return layout != nullptr ? IdOf(*layout) : "";
}

namespace {

rapidjson::SizeType ArraySize(const JsonValue& layout, const char* key) {
  const auto member = layout.FindMember(key);
  return member != layout.MemberEnd() && member->value.IsArray() ? member->value.Size() : 0;
}

// What of the stored layout the rebuilt one lacks: elements the plug-in dropped (a repeated id
// keeps only its first), or frames, without which nothing is drawn. Empty when nothing is lost.
std::string LostParts(const JsonValue& stored, const JsonValue& held) {
  for (const char* key : {"points", "vectors", "moveButtons", "frames"}) {
    const rapidjson::SizeType listed = ArraySize(stored, key), kept = ArraySize(held, key);
    if (kept < listed) {
      return "it lists " + std::to_string(listed) + " \"" + key + "\" but only " + std::to_string(kept) +
             " can be rebuilt (an id is repeated or unreadable)";
    }
  }
  if (ArraySize(held, "frames") == 0) return "it has no \"frames\" to draw";
  return "";
}

}  // namespace

void CheckLayoutKept(SimulatedHost& host, InstanceId id, const ProjectInstance& stored, int number,
                     const std::string& path) {
  FlatRecord record, held;
  ReadFlatRecord(stored.sequenceData, stored.hasSequenceData, &record);
  const JsonValue* layout = LayoutOf(record);
  const std::string chosen = ChosenLayout(stored);
  if (layout == nullptr && chosen.empty()) return;
  ReadHeldRecord(host, id, &held);
  const JsonValue* rebuilt = LayoutOf(held);
  std::string what = "instance " + std::to_string(number);
  if (rebuilt != nullptr) {
    const std::string lost = layout != nullptr ? LostParts(*layout, *rebuilt) : "";
    if (lost.empty()) return;
    what += ": its stored layout \"" + IdOf(*layout) + "\" cannot be rebuilt whole: " + lost;
  } else if (layout != nullptr) {
    const HostInstance& opened = host.Instance(id);
    const std::string where = BadCoordinate(*layout, {double(opened.width), double(opened.height)});
    what += ": its stored layout \"" + IdOf(*layout) + "\" cannot be rebuilt" + (where.empty() ? "" : ": " + where);
  } else {
    what += " has \"Layouts\" set to " + chosen + ", but " +
            (record.damage.empty() ? "its sequence data holds no layout" : record.damage);
  }
  throw InputError("cannot open " + path + ": " + what + " (the project is left as it was)");
}

}  // namespace Orvane::Mosaira::Cli
