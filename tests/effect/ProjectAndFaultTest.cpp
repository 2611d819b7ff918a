#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "effect/ParamIndices.h"
#include "host/ProjectFile.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

using testing::kLayouts31;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + name + "_" + std::to_string(getpid());
}

std::string FlatText(const std::vector<uint8_t>& flat) {
  if (flat.size() <= 24) return {};
  return std::string(reinterpret_cast<const char*>(flat.data()) + 24);
}

// True when the layout in `text` has a point at (fx, fy) in fractions of its size.
bool HasPointAt(const std::string& text, double fx, double fy) {
  rapidjson::Document doc;
  doc.Parse(text.c_str());
  if (!doc.IsObject() || !doc.HasMember("layout") || !doc["layout"]["points"].IsArray())
    return false;
  for (const auto& point : doc["layout"]["points"].GetArray()) {
    if (!point.HasMember("x") || !point.HasMember("y")) continue;
    if (std::fabs(point["x"].GetDouble() - fx) < 1e-6 &&
        std::fabs(point["y"].GetDouble() - fy) < 1e-6) {
      return true;
    }
  }
  return false;
}

// Opens `path` in a new host of this (child) process and checks the restored layout; exits 0
// when everything holds.
[[noreturn]] void OpenInFreshProcess(const std::string& path, double fx, double fy) {
  int code = 0;
  {
    SimulatedHost host;
    std::string error;
    if (!host.LoadPlugin(testing::kPluginPath, &error) || !host.OpenProject(path, &error)) {
      std::cerr << "open failed: " << error << "\n";
      code = 1;
    } else {
      const InstanceId id = host.Instances().front();
      host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA);
      const std::string text = FlatText(host.LastFlattenedCopy());
      if (text.find(R"("index":12,"id":"3-1")") == std::string::npos || !HasPointAt(text, fx, fy)) {
        std::cerr << "restored layout differs: " << text << "\n";
        code = 2;
      }
      if (host.Instance(id).width != 960) code = 3;
    }
    host.Shutdown();
    if (!host.Violations().empty()) {
      std::cerr << host.Violations().front() << "\n";
      code = 4;
    }
  }
  std::exit(code);
}

TEST(ProjectRoundTrip, Reshaped31RestoredAtAnotherSizeInFreshProcess) {
  // The child starts afresh (exec), not as a fork of a process with the driver's threads running.
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  SimulatedHost host;
  testing::LoadPlugin(host);
  const InstanceId id = host.AddInstance(1920, 1080);
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  // Move whichever free point is P8 (bottom middle) to (700, 1080): along the bottom edge.
  int p8 = -1;
  for (int p = kParamPointFirst; p < kParamPointFirst + 7; ++p) {
    const PF_PointDef& v = host.Stream(id, p).StaticValue().td;
    if (v.x_value == 960 << 16 && v.y_value == 1080 << 16) p8 = p;
  }
  ASSERT_NE(p8, -1);
  ASSERT_EQ(host.SetPointPx(id, p8, 700.0, 1080.0), PF_Err_NONE);

  const std::string saved = TempPath("tiletta_roundtrip.proj");
  const std::string resized = saved + ".small";
  std::string error;
  ASSERT_TRUE(host.SaveProject(saved, &error)) << error;
  host.Shutdown();
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();

  Project project;
  ASSERT_TRUE(ReadProjectFile(saved, SimulatedHost::kMaxLayerSide, &project, &error)) << error;
  ASSERT_EQ(project.instances.size(), 1u);
  EXPECT_NE(FlatText(project.instances[0].sequenceData).find(R"("id":"3-1")"), std::string::npos);
  project.instances[0].width = 960;
  project.instances[0].height = 540;
  ASSERT_TRUE(WriteProjectFile(resized, project, &error)) << error;

  EXPECT_EXIT(OpenInFreshProcess(resized, 700.0 / 1920.0, 1.0), ::testing::ExitedWithCode(0), "");
  std::remove(saved.c_str());
  std::remove(resized.c_str());
}

