// How often a command goes to the host for its suites: a command acquires each suite it needs
// once and hands it down, however many parameters it touches.
#include <gtest/gtest.h>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::kLayouts31;

class HostCallCount : public testing::PluginTest {
 protected:
  // Suite acquisitions made while `change` runs.
  template <typename Change>
  uint64_t Acquisitions(Change change) {
    const uint64_t before = host.Suites().AcquireCalls();
    change();
    return host.Suites().AcquireCalls() - before;
  }
};

// Loading a layout clears the keyframes of 87 parameters, and a point change reads 24 points and
// 9 sliders back: each command acquires the suites it needs once, not once per parameter.
TEST_F(HostCallCount, EachCommandAcquiresEachSuiteOnce) {
  const uint64_t layout =
      Acquisitions([&] { EXPECT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE); });
  EXPECT_LE(layout, 8u);
  const uint64_t point = Acquisitions(
      [&] { EXPECT_EQ(host.SetPointPx(id, kParamPointFirst, 700, 300), PF_Err_NONE); });
  EXPECT_LE(point, 2u);
}

}  // namespace
}  // namespace Orvane::Mosaira
