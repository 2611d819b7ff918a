#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect/Dispatch.h"
#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

constexpr char kEmptyText[] = R"({"scrollStart":0.0,"interacting":false})";

std::vector<uint8_t> FlatBytes(const std::string& text) {
  std::vector<uint8_t> bytes(FlatSequenceData::RecordSize(text));
  FlatSequenceData::Write(bytes.data(), text);
  return bytes;
}

std::string TextOf(const std::vector<uint8_t>& flat) {
  return std::string(reinterpret_cast<const char*>(flat.data()) + 24);
}

PF_Err RunCmd(FakeHost& host, PF_Cmd cmd) {
  return DispatchCommand(cmd, &host.in, &host.out, host.params(), nullptr, nullptr);
}

// Runs `cmd` and moves the handed-out sequence data into in_data, as a host does.
PF_Err RunAndKeep(FakeHost& host, PF_Cmd cmd) {
  host.out.sequence_data = host.in.sequence_data;
  const PF_Err err = RunCmd(host, cmd);
  host.in.sequence_data = host.out.sequence_data;
  return err;
}

class SequenceCommands : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(host.OutstandingSuites(), 0);
    EXPECT_FALSE(host.AnyLocked());
    if (host.in.sequence_data) {
      SequenceSetdown(&host.in);
    }
    EXPECT_EQ(host.LiveHandleCount(), 0u);
  }
  FakeHost host;
};

TEST_F(SequenceCommands, SetupMakesEmptyLiveRecord) {
  ASSERT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_SETUP), PF_Err_NONE);
  ASSERT_NE(host.in.sequence_data, nullptr);
  EXPECT_EQ(host.Bytes(host.in.sequence_data).size(), sizeof(UnFlatSequenceData));
  UnFlatSequenceData* live = FindLiveRecord(&host.in);
  ASSERT_NE(live, nullptr);
  EXPECT_FALSE(live->layout);
  EXPECT_EQ(live->scrollStart, 0.0f);
}

TEST_F(SequenceCommands, SetupOutOfMemory) {
  host.failNewHandle = true;
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETUP), PF_Err_OUT_OF_MEMORY);
  host.failNewHandle = false;
  host.failLockHandle = true;
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETUP), PF_Err_OUT_OF_MEMORY);
}

TEST_F(SequenceCommands, FlattenEmptyRecordExactBytes) {
  RunAndKeep(host, PF_Cmd_SEQUENCE_SETUP);
  PF_Handle live = host.in.sequence_data;
  ASSERT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  EXPECT_FALSE(host.IsLive(live));
  EXPECT_EQ(host.Bytes(host.in.sequence_data), FlatBytes(kEmptyText));
}

TEST_F(SequenceCommands, FlattenOfNoRecordHandsNothingOut) {
  host.in.sequence_data = host.NewHandle(std::vector<uint8_t>(40, 7));
  host.out.sequence_data = nullptr;
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  EXPECT_EQ(host.out.sequence_data, nullptr);
}

TEST_F(SequenceCommands, FlattenFailureKeepsLiveState) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  PF_Handle live = host.in.sequence_data;
  host.failLockHandle = true;
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_INTERNAL_STRUCT_DAMAGED);
  host.failLockHandle = false;
  EXPECT_EQ(host.in.sequence_data, live);
  ASSERT_NE(FindLayout(&host.in), nullptr);
  EXPECT_EQ(host.LiveHandleCount(), 1u);  // the unlockable new handle was disposed of
}

TEST_F(SequenceCommands, ResetupRebuildsFlatRecord) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  FindLiveRecord(&host.in)->scrollStart = 42.0f;
  RunAndKeep(host, PF_Cmd_SEQUENCE_FLATTEN);
  PF_Handle flat = host.in.sequence_data;
  host.in.width = 640;
  host.in.height = 360;
  ASSERT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_FALSE(host.IsLive(flat));
  UnFlatSequenceData* live = FindLiveRecord(&host.in);
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->scrollStart, 42.0f);
  ASSERT_TRUE(live->layout);
  EXPECT_EQ(live->layout->index, 3);
  EXPECT_DOUBLE_EQ(live->layout->width, 640.0);
}

TEST_F(SequenceCommands, FlattenAndCopyWithoutDataAre512) {
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_INTERNAL_STRUCT_DAMAGED);
}

TEST_F(SequenceCommands, ResetupWithoutDataSetsUpAndOfLiveKeepsTheHandle) {
  EXPECT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  PF_Handle live = host.in.sequence_data;
  EXPECT_NE(FindLiveRecord(&host.in), nullptr);
  EXPECT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(host.in.sequence_data, live);
}

TEST_F(SequenceCommands, ResetupOutOfMemoryKeepsFlat) {
  host.in.sequence_data = host.NewHandle(FlatBytes(kEmptyText));
  PF_Handle flat = host.in.sequence_data;
  host.failNewHandle = true;
  EXPECT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  host.failNewHandle = false;
  EXPECT_EQ(host.in.sequence_data, flat);
  EXPECT_EQ(FindLiveRecord(&host.in), nullptr);  // a flat record reads as no layout
}