TEST(ProjectRoundTrip, EmptyInstanceReopensWithoutLayout) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  host.AddInstance(640, 480);
  const std::string path = TempPath("tiletta_empty.proj");
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  Project project;
  ASSERT_TRUE(ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &project, &error)) << error;
  ASSERT_EQ(project.instances[0].sequenceData.size(), 64u);
  EXPECT_EQ(FlatText(project.instances[0].sequenceData),
            R"({"scrollStart":0.0,"interacting":false})");
  host.Shutdown();

  SimulatedHost other;
  testing::LoadPlugin(other);
  ASSERT_TRUE(other.OpenProject(path, &error)) << error;
  const InstanceId id = other.Instances().front();
  EXPECT_EQ(other.Handles().Size(other.SequenceHandle(id)), other.SequenceBytes(id).size());
  other.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA);
  EXPECT_EQ(other.LastFlattenedCopy().size(), 64u);
  other.Shutdown();
  EXPECT_TRUE(other.Violations().empty()) << other.Violations().front();
  std::remove(path.c_str());
}

// A whole user session: set-up, loading "3-1", a point change, the update command, a flattened
// copy, a duplicate, a project save and its opening, the about box and removal. Results may be
// errors; the host's invariants must hold after every command and nothing may leak.
void RunSession(SimulatedHost& host) {
  const InstanceId id = host.AddInstance(800, 600);
  if (id != kNoInstance) {
    host.SetPopup(id, kParamLayouts, kLayouts31);
    host.SetPointPx(id, kParamPointFirst + 6, 10.0, 20.0);
    host.SetFloat(id, kParamSliderFirst, 30.0);
    host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
    host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA);
    const InstanceId copy = host.DuplicateInstance(id);
    if (copy != kNoInstance) host.RemoveInstance(copy);
    std::string error;
    const std::string path = TempPath("tiletta_sweep.proj");
    if (host.SaveProject(path, &error) && host.OpenProject(path, &error)) {
      for (InstanceId opened : host.Instances()) {
        if (opened != id) host.RemoveInstance(opened);
      }
    }
    std::remove(path.c_str());
    host.SetPopup(id, kParamLayouts, 1);
    host.RemoveInstance(id);
  }
  std::string about;
  host.About(&about);
  host.Shutdown();
}

void ExpectClean(SimulatedHost& host, const std::string& fault) {
  EXPECT_TRUE(host.Violations().empty()) << fault << ": " << host.Violations().front();
  EXPECT_TRUE(host.Handles().LiveHandles().empty()) << fault;
  EXPECT_EQ(host.LiveAegpHandles(), 0u) << fault;
}

// Runs the session in a new host with the plug-in, after `fault` has been set up in it.
void SweepOnce(const std::string& label, const std::function<void(SimulatedHost&)>& fault) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  fault(host);
  RunSession(host);
  ExpectClean(host, label);
}

TEST(FaultSweep, EveryMissingSuite) {
  std::vector<SuiteTable::Key> suites;
  {
    SimulatedHost probe;
    testing::LoadPlugin(probe);
    suites = probe.Suites().Suites();
  }
  ASSERT_FALSE(suites.empty());
  for (const auto& suite : suites) {
    SweepOnce("missing " + suite.first,
              [&](SimulatedHost& host) { host.Suites().SetMissing(suite.first, suite.second, true); });
  }
}

TEST(FaultSweep, EveryHandleFailure) {
  uint64_t newCalls = 0, lockCalls = 0;
  {
    SimulatedHost probe;
    testing::LoadPlugin(probe);
    RunSession(probe);
    ExpectClean(probe, "no fault");
    newCalls = probe.Handles().NewCalls();
    lockCalls = probe.Handles().LockCalls();
  }
  ASSERT_GT(newCalls, 0u);
  for (uint64_t n = 0; n < newCalls; ++n) {
    SweepOnce("allocation " + std::to_string(n),
              [n](SimulatedHost& host) { host.Handles().FailNew(static_cast<int64_t>(n)); });
  }
  for (uint64_t n = 0; n < lockCalls; ++n) {
    SweepOnce("lock " + std::to_string(n), [n](SimulatedHost& host) { host.Handles().FailLock(static_cast<int64_t>(n)); });
  }
}

TEST(FaultSweep, EveryFailingCallback) {
  for (const char* name :
       {"checkout_param", "checkin_param", "add_param", "register_ui", "PF_UpdateParamUI",
        "AEGP_RegisterWithAEGP", "AEGP_GetNewEffectForEffect", "AEGP_DisposeEffect",
        "AEGP_GetNewEffectStreamByIndex", "AEGP_DisposeStream", "AEGP_GetDynamicStreamFlags",
        "AEGP_SetDynamicStreamFlag", "AEGP_GetStreamNumKFs", "AEGP_DeleteKeyframe"}) {
    SweepOnce(name, [name](SimulatedHost& host) { host.Faults().FailAll(name, true); });
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
