#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "effect/SequenceData.h"
#include "layout/GridLayoutModel.h"

namespace Orvane::Mosaira {
namespace {

constexpr char kEmptyText[] = R"({"scrollStart":0.0,"interacting":false})";

// Three frames: a top band over two bottom frames split at sliding point P7.
constexpr char kLayout31Json[] = R"({"id":"3-1","frames":[
  {"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","P6","P5"]},{"id":"F2","polygon":["P5","P7","P8","LEFT_BOTTOM"]},
  {"id":"F3","polygon":["P7","P6","RIGHT_BOTTOM","P8"]}],
  "points":[{"id":"P5","x":0,"y":0.5},{"id":"P6","x":1,"y":0.5},{"id":"P7","scalar":0.5,"vector":"V1"},
  {"id":"P8","x":0.5,"y":1}],"vectors":[{"end":"P6","id":"V1","start":"P5"}]})";

std::unique_ptr<GridLayoutModel> MakeLayout(double width, double height, int32_t index) {
  rapidjson::Document doc;
  doc.Parse(kLayout31Json);
  return std::make_unique<GridLayoutModel>(doc, LayoutSize{width, height}, index);
}

// What fromJson reads of the command: the layer size.
PF_InData InData(A_long width = 1920, A_long height = 1080) {
  PF_InData in{};
  in.width = width;
  in.height = height;
  return in;
}

// A live record in properly aligned storage, destroyed with its layout at the end.
struct LiveRecord {
  alignas(UnFlatSequenceData) unsigned char storage[sizeof(UnFlatSequenceData)];
  UnFlatSequenceData* record = CreateLiveRecord(storage);
  ~LiveRecord() { DestroyLiveRecord(record); }
};

void FromText(UnFlatSequenceData& record, const std::string& text, const PF_InData& in = InData()) {
  record.fromJson(&in, text.data(), text.size());
}

TEST(SequenceJson, ScrollAndFlagWrittenNonFiniteAsZero) {
  LiveRecord live;
  std::string text;
  live.record->toJson(text);
  EXPECT_EQ(text, kEmptyText);
  for (float bad : {std::nanf(""), std::numeric_limits<float>::infinity()}) {
    live.record->scrollStart = bad;
    live.record->toJson(text);
    EXPECT_EQ(text, kEmptyText);
  }
  live.record->scrollStart = 12.5f;
  live.record->interacting = true;
  live.record->toJson(text);
  EXPECT_EQ(text, R"({"scrollStart":12.5,"interacting":true})");
}

TEST(SequenceJson, MembersOfWrongTypeOrRangeIgnored) {
  LiveRecord live;
  FromText(*live.record, R"({"scrollStart":"5","interacting":1,"layout":[]})");
  EXPECT_EQ(live.record->scrollStart, 0.0f);
  EXPECT_FALSE(live.record->interacting);
  EXPECT_FALSE(live.record->layout);
  FromText(*live.record, R"({"scrollStart":1e300,"interacting":true})");
  EXPECT_EQ(live.record->scrollStart, 0.0f);
  EXPECT_TRUE(live.record->interacting);
}

TEST(SequenceJson, BadTextGivesNoLayout) {
  const std::string layoutText = std::string(R"({"layout":)") + kLayout31Json + "}";
  for (const std::string& text : {std::string(), std::string("[1,2]"), layoutText + " x",
                                  std::string("{\"layout\":{"), std::string(200000, '[')}) {
    LiveRecord live;
    live.record->layout = MakeLayout(100, 100, 0);
    live.record->scrollStart = 3.0f;
    FromText(*live.record, text);
    EXPECT_FALSE(live.record->layout) << text.substr(0, 40);
    EXPECT_EQ(live.record->scrollStart, 0.0f);
  }
  LiveRecord good;
  FromText(*good.record, layoutText);
  EXPECT_TRUE(good.record->layout);
}

TEST(SequenceJson, UnreadableCoordinateGivesNoLayout) {
  LiveRecord live;
  const std::string text =
      R"({"scrollStart":2.0,"layout":{"points":[{"id":"P1","x":"abc","y":0.5}]}})";
  EXPECT_NO_THROW(FromText(*live.record, text));
  EXPECT_FALSE(live.record->layout);
  EXPECT_EQ(live.record->scrollStart, 2.0f);
}

TEST(SequenceJson, ReadsNoFurtherThanLength) {
  LiveRecord live;
  const std::string text = R"({"scrollStart":4.0,"interacting":true})";
  // The length ends the text before its closing brace: not a complete object.
  const PF_InData in = InData();
  live.record->fromJson(&in, text.data(), text.size() - 1);
  EXPECT_FALSE(live.record->interacting);
  // A NUL inside the length ends it too.
  std::string withNul = text + std::string(1, '\0') + "garbage";
  live.record->fromJson(&in, withNul.data(), withNul.size());
  EXPECT_TRUE(live.record->interacting);
  EXPECT_EQ(live.record->scrollStart, 4.0f);
}

// The flat record is a saved format: a 24-byte header (flat flag at 8, text length with its NUL at
// 16), the text and its NUL. One with no room for a text is no record.
TEST(FlatRecord, ExactBytes) {
  const std::string text = kEmptyText;
  std::vector<uint8_t> bytes(FlatSequenceData::RecordSize(text), 0xAB);
  ASSERT_EQ(bytes.size(), 64u);
  FlatSequenceData::Write(bytes.data(), text);
  std::vector<uint8_t> header(24, 0);
  header[8] = 1;
  header[16] = 40;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 24), header);
  EXPECT_EQ(std::memcmp(bytes.data() + 24, text.data(), text.size()), 0);
  EXPECT_EQ(bytes[63], 0);
  EXPECT_EQ(ClassifyRecord(bytes.data(), 24), RecordKind::kNone);
}

TEST(ClassifyRecord, ByteCopyOfLiveOrDamagedBytesAreNone) {
  LiveRecord live;
  alignas(UnFlatSequenceData) unsigned char copy[sizeof(UnFlatSequenceData)];
  std::memcpy(copy, live.storage, sizeof copy);
  EXPECT_EQ(ClassifyRecord(copy, sizeof copy), RecordKind::kNone);
  std::vector<uint8_t> bytes(64, 0);
  for (uint8_t kind : {2, 0xFF}) {
    bytes[8] = kind;
    EXPECT_EQ(ClassifyRecord(bytes.data(), bytes.size()), RecordKind::kNone) << int(kind);
  }
  bytes[8] = 0;  // claims live, but zero bytes carry no valid stamp
  EXPECT_EQ(ClassifyRecord(bytes.data(), sizeof(UnFlatSequenceData)), RecordKind::kNone);
  EXPECT_EQ(ClassifyRecord(bytes.data(), 5), RecordKind::kNone);
  EXPECT_EQ(ClassifyRecord(nullptr, 64), RecordKind::kNone);
}

}  // namespace
}  // namespace Orvane::Mosaira
