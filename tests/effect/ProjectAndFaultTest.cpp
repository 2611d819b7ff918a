#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "effect/ParamIndices.h"
#include "host/HostUi.h"
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
      const std::string text = testing::FlattenedText(host, id);
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
  const int p8 = testing::PointParamAt(host, id, 960, 1080);
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

// A layout of 44 free points (40 besides the four corners) and 12 sliding points, restored from a
// project: only the first 24 and 9 have parameters, so reading the parameters moves those alone.
std::string ManyPointsRecord() {
  std::string points;
  for (int i = 0; i < 40; ++i) {
    points += R"({"id":"Q)" + std::to_string(10 + i) + R"(","x":0.5,"y":)" + std::to_string((i + 1) / 41.0) + "},";
  }
  for (int i = 0; i < 12; ++i) points += R"({"id":"S)" + std::to_string(10 + i) + R"(","vector":"V1","scalar":0.25},)";
  points.pop_back();
  const std::string text =
      R"({"scrollStart":0.0,"interacting":false,"layout":{"id":"many","frames":[{"id":"F1","polygon":)"
      R"(["LEFT_TOP","RIGHT_TOP","RIGHT_BOTTOM","LEFT_BOTTOM"]}],"points":[)" +
      points + R"(],"vectors":[{"id":"V1","start":"LEFT_TOP","end":"RIGHT_TOP"}]}})";
  // The flat record: a 24-byte header (flat flag at 8, text length with its NUL at 16), the text.
  std::string record(24, '\0');
  record[8] = 1;
  for (int i = 0; i < 8; ++i) record[size_t(16 + i)] = char(uint64_t(text.size() + 1) >> (8 * i));
  return record + text + '\0';
}

TEST(ProjectRoundTrip, LayoutWithMorePointsThanParametersReadsOnlyItsParameters) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  host.AddInstance(300, 300);
  const std::string path = TempPath("tiletta_many.proj");
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  host.Shutdown();
  Project project;
  ASSERT_TRUE(ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &project, &error)) << error;
  std::remove(path.c_str());
  const std::string record = ManyPointsRecord();
  project.instances[0].sequenceData.assign(record.begin(), record.end());
  for (int p = kParamPointFirst; p <= kParamPointLast; ++p) {
    project.instances[0].streams[size_t(p)].value.td = PF_PointDef{};
    project.instances[0].streams[size_t(p)].value.td.x_value = 100 << 16;
    project.instances[0].streams[size_t(p)].value.td.y_value = 100 << 16;
  }
  for (int p = kParamSliderFirst; p <= kParamSliderLast; ++p) project.instances[0].streams[size_t(p)].value.fs_d.value = 25.0;

  SimulatedHost other;
  testing::LoadPlugin(other);
  ASSERT_TRUE(other.OpenProject(project, &error)) << error;
  const InstanceId id = other.Instances().front();
  ASSERT_EQ(other.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
  rapidjson::Document doc;
  doc.Parse(testing::FlattenedText(other, id).c_str());
  ASSERT_TRUE(doc.IsObject() && doc.HasMember("layout"));
  int atParameter = 0, sliders = 0;
  for (const auto& point : doc["layout"]["points"].GetArray()) {
    if (point.HasMember("scalar")) {
      EXPECT_EQ(point["scalar"].GetDouble(), 0.25);
      ++sliders;
      continue;
    }
    const double x = point["x"].GetDouble(), y = point["y"].GetDouble();
    if (std::fabs(x - 1.0 / 3.0) < 1e-6 && std::fabs(y - 1.0 / 3.0) < 1e-6) {
      ++atParameter;
      continue;
    }
    // A point past the parameters keeps its own place: Q at x = 0.5, a corner at its corner.
    const std::string key = point["id"].GetString();
    EXPECT_TRUE(key[0] == 'Q' ? x == 0.5 : (x == 0.0 || x == 1.0) && (y == 0.0 || y == 1.0)) << key;
  }
  EXPECT_EQ(atParameter, kPointParamCount);
  EXPECT_EQ(sliders, 12);
  // A drag of a sliding point (at a quarter of the top edge) writes the layout back into the 24
  // point and 9 slider parameters, and into no other.
  std::vector<PF_ParamDefUnion> before;
  for (int p = kParamCornerPointGroupEnd; p < kParamCount; ++p) before.push_back(other.Stream(id, p).StaticValue());
  other.Ui().Click(id, PF_Window_COMP, {75, 0});
  other.Ui().Drag({90, 0});
  other.Ui().MouseUp({90, 0});
  ASSERT_NE(testing::FlattenedText(other, id).find(R"("scalar":0.3)"), std::string::npos);
  for (int p = kParamCornerPointGroupEnd; p < kParamCount; ++p) {
    if (p >= kParamSliderFirst && p <= kParamSliderLast) continue;
    const PF_ParamDefUnion& was = before[size_t(p - kParamCornerPointGroupEnd)];
    EXPECT_EQ(std::memcmp(&was, &other.Stream(id, p).StaticValue(), sizeof was), 0) << p;
  }
  other.Shutdown();
  EXPECT_TRUE(other.Violations().empty()) << other.Violations().front();
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

// One failed parameter definition fails the whole set-up: no instance with some parameters missing.
TEST(FaultSweep, OneFailedParameterDefinitionFailsTheSetUp) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  host.Faults().Fail("add_param", 10);
  PF_Err err = PF_Err_NONE;
  EXPECT_EQ(host.AddInstance(640, 480, &err), kNoInstance);
  EXPECT_NE(err, PF_Err_NONE);
  host.Shutdown();
  ExpectClean(host, "add_param 10");
}

// A save whose flattening cannot get its handle fails, writes nothing over the file, and leaves the
// instance live, its layout kept.
TEST(FaultSweep, FailedFlattenFailsTheSaveAndKeepsTheLayout) {
  SimulatedHost host;
  testing::LoadPlugin(host);
  const InstanceId id = host.AddInstance(640, 480);
  ASSERT_EQ(host.SetPopup(id, kParamLayouts, kLayouts31), PF_Err_NONE);
  const std::string path = TempPath("tiletta_failed_flatten.proj");
  std::ofstream(path, std::ios::binary) << "previous project";
  std::string error;
  host.Handles().FailAllNew(true);
  EXPECT_FALSE(host.SaveProject(path, &error));
  host.Handles().FailAllNew(false);
  EXPECT_NE(error.find("flattening"), std::string::npos) << error;
  std::ifstream saved(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "previous project");
  EXPECT_NE(testing::FlattenedText(host, id).find(R"("id":"3-1")"), std::string::npos);
  host.Shutdown();
  ExpectClean(host, "failed flatten");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace Orvane::Mosaira
