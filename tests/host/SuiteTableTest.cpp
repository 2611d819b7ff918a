#include "host/SuiteTable.h"

#include <gtest/gtest.h>

namespace Orvane::Mosaira {
namespace {

const int kTableA = 1;
const int kTableB = 2;

TEST(SuiteTableAcquire, ByNameAndVersion) {
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
}

TEST(SuiteTableRelease, WithoutAcquireIsMisuse) {
  SuiteTable t;
  t.Add("S", 1, &kTableA);
  EXPECT_FALSE(t.Release("S", 1));
  EXPECT_FALSE(t.Release("Unknown", 1));
  EXPECT_EQ(t.TakeMisuse().size(), 2u);
  EXPECT_TRUE(t.TakeMisuse().empty());
}

TEST(SuiteTableFaults, MissingSuiteIsRefusedAndNotCounted) {
  SuiteTable t;
  t.Add("S", 1, &kTableA);
  t.SetMissing("S", 1, true);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  EXPECT_EQ(t.AcquireCount("S", 1), 0u);
  EXPECT_TRUE(t.Unbalanced().empty());
  t.SetMissing("S", 1, false);
  EXPECT_EQ(t.Acquire("S", 1), &kTableA);
  t.Release("S", 1);
}

TEST(SuiteTableFaults, AllMissingAndNthFailure) {
  SuiteTable t;
  t.Add("S", 1, &kTableA);
  t.SetAllMissing(true);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  t.SetAllMissing(false);
  t.FailAcquire(1);
  EXPECT_NE(t.Acquire("S", 1), nullptr);
  EXPECT_EQ(t.Acquire("S", 1), nullptr);
  EXPECT_NE(t.Acquire("S", 1), nullptr);
  EXPECT_EQ(t.AcquireCalls(), 4u);
  EXPECT_EQ(t.AcquireCount("S", 1), 2u);
}

}  // namespace
}  // namespace Orvane::Mosaira
