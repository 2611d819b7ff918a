#include "effect/SequenceData.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <random>

#include "layout/JsonNumber.h"

namespace Orvane::Mosaira {
namespace {

// A key that differs between processes and between loads of the library, so a live record's bytes
// copied from elsewhere (a byte copy, a file, an earlier load) never pass as this process's own.
uintptr_t ProcessKey() {
  static const uintptr_t key = [] {
    uintptr_t k =
        static_cast<uintptr_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
      std::random_device device;
      k ^= (static_cast<uintptr_t>(device()) << 32) ^ device();
    } catch (...) {
      // No entropy source: the clock alone still tells loads apart.
    }
    return k | 1u;
  }();
  return key;
}

uintptr_t StampFor(const void* record) {
  return ProcessKey() ^ reinterpret_cast<uintptr_t>(record);
}

// Narrowing a double outside float's range is undefined, so such values are refused.
bool ToFiniteFloat(double value, float* out) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return false;
  *out = static_cast<float>(value);
  return std::isfinite(*out);
}

// Writes the layout object into its own buffer and keeps it only when it is one valid JSON
// value, so a layout that cannot be written never damages the record's text.
bool LayoutJsonText(const GridLayoutModel& layout, std::string* text) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  layout.toJson(writer);
  if (!writer.IsComplete()) return false;
  rapidjson::Document check;
  if (!ParseOwnJson(&check, buffer.GetString(), buffer.GetSize()) || !check.IsObject()) return false;
  text->assign(buffer.GetString(), buffer.GetSize());
  return true;
}

// The layer size of the command, or false when a layout cannot be built at it (an empty layer).
bool UsableLayerSize(const PF_InData* inData, LayoutSize* size) {
  if (!inData || inData->width <= 0 || inData->height <= 0) return false;
  *size = {static_cast<double>(inData->width), static_cast<double>(inData->height)};
  return true;
}

// Writes numbers with the layout writer's shortest digits, so that layout text read and written
// again keeps the digits it had.
class LayoutTextWriter : public JsonWriter {
 public:
  using JsonWriter::JsonWriter;
  bool Double(double value) { return WriteJsonDouble(*this, value); }
};

// The JSON text of one value, written back as read.
std::string JsonText(const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  LayoutTextWriter writer(buffer);
  value.Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

// The layout built from `json` at `size`, or null when it cannot be built (a bad coordinate
// string, no memory): nothing may escape re-set-up with a handle locked.
std::unique_ptr<GridLayoutModel> BuildLayout(const rapidjson::Value& json, LayoutSize size) {
  try {
    return std::make_unique<GridLayoutModel>(json, size, -1);
  } catch (...) {
    return nullptr;
  }
}

uint64_t HandleSize(const PF_InData* inData) {
  const PF_UtilCallbacks* utils = inData->utils;
  if (!utils || !utils->host_get_handle_size) return 0;
  return utils->host_get_handle_size(inData->sequence_data);
}

}  // namespace

UnFlatSequenceData::UnFlatSequenceData() : SequenceDataBase(false), stamp_(StampFor(this)) {}

bool UnFlatSequenceData::releaseLayout() {
  ReplaceLayout(nullptr);
  return true;
}

size_t UnFlatSequenceData::StampOffset() {
  // The layout of a class with virtual functions is the compiler's; measure it once on a record.
  static const size_t offset = [] {
    alignas(UnFlatSequenceData) unsigned char storage[sizeof(UnFlatSequenceData)];
    UnFlatSequenceData* probe = CreateLiveRecord(storage);
    const size_t at =
        static_cast<size_t>(reinterpret_cast<unsigned char*>(&probe->stamp_) - storage);
    DestroyLiveRecord(probe);
    return at;
  }();
  return offset;
}

bool UnFlatSequenceData::IsOwnRecord(const void* bytes) {
  uintptr_t stamp = 0;
  std::memcpy(&stamp, static_cast<const unsigned char*>(bytes) + StampOffset(), sizeof stamp);
  return stamp == StampFor(bytes);
}

void UnFlatSequenceData::toJson(std::string& text) const {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("scrollStart");
  // A non-finite number has no JSON form; writing it would make the whole text unreadable.
  writer.Double(std::isfinite(scrollStart) ? static_cast<double>(scrollStart) : 0.0);
  writer.Key("interacting");
  writer.Bool(interacting);
  // A record holds either a layout or the text of one still waiting for a layer size.
  std::string layoutText = pendingLayout_;
  if (layout && !LayoutJsonText(*layout, &layoutText)) layoutText.clear();
  if (!layoutText.empty()) {
    writer.Key("layout");
    writer.RawValue(layoutText.data(), layoutText.size(), rapidjson::kObjectType);
  }
  writer.EndObject();
  text.assign(buffer.GetString(), buffer.GetSize());
}

