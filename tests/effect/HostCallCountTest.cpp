// How often a command goes to the host for its suites: a command acquires each suite it needs
// once and hands it down, however many parameters it touches.
#include <gtest/gtest.h>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::kLayouts31;

class HostCallCount : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadPlugin(host);
    id = host.AddInstance(1920, 1080);
    ASSERT_NE(id, kNoInstance);
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty());
  }

  // Suite acquisitions made while `change` runs.
  template <typename Change>
  uint64_t Acquisitions(Change change) {
    const uint64_t before = host.Suites().AcquireCalls();
    change();
    return host.Suites().AcquireCalls() - before;
  }

  SimulatedHost host;
  InstanceId id = kNoInstance;
};

// Loading a layout clears the keyframes of 87 parameters; the suites for that are acquired once.
TEST_F(HostCallCount, LayoutChangeAcquiresEachSuiteOnce) {
  const uint64_t n =
      Acquisitions([&] { EXPECT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE); });
  EXPECT_LE(n, 8u);
}

// Reading 24 points and 9 sliders back needs no suite at all.
TEST_F(HostCallCount, PointChangeAcquiresNoSuitePerPoint) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const uint64_t n = Acquisitions(
      [&] { EXPECT_EQ(host.SetPointPx(id, kParamPointFirst, 700, 300), PF_Err_NONE); });
  EXPECT_LE(n, 2u);
}

}  // namespace
}  // namespace Orvane::Mosaira
