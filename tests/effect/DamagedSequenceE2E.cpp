// Instances whose sequence data is damaged or was saved from an empty layer, driven through the
// simulated host: the user can work again, and no save loses a reshaped layout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::kLayouts31;

std::string FlattenedText(SimulatedHost& host, InstanceId id) {
  if (host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA) != PF_Err_NONE) return {};
  const std::vector<uint8_t>& copy = host.LastFlattenedCopy();
  return copy.size() > 24 ? std::string(reinterpret_cast<const char*>(copy.data()) + 24) : "";
}

class DamagedSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadPlugin(host);
    id = host.AddInstance(640, 480);
    ASSERT_NE(id, kNoInstance);
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(host.Handles().LiveHandles().empty());
  }
  // The instance's bytes become something that is no record (a damaged project).
  void Damage() {
    PF_Handle handle = host.SequenceHandle(id);
    std::memset(*handle, 0x5A, size_t(host.Handles().Size(handle)));
    ASSERT_EQ(FlattenedText(host, id), "");
  }
  void Save() {
    std::string error;
    const std::string path = ::testing::TempDir() + "tiletta_damaged_" + std::to_string(getpid()) + ".proj";
    ASSERT_TRUE(host.SaveProject(path, &error)) << error;
    std::remove(path.c_str());
  }

  SimulatedHost host;
  InstanceId id = kNoInstance;
};

TEST_F(DamagedSequence, ResetupStartsAFreshRecord) {
  Damage();
  Save();  // flatten leaves the bytes, re-set-up replaces them
  EXPECT_EQ(FlattenedText(host, id), R"({"scrollStart":0.0,"interacting":false})");
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  EXPECT_NE(FlattenedText(host, id).find(R"("id":"3-1")"), std::string::npos);
}

TEST_F(DamagedSequence, LayoutChoiceStartsAFreshRecord) {
  Damage();
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  EXPECT_NE(FlattenedText(host, id).find(R"("id":"3-1")"), std::string::npos);
  EXPECT_FALSE(host.Stream(id, kParamPointFirst).Hidden());
}

// Saved while the layer is empty (0 x 0), a reshaped layout is written back as it was, and comes
// back at the layer's next real size.
TEST_F(DamagedSequence, EmptyLayerKeepsTheReshapedLayoutThroughSaves) {
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  ASSERT_EQ(host.SetPointPx(id, kParamPointFirst + 6, 100.0, 300.0), PF_Err_NONE);
  const std::string reshaped = FlattenedText(host, id);
  ASSERT_NE(reshaped.find(R"("x":0.15625,"y":0.625)"), std::string::npos) << reshaped;
  for (const auto& [w, h] : {std::pair<A_long, A_long>{0, 0}, {640, 0}}) {
    ASSERT_TRUE(host.SetLayerSize(id, w, h));
    Save();
    Save();
    ASSERT_EQ(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
    EXPECT_EQ(FlattenedText(host, id), reshaped) << w << " x " << h;
  }
  ASSERT_TRUE(host.SetLayerSize(id, 640, 480));
  ASSERT_EQ(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
  EXPECT_EQ(FlattenedText(host, id), reshaped);
  const PF_PointDef moved = host.Stream(id, kParamPointFirst + 6).StaticValue().td;
  EXPECT_EQ(moved.x_value, 100 << 16);
  EXPECT_EQ(moved.y_value, 300 << 16);
}

}  // namespace
}  // namespace Orvane::Mosaira
