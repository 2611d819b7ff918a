// The host's own guards that no plug-in test can see fail: handle misuse, poisoning and the leak
// report, the fault injection the plug-in's fault sweeps rely on, the property-resource reader
// given damaged bytes, and keyframed values (the plug-in only ever deletes keyframes).
#include "host/HandleTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "effect/PiplBytes.h"
#include "host/ParamStream.h"
#include "host/Pipl.h"
#include "host/SuiteTable.h"

namespace Orvane::Mosaira {
namespace {

TEST(HandleTable, MisuseIsRefusedRecordedAndPoisoned) {
  HandleTable table;
  PF_Handle h = table.New(16);
  EXPECT_EQ(table.Bytes(h), std::vector<uint8_t>(16, 0));
  void* p = table.Lock(h);
  EXPECT_EQ(table.Lock(h), p);
  EXPECT_EQ(table.LockCount(h), 2);
  std::memset(p, 0x11, 16);
  EXPECT_TRUE(table.Unlock(h) && table.Unlock(h));
  EXPECT_FALSE(table.Unlock(h));  // 1: not locked
  void* bogus[1] = {nullptr};
  EXPECT_EQ(table.Lock(bogus), nullptr);  // 2
  EXPECT_TRUE(table.Dispose(h));
  EXPECT_EQ(table.Size(h), -1);
  EXPECT_EQ(table.Lock(h), nullptr);  // 3
  EXPECT_FALSE(table.Dispose(h));     // 4
  PF_Handle locked = table.New(4);
  table.Lock(locked);
  EXPECT_TRUE(table.Dispose(locked));  // 5: done, but misuse
  EXPECT_EQ(table.TakeMisuse().size(), 5u);
  EXPECT_EQ(table.New(HandleTable::kMaxHandleBytes + 1), nullptr);
#if !defined(__SANITIZE_ADDRESS__)
  // The stale master pointer still leads to the poisoned block.
  EXPECT_EQ(static_cast<uint8_t*>(*h)[0], HandleTable::kPoisonByte);
#endif
}

TEST(HandleTable, LeakReportIsOldestFirst) {
  HandleTable table;
  PF_Handle a = table.New(1);
  PF_Handle b = table.New(2);
  PF_Handle c = table.New(3);
  table.Dispose(b);
  const auto leaks = table.LiveHandles();
  ASSERT_EQ(leaks.size(), 2u);
  EXPECT_EQ(leaks[0].handle, a);
  EXPECT_EQ(leaks[1].handle, c);
  EXPECT_EQ(leaks[1].sizeBytes, 3u);
}

const int kTable = 1;

// The n-th call from now fails once; "all" fails until turned off; failed calls are not counted.
TEST(HostFaultInjection, NthCallFailsOnceAllUntilTurnedOff) {
  HandleTable handles;
  handles.FailNew(1);
  EXPECT_NE(handles.New(1), nullptr);
  EXPECT_EQ(handles.New(1), nullptr);
  PF_Handle h = handles.New(1);
  EXPECT_NE(h, nullptr);
  EXPECT_EQ(handles.NewCalls(), 3u);
  handles.FailAllNew(true);
  EXPECT_EQ(handles.New(1), nullptr);
  handles.FailAllNew(false);
  handles.FailLock(0);
  EXPECT_EQ(handles.Lock(h), nullptr);
  EXPECT_EQ(handles.LockCount(h), 0);
  EXPECT_NE(handles.Lock(h), nullptr);

  SuiteTable suites;
  suites.Add("S", 1, &kTable);
  suites.SetMissing("S", 1, true);
  EXPECT_EQ(suites.Acquire("S", 1), nullptr);
  suites.SetMissing("S", 1, false);
  suites.FailAcquire(1);
  EXPECT_NE(suites.Acquire("S", 1), nullptr);
  EXPECT_EQ(suites.Acquire("S", 1), nullptr);
  EXPECT_EQ(suites.Acquire("S", 2), nullptr);  // no such version
  EXPECT_EQ(suites.AcquireCount("S", 1), 1u);
  suites.Release("S", 1);
  EXPECT_FALSE(suites.Release("S", 1));
  EXPECT_EQ(suites.TakeMisuse().size(), 1u);
}

TEST(PiplParse, EveryTruncationOfTheRealResourceIsRefused) {
  const std::vector<uint8_t> full(kPiplBytes.begin(), kPiplBytes.end());
  PiplInfo info;
  ASSERT_EQ(ParsePipl(full, &info), PiplError::kNone);
  for (size_t n = 0; n < full.size(); ++n) {
    EXPECT_NE(ParsePipl(std::vector<uint8_t>(full.begin(), full.begin() + n), &info), PiplError::kNone) << n;
  }
}

// Held before the first key and after the last, interpolated in between (halves away from zero);
// the value of the last key deleted stays.
TEST(ParamStreamKeyframes, HoldOutsideAndInterpolateInside) {
  PF_ParamDef def{};
  def.param_type = PF_Param_POINT;
  def.u.td.x_value = 7;
  ParamStream s(def);
  PF_ParamDefUnion a{}, b{};
  b.td.x_value = 101;
  s.AddKeyframe(1.0, a);
  s.AddKeyframe(3.0, b);
  for (const auto& [seconds, x] : {std::pair<double, PF_Fixed>{0.0, 0}, {1.5, 25}, {2.0, 51}, {4.0, 101}}) {
    EXPECT_EQ(s.ValueAt(seconds).td.x_value, x) << seconds;
  }
  EXPECT_FALSE(s.DeleteKeyframe(2));
  EXPECT_TRUE(s.DeleteKeyframe(0) && s.DeleteKeyframe(0));
  EXPECT_EQ(s.ValueAt(0.0).td.x_value, 101);
}

}  // namespace
}  // namespace Orvane::Mosaira
