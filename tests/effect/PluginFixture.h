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

}  // namespace Orvane::Mosaira::testing
