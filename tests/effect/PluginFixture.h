// A simulated host with the plug-in library loaded, for end-to-end tests through EntryPointFunc.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "host/SimulatedHost.h"

namespace Orvane::Mosaira::testing {

inline constexpr char kPluginPath[] = TILETTA_PLUGIN_PATH;
inline constexpr A_long kLayouts31 = 2 + 12;  // "3-1" is built-in layout 12

// Loads the plug-in into `host`; fails the test when it cannot.
inline void LoadPlugin(SimulatedHost& host) {
  std::string error;
  ASSERT_TRUE(host.LoadPlugin(kPluginPath, &error)) << error;
}

// The points of point parameters 5 .. 5 + count - 1 as (x, y) in 16.16, in a set.
inline std::set<std::pair<A_long, A_long>> PointValues(SimulatedHost& host, InstanceId id,
                                                       int count) {
  std::set<std::pair<A_long, A_long>> values;
  for (int i = 0; i < count; ++i) {
    const PF_PointDef& p = host.Stream(id, 5 + i).StaticValue().td;
    values.insert({p.x_value, p.y_value});
  }
  return values;
}

// The point parameter among 5 .. 5 + count - 1 that holds (x, y) in whole layer pixels; -1 when none.
inline int PointParamAt(SimulatedHost& host, InstanceId id, A_long x, A_long y, int count = 7) {
  for (int p = 5; p < 5 + count; ++p) {
    const PF_PointDef& v = host.Stream(id, p).StaticValue().td;
    if (v.x_value == x * 65536 && v.y_value == y * 65536) return p;
  }
  return -1;
}

// The text of the instance's flattened record (past its 24-byte header); empty when there is none.
inline std::string FlattenedText(SimulatedHost& host, InstanceId id) {
  if (host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA) != PF_Err_NONE) return {};
  const std::vector<uint8_t>& copy = host.LastFlattenedCopy();
  return copy.size() > 24 ? std::string(reinterpret_cast<const char*>(copy.data()) + 24) : "";
}

// The plug-in loaded with one 1920 x 1080 instance; at the end the host is shut down and must
// report no broken rule and no live handle.
class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadPlugin(host);
    id = host.AddInstance(1920, 1080);
    ASSERT_NE(id, kNoInstance);
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(host.Handles().LiveHandles().empty());
  }
  SimulatedHost host;
  InstanceId id = kNoInstance;
};

}  // namespace Orvane::Mosaira::testing
