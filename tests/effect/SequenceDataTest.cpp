#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "effect/SequenceData.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

constexpr char kEmptyText[] = R"({"scrollStart":0.0,"interacting":false})";

// A live record in properly aligned storage, destroyed with its layout at the end.
struct LiveRecord {
  alignas(UnFlatSequenceData) unsigned char storage[sizeof(UnFlatSequenceData)];
  UnFlatSequenceData* record = CreateLiveRecord(storage);
  ~LiveRecord() { DestroyLiveRecord(record); }
};

void FromText(FakeHost& host, UnFlatSequenceData& record, const std::string& text) {
  record.fromJson(&host.in, text.data(), text.size());
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

TEST(SequenceJson, LayoutRoundTripAtAnotherSize) {
  FakeHost host;
  LiveRecord saved;
  saved.record->layout = testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 7);
  saved.record->layout->movePoint("P5", 0, -270);
  std::string text;
  saved.record->toJson(text);
  ASSERT_NE(text.find(R"("layout":{)"), std::string::npos);

  host.in.width = 960;
  host.in.height = 540;
  LiveRecord restored;
  FromText(host, *restored.record, text);
  ASSERT_TRUE(restored.record->layout);
  const GridLayoutModel& layout = *restored.record->layout;
  EXPECT_EQ(layout.index, 7);
  EXPECT_EQ(layout.id, "3-1");
  EXPECT_DOUBLE_EQ(layout.width, 960.0);
  const PointPosition p5 = layout.findPointCopy("P5")->getPosition();
  EXPECT_DOUBLE_EQ(p5.y, 135.0);  // a quarter of the new height, as it was of the old
  EXPECT_EQ(layout.frames.size(), 3u);
}

TEST(SequenceJson, ZeroLayerSizeStillWritesValidJson) {
  LiveRecord live;
  live.record->layout = testing::MakeLayout(testing::kLayout31Json, 0, 0, 1);
  std::string text;
  live.record->toJson(text);
  rapidjson::Document doc;
  doc.Parse(text.c_str());
  EXPECT_FALSE(doc.HasParseError()) << text;
  EXPECT_TRUE(doc.IsObject());
}

TEST(SequenceJson, MembersOfWrongTypeOrRangeIgnored) {
  FakeHost host;
  LiveRecord live;
  FromText(host, *live.record, R"({"scrollStart":"5","interacting":1,"layout":[]})");
  EXPECT_EQ(live.record->scrollStart, 0.0f);
  EXPECT_FALSE(live.record->interacting);
  EXPECT_FALSE(live.record->layout);
  FromText(host, *live.record, R"({"scrollStart":1e300,"interacting":true})");
  EXPECT_EQ(live.record->scrollStart, 0.0f);
  EXPECT_TRUE(live.record->interacting);
}

TEST(SequenceJson, BadTextGivesNoLayout) {
  FakeHost host;
  const std::string layoutText = std::string(R"({"layout":)") + testing::kLayout31Json + "}";
  for (const std::string& text : {std::string(), std::string("[1,2]"), layoutText + " x",
                                  std::string("{\"layout\":{"), std::string(200000, '[')}) {
    LiveRecord live;
    live.record->layout = testing::MakeLayout(testing::kLayout31Json, 100, 100, 0);
    live.record->scrollStart = 3.0f;
    FromText(host, *live.record, text);
    EXPECT_FALSE(live.record->layout) << text.substr(0, 40);
    EXPECT_EQ(live.record->scrollStart, 0.0f);
  }
  LiveRecord good;
  FromText(host, *good.record, layoutText);
  EXPECT_TRUE(good.record->layout);
}

TEST(SequenceJson, UnreadableCoordinateGivesNoLayout) {
  FakeHost host;
  LiveRecord live;
  const std::string text =
      R"({"scrollStart":2.0,"layout":{"points":[{"id":"P1","x":"abc","y":0.5}]}})";
  EXPECT_NO_THROW(FromText(host, *live.record, text));
  EXPECT_FALSE(live.record->layout);
  EXPECT_EQ(live.record->scrollStart, 2.0f);
}

TEST(SequenceJson, ReadsNoFurtherThanLength) {
  FakeHost host;
  LiveRecord live;
  const std::string text = R"({"scrollStart":4.0,"interacting":true})";
  // The length ends the text before its closing brace: not a complete object.
  live.record->fromJson(&host.in, text.data(), text.size() - 1);
  EXPECT_FALSE(live.record->interacting);
  // A NUL inside the length ends it too.
  std::string withNul = text + std::string(1, '\0') + "garbage";
  live.record->fromJson(&host.in, withNul.data(), withNul.size());
  EXPECT_TRUE(live.record->interacting);
  EXPECT_EQ(live.record->scrollStart, 4.0f);
}

TEST(FlatRecord, ExactBytes) {
  const std::string text = kEmptyText;
  std::vector<uint8_t> bytes(FlatSequenceData::RecordSize(text), 0xAB);
  ASSERT_EQ(bytes.size(), 64u);
  FlatSequenceData::Write(bytes.data(), text);
  std::vector<uint8_t> header(24, 0);
  header[8] = 1;    // flat
  header[16] = 40;  // text length with its NUL
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 24), header);
  EXPECT_EQ(std::memcmp(bytes.data() + 24, text.data(), text.size()), 0);
  EXPECT_EQ(bytes[63], 0);
}

TEST(ClassifyRecord, FlatAndOwnLive) {
  std::vector<uint8_t> bytes(64, 0);
  FlatSequenceData::Write(bytes.data(), kEmptyText);
  EXPECT_EQ(ClassifyRecord(bytes.data(), bytes.size()), RecordKind::kFlat);
  EXPECT_EQ(ClassifyRecord(bytes.data(), 24), RecordKind::kNone);  // no room for a text
  LiveRecord live;
  EXPECT_EQ(ClassifyRecord(live.record, sizeof(UnFlatSequenceData)), RecordKind::kLive);
  EXPECT_EQ(ClassifyRecord(live.record, sizeof(UnFlatSequenceData) + 8), RecordKind::kNone);
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
