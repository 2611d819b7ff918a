#include "host/HandleTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Orvane::Mosaira {
namespace {

TEST(HandleTableNew, ExactSizeZeroFilledAndUnlocked) {
  HandleTable table;
  PF_Handle h = table.New(37);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(table.Size(h), 37);
  EXPECT_EQ(table.LockCount(h), 0);
  const auto bytes = table.Bytes(h);
  EXPECT_EQ(bytes, std::vector<uint8_t>(37, 0));
  EXPECT_TRUE(table.Dispose(h));
  h = table.NewFrom({1, 2, 3});
  EXPECT_EQ(table.Bytes(h), (std::vector<uint8_t>{1, 2, 3}));
  table.Dispose(h);
}

TEST(HandleTableNew, ZeroSizeIsAValidHandle) {
  HandleTable table;
  PF_Handle h = table.New(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(table.Size(h), 0);
  EXPECT_NE(table.Lock(h), nullptr);
  EXPECT_TRUE(table.Unlock(h));
  EXPECT_TRUE(table.Dispose(h));
}

TEST(HandleTableNew, HugeSizeFails) {
  HandleTable table;
  EXPECT_EQ(table.New(HandleTable::kMaxHandleBytes + 1), nullptr);
  EXPECT_TRUE(table.LiveHandles().empty());
}

TEST(HandleTableLock, CountsNestedLocks) {
  HandleTable table;
  PF_Handle h = table.New(8);
  void* p = table.Lock(h);
  EXPECT_EQ(p, *h);
  EXPECT_EQ(table.Lock(h), p);
  EXPECT_EQ(table.LockCount(h), 2);
  EXPECT_EQ(table.LockedHandles().size(), 1u);
  table.Unlock(h);
  table.Unlock(h);
  EXPECT_TRUE(table.LockedHandles().empty());
  EXPECT_FALSE(table.Unlock(h));
  EXPECT_EQ(table.TakeMisuse().size(), 1u);
  table.Dispose(h);
}

TEST(HandleTableLock, UnknownHandleGivesNullAndIsRecorded) {
  HandleTable table;
  void* bogus[1] = {nullptr};
  EXPECT_EQ(table.Lock(bogus), nullptr);
  EXPECT_EQ(table.Lock(nullptr), nullptr);
  EXPECT_EQ(table.TakeMisuse().size(), 2u);
}

TEST(HandleTableDispose, PoisonsAndRefusesSecondDispose) {
  HandleTable table;
  PF_Handle h = table.New(16);
  std::memset(table.Lock(h), 0x11, 16);
  table.Unlock(h);
  EXPECT_TRUE(table.Dispose(h));
  EXPECT_FALSE(table.IsLive(h));
  EXPECT_EQ(table.Size(h), -1);
  EXPECT_EQ(table.Lock(h), nullptr);
  EXPECT_FALSE(table.Dispose(h));
  EXPECT_FALSE(table.Dispose(nullptr));
  EXPECT_EQ(table.TakeMisuse().size(), 3u);
#if !defined(__SANITIZE_ADDRESS__)
  // The stale master pointer still leads to the poisoned block.
  EXPECT_EQ(static_cast<uint8_t*>(*h)[0], HandleTable::kPoisonByte);
#endif
}

TEST(HandleTableDispose, LockedDisposeIsMisuseButDone) {
  HandleTable table;
  PF_Handle h = table.New(4);
  table.Lock(h);
  EXPECT_TRUE(table.Dispose(h));
  EXPECT_EQ(table.TakeMisuse().size(), 1u);
  EXPECT_TRUE(table.LiveHandles().empty());
}

TEST(HandleTableLeaks, ReportsLiveHandlesOldestFirst) {
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

TEST(HandleTableFaults, NthNewFailsOnceAllNewFailUntilTurnedOff) {
  HandleTable table;
  table.FailNew(1);
  PF_Handle a = table.New(1);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(table.New(1), nullptr);
  PF_Handle c = table.New(1);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(table.NewCalls(), 3u);
  EXPECT_EQ(table.LiveHandles().size(), 2u);
  table.FailAllNew(true);
  EXPECT_EQ(table.New(1), nullptr);
  EXPECT_EQ(table.New(1), nullptr);
  table.FailAllNew(false);
  EXPECT_NE(table.New(1), nullptr);
}

TEST(HandleTableFaults, NthLockFailsWithoutCounting) {
  HandleTable table;
  PF_Handle h = table.New(1);
  table.FailLock(0);
  EXPECT_EQ(table.Lock(h), nullptr);
  EXPECT_EQ(table.LockCount(h), 0);
  EXPECT_NE(table.Lock(h), nullptr);
  EXPECT_EQ(table.LockCalls(), 2u);
  table.Unlock(h);
}

}  // namespace
}  // namespace Orvane::Mosaira