TEST_F(SequenceCommands, ResetupOfUnlockableFlatKeepsIt) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  RunAndKeep(host, PF_Cmd_SEQUENCE_FLATTEN);
  PF_Handle flat = host.in.sequence_data;
  host.unlockableHandles.insert(flat);
  EXPECT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  EXPECT_EQ(host.in.sequence_data, flat);  // not replaced by an empty record
  EXPECT_EQ(host.LiveHandleCount(), 1u);
  host.unlockableHandles.clear();
  ASSERT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  ASSERT_NE(FindLayout(&host.in), nullptr);
  EXPECT_EQ(FindLayout(&host.in)->index, 3);
}

TEST_F(SequenceCommands, ResetupNeverReadsTextLength) {
  const std::string text = R"({"scrollStart":5.0,"interacting":true})";
  for (uint8_t fill : {uint8_t(0), uint8_t(3), uint8_t(0xFF)}) {
    std::vector<uint8_t> bytes = FlatBytes(text);
    std::memset(bytes.data() + 16, fill, 8);  // a length too short, or far past the handle
    host.in.sequence_data = host.NewHandle(bytes);
    ASSERT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
    UnFlatSequenceData* live = FindLiveRecord(&host.in);
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live->scrollStart, 5.0f) << int(fill);
    EXPECT_TRUE(live->interacting) << int(fill);
    SequenceSetdown(&host.in);
    host.in.sequence_data = nullptr;
  }
}

TEST_F(SequenceCommands, ResetupOfUnterminatedTextStaysInHandle) {
  std::vector<uint8_t> bytes = FlatBytes(R"({"scrollStart":1.0,"interacting":true})");
  bytes.back() = '}';  // the NUL is gone; reading must stop at the handle's end
  host.in.sequence_data = host.NewHandle(bytes);
  EXPECT_EQ(RunAndKeep(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_NONE);
  ASSERT_NE(FindLiveRecord(&host.in), nullptr);
  EXPECT_FALSE(FindLiveRecord(&host.in)->interacting);  // "...}}" does not parse
}

TEST_F(SequenceCommands, FlattenedCopyLeavesInstanceLive) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  PF_Handle live = host.in.sequence_data;
  host.out.sequence_data = nullptr;
  ASSERT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
  PF_Handle copy = host.out.sequence_data;
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, live);
  EXPECT_NE(FindLayout(&host.in), nullptr);
  const std::vector<uint8_t> bytes = host.Bytes(copy);
  EXPECT_EQ(bytes[8], 1);
  EXPECT_NE(TextOf(bytes).find(R"("id":"3-1")"), std::string::npos);
  host.out.sequence_data = nullptr;
  SequenceSetdown(&host.in);     // the instance
  host.in.sequence_data = copy;  // then the host's copy
}

TEST_F(SequenceCommands, FlattenedCopyOfFlatIsByteCopy) {
  const std::vector<uint8_t> flat = FlatBytes(R"({"scrollStart":3.0,"interacting":false})");
  host.in.sequence_data = host.NewHandle(flat);
  host.out.sequence_data = nullptr;
  ASSERT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_NONE);
  ASSERT_NE(host.out.sequence_data, nullptr);
  EXPECT_NE(host.out.sequence_data, host.in.sequence_data);
  EXPECT_EQ(host.Bytes(host.out.sequence_data), flat);
  EXPECT_EQ(host.Bytes(host.in.sequence_data), flat);
  SequenceSetdown(&host.in);
  host.in.sequence_data = host.out.sequence_data;
}

TEST_F(SequenceCommands, FlattenedCopyFailuresAre512) {
  RunAndKeep(host, PF_Cmd_SEQUENCE_SETUP);
  host.out.sequence_data = nullptr;
  host.failLockHandle = true;
  EXPECT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_INTERNAL_STRUCT_DAMAGED);
  host.failLockHandle = false;
  host.failNewHandle = true;
  EXPECT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_INTERNAL_STRUCT_DAMAGED);
  host.failNewHandle = false;
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(host.LiveHandleCount(), 1u);
  EXPECT_NE(FindLiveRecord(&host.in), nullptr);
}

TEST_F(SequenceCommands, SetdownDisposesHandle) {
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETDOWN), PF_Err_NONE);
  EXPECT_EQ(host.LiveHandleCount(), 0u);  // the layout is freed too (LeakSanitizer checks)
  host.in.sequence_data = nullptr;
}

TEST_F(SequenceCommands, MissingHandleSuiteIs516) {
  host.missingSuites.insert(kPFHandleSuite);
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETUP), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_RESETUP), PF_Err_BAD_CALLBACK_PARAM);
  host.in.sequence_data = host.NewHandle(FlatBytes(kEmptyText));
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(RunCmd(host, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETDOWN), PF_Err_BAD_CALLBACK_PARAM);
  host.missingSuites.clear();
}

TEST_F(SequenceCommands, ForeignLiveRecordIsNoRecord) {
  RunAndKeep(host, PF_Cmd_SEQUENCE_SETUP);
  // A byte copy of a live record (as a file or a duplicate would hold) must not be used.
  PF_Handle copy = host.NewHandle(host.Bytes(host.in.sequence_data));
  PF_Handle own = host.in.sequence_data;
  host.in.sequence_data = copy;
  EXPECT_EQ(FindLiveRecord(&host.in), nullptr);
  host.out.sequence_data = nullptr;
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_FLATTEN), PF_Err_NONE);
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETDOWN), PF_Err_NONE);  // disposes without touching it
  host.in.sequence_data = own;
}

}  // namespace
}  // namespace Orvane::Mosaira
