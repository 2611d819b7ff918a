// The host's handles and suites: exact sizes, lock counts, poisoning, the leak report, misuse and
// the fault injection the effect's fault sweeps rely on.
#include "host/HandleTable.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/SuiteTable.h"

namespace Orvane::Mosaira {
namespace {

TEST(HandleTable, ExactSizeZeroFilledAndNestedLocks) {
  HandleTable table;
  for (A_long size : {0, 37}) {
    PF_Handle h = table.New(size);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(table.Size(h), size);
    EXPECT_EQ(table.Bytes(h), std::vector<uint8_t>(size_t(size), 0));
    void* p = table.Lock(h);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(table.Lock(h), p);
    EXPECT_EQ(table.LockCount(h), 2);
    EXPECT_TRUE(table.Unlock(h) && table.Unlock(h));
    EXPECT_TRUE(table.LockedHandles().empty());
    EXPECT_TRUE(table.Dispose(h));
  }
  PF_Handle h = table.NewFrom({1, 2, 3});
  EXPECT_EQ(table.Bytes(h), (std::vector<uint8_t>{1, 2, 3}));
  table.Dispose(h);
  EXPECT_EQ(table.New(HandleTable::kMaxHandleBytes + 1), nullptr);
  EXPECT_TRUE(table.LiveHandles().empty());
  EXPECT_TRUE(table.TakeMisuse().empty());
}

TEST(HandleTable, MisuseIsRefusedAndRecorded) {
  HandleTable table;
  PF_Handle h = table.New(16);
  std::memset(table.Lock(h), 0x11, 16);
  table.Unlock(h);
  EXPECT_FALSE(table.Unlock(h));  // 1: not locked
  void* bogus[1] = {nullptr};
  EXPECT_EQ(table.Lock(bogus), nullptr);    // 2
  EXPECT_EQ(table.Lock(nullptr), nullptr);  // 3
  EXPECT_TRUE(table.Dispose(h));
  EXPECT_FALSE(table.IsLive(h));
  EXPECT_EQ(table.Size(h), -1);
  EXPECT_EQ(table.Lock(h), nullptr);     // 4
  EXPECT_FALSE(table.Dispose(h));        // 5
  EXPECT_FALSE(table.Dispose(nullptr));  // 6
  PF_Handle locked = table.New(4);
  table.Lock(locked);
  EXPECT_TRUE(table.Dispose(locked));  // 7: done, but misuse
  EXPECT_EQ(table.TakeMisuse().size(), 7u);
  EXPECT_TRUE(table.TakeMisuse().empty());
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
  EXPECT_LT(leaks[0].serial, leaks[1].serial);
}

TEST(HandleTable, NthNewOrLockFailsOnceAllNewUntilTurnedOff) {
  HandleTable table;
  table.FailNew(1);
  EXPECT_NE(table.New(1), nullptr);
  EXPECT_EQ(table.New(1), nullptr);
  PF_Handle h = table.New(1);
  EXPECT_NE(h, nullptr);
  EXPECT_EQ(table.NewCalls(), 3u);
  EXPECT_EQ(table.LiveHandles().size(), 2u);
  table.FailAllNew(true);
  EXPECT_EQ(table.New(1), nullptr);
  EXPECT_EQ(table.New(1), nullptr);
  table.FailAllNew(false);
  EXPECT_NE(table.New(1), nullptr);
  table.FailLock(0);
  EXPECT_EQ(table.Lock(h), nullptr);
  EXPECT_EQ(table.LockCount(h), 0);
  EXPECT_NE(table.Lock(h), nullptr);
  EXPECT_EQ(table.LockCalls(), 2u);
}

const int kTableA = 1;
const int kTableB = 2;

TEST(SuiteTable, ByNameAndVersionWithBalance) {
  SuiteTable t;
  t.Add("PF Handle Suite", 2, &kTableA);
  t.Add("PF Handle Suite", 1, &kTableB);
  EXPECT_EQ(t.Acquire("PF Handle Suite", 2), &kTableA);
  EXPECT_EQ(t.Acquire("PF Handle Suite", 1), &kTableB);
  EXPECT_EQ(t.Acquire("PF Handle Suite", 3), nullptr);
  EXPECT_EQ(t.Acquire("PF Handle", 2), nullptr);
  EXPECT_EQ(t.Unbalanced().size(), 2u);
  t.Release("PF Handle Suite", 2);
  t.Release("PF Handle Suite", 1);
  EXPECT_TRUE(t.Unbalanced().empty());
  EXPECT_FALSE(t.Release("PF Handle Suite", 1));
  EXPECT_FALSE(t.Release("Unknown", 1));
  EXPECT_EQ(t.TakeMisuse().size(), 2u);
}

TEST(SuiteTable, MissingAndNthFailureAreRefusedAndNotCounted) {
  SuiteTable t;
  t.Add("S", 1, &kTableA);
  t.SetMissing("S", 1, true);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  t.SetMissing("S", 1, false);
  t.SetAllMissing(true);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  t.SetAllMissing(false);
  EXPECT_EQ(t.AcquireCount("S", 1), 0u);
  t.FailAcquire(1);  // the second acquisition from now
  EXPECT_NE(t.Acquire("S", 1), nullptr);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  EXPECT_NE(t.Acquire("S", 1), nullptr);
  EXPECT_EQ(t.AcquireCalls(), 5u);
  EXPECT_EQ(t.AcquireCount("S", 1), 2u);
}

}  // namespace
}  // namespace Orvane::Mosaira