void UnFlatSequenceData::fromJson(const PF_InData* inData, const char* text, size_t length) {
  ReplaceLayout(nullptr);
  scrollStart = 0.0f;
  if (!text) return;
  length = strnlen(text, length);

  rapidjson::Document doc;
  if (!ParseOwnJson(&doc, text, length) || !doc.IsObject()) return;

  auto member = doc.FindMember("layout");
  if (member != doc.MemberEnd() && member->value.IsObject()) {
    LayoutSize size;
    if (UsableLayerSize(inData, &size)) {
      layout = BuildLayout(member->value, size);
      layoutSizeUnsettled = layout != nullptr;
    } else {
      // Built at 0 x 0 every position would be written back as 0: keep the text for a real size.
      pendingLayout_ = JsonText(member->value);
    }
  }
  member = doc.FindMember("scrollStart");
  float scroll = 0.0f;
  if (member != doc.MemberEnd() && member->value.IsNumber() &&
      ToFiniteFloat(member->value.GetDouble(), &scroll)) {
    scrollStart = scroll;
  }
  member = doc.FindMember("interacting");
  if (member != doc.MemberEnd() && member->value.IsBool()) interacting = member->value.GetBool();
}

GridLayoutModel* UnFlatSequenceData::LayoutFor(const PF_InData* inData) {
  LayoutSize size;
  if (!UsableLayerSize(inData, &size)) return layout.get();
  if (layout) {
    ResizeLayout(size);
    return layout.get();
  }
  if (pendingLayout_.empty()) return nullptr;
  rapidjson::Document doc;
  const bool parsed = ParseOwnJson(&doc, pendingLayout_.data(), pendingLayout_.size());
  pendingLayout_.clear();
  if (!parsed || !doc.IsObject()) return nullptr;
  layout = BuildLayout(doc, size);
  layoutSizeUnsettled = layout != nullptr;
  return layout.get();
}

void UnFlatSequenceData::ResizeLayout(LayoutSize size) {
  if (layout->width == size.width && layout->height == size.height) return;
  // A layout made on an empty layer has no shape to scale: it stays as it was made.
  if (!(layout->width > 0.0 && layout->height > 0.0)) return;
  std::unique_ptr<GridLayoutModel> resized;
  try {
    resized = LayoutAtSize(*layout, size);
  } catch (...) {
    // A coordinate the new size cannot hold: handled as a layout that cannot be rebuilt.
  }
  if (!resized) return;  // the layout stays, drawn scaled by the render as before
  // Parameters still to be told their size by the first reading keep waiting for it; others
  // were written at the layout's size, unless an earlier resize noted theirs.
  const bool known = pointParamsSize.width > 0.0 && pointParamsSize.height > 0.0;
  if (!layoutSizeUnsettled && !known) pointParamsSize = LayoutSize{layout->width, layout->height};
  layout = std::move(resized);
}

void UnFlatSequenceData::ReplaceLayout(std::unique_ptr<GridLayoutModel> fresh) {
  layout = std::move(fresh);
  pendingLayout_.clear();
  layoutSizeUnsettled = false;
  pointParamsSize = LayoutSize{};
}

void FlatSequenceData::Write(void* dest, const std::string& text) {
  auto* bytes = static_cast<unsigned char*>(dest);
  std::memset(bytes, 0, kHeaderSize);
  bytes[kIsFlatOffset] = 1;
  const uint64_t textLength = text.size() + 1;
  for (size_t i = 0; i < 8; ++i) {
    bytes[kTextLengthOffset + i] = static_cast<unsigned char>(textLength >> (8 * i));
  }
  std::memcpy(bytes + kHeaderSize, text.data(), text.size());
  bytes[kHeaderSize + text.size()] = 0;
}

UnFlatSequenceData* CreateLiveRecord(void* bytes) {
  return new (bytes) UnFlatSequenceData();
}

void DestroyLiveRecord(UnFlatSequenceData* record) noexcept {
  if (!record) return;
  record->releaseLayout();
  record->~UnFlatSequenceData();
}

RecordKind ClassifyRecord(const void* bytes, uint64_t size) {
  if (!bytes || size <= FlatSequenceData::kIsFlatOffset) return RecordKind::kNone;
  const auto flag = static_cast<const unsigned char*>(bytes)[FlatSequenceData::kIsFlatOffset];
  if (flag == 1) {
    return size > FlatSequenceData::kHeaderSize ? RecordKind::kFlat : RecordKind::kNone;
  }
  if (flag != 0 || size != sizeof(UnFlatSequenceData)) return RecordKind::kNone;
  return UnFlatSequenceData::IsOwnRecord(bytes) ? RecordKind::kLive : RecordKind::kNone;
}

UnFlatSequenceData* FindLiveRecord(const PF_InData* inData) {
  if (!inData || !inData->sequence_data) return nullptr;
  void* bytes = *inData->sequence_data;
  if (ClassifyRecord(bytes, HandleSize(inData)) != RecordKind::kLive) return nullptr;
  return static_cast<UnFlatSequenceData*>(bytes);
}

}  // namespace Orvane::Mosaira
