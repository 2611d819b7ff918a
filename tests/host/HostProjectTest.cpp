// Saving, opening and duplicating: flattened sequence data and parameter streams through a file,
// read back in a fresh host and in a fresh process.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>

#include "FakeEffect.h"
#include "host/FreshProcess.h"
#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

class HostProject : public FakeHostTest {
 protected:
  void SetUp() override {
    FakeHostTest::SetUp();
    path = testing::TempDir() + "host_project_" + std::to_string(getpid()) + ".json";
  }
  void TearDown() override { std::remove(path.c_str()); }
  void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string Read() {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string path;
};

std::string Tag(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 4 ? std::string(bytes.begin(), bytes.begin() + 4) : std::string();
}

TEST_F(HostProject, OpenedInFreshHostRestoresStreamsAndSequenceData) {
  Script().payload = 1234;
  const InstanceId id = host.AddInstance(640, 360);
  host.SetPointPx(id, kFakePoint, 12.5, 7.25);
  PF_ParamDefUnion key{};
  key.fs_d.value = 42.0;
  host.Stream(id, kFakeSlider).AddKeyframe(2.0, key);
  host.Stream(id, kFakeEcho).SetDynamicFlag(AEGP_DynStreamFlag_HIDDEN, true);
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  EXPECT_EQ(Tag(host.SequenceBytes(id)), "LIVE");  // set up again after flattening
  EXPECT_TRUE(host.Violations().empty());

  Script().payload = 0;  // a new live record would carry 0; the restored one must carry 1234
  SimulatedHost other;
  other.UseEntryPoint(FakeEntryPoint);
  ASSERT_TRUE(other.OpenProject(path, &error)) << error;
  ASSERT_EQ(other.Instances().size(), 1u);
  const InstanceId copy = other.Instances()[0];
  EXPECT_EQ(other.Instance(copy).width, 640);
  const std::vector<uint8_t> bytes = other.SequenceBytes(copy);
  EXPECT_EQ(Tag(bytes), "LIVE");
  uint32_t payload = 0;
  std::memcpy(&payload, bytes.data() + 4, 4);
  EXPECT_EQ(payload, 1234u);
  EXPECT_EQ(other.Stream(copy, kFakePoint).StaticValue().td.x_value, 12 * 65536 + 32768);
  EXPECT_TRUE(other.Stream(copy, kFakePoint).Hidden());
  EXPECT_TRUE(other.Stream(copy, kFakeEcho).Hidden());
  ASSERT_EQ(other.Stream(copy, kFakeSlider).Keyframes().size(), 1u);
  EXPECT_EQ(other.Stream(copy, kFakeSlider).Keyframes()[0].value.fs_d.value, 42.0);
  EXPECT_TRUE(other.Violations().empty());
}

// The child half of the fresh-process round trip: runs only when the parent names a project.
TEST(HostProjectChild, OpensProjectNamedByParent) {
  const char* project = std::getenv("TILETTA_HOST_TEST_PROJECT");
  if (project == nullptr) GTEST_SKIP() << "runs only as the child of OpenedInFreshProcess";
  ResetScript();
  SimulatedHost fresh;
  fresh.UseEntryPoint(FakeEntryPoint);
  std::string error;
  ASSERT_TRUE(fresh.OpenProject(project, &error)) << error;
  ASSERT_EQ(fresh.Instances().size(), 1u);
  EXPECT_EQ(fresh.SequenceBytes(fresh.Instances()[0])[4], 99);
  EXPECT_EQ(fresh.Instance(fresh.Instances()[0]).height, 16);
  // Nothing ran in this process before the project was opened.
  EXPECT_EQ(Script().commands.front(), PF_Cmd_GLOBAL_SETUP);
  fresh.Shutdown();
  EXPECT_TRUE(fresh.Violations().empty());
  EXPECT_TRUE(fresh.Handles().LiveHandles().empty());
}

TEST_F(HostProject, OpenedInFreshProcess) {
  Script().payload = 99;
  host.AddInstance(32, 16);
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  const int status = RunFreshProcess({"--gtest_filter=HostProjectChild.OpensProjectNamedByParent"},
                                     {"TILETTA_HOST_TEST_PROJECT=" + path});
  EXPECT_EQ(status, 0);
  // A project the child cannot open fails it: the pass above is the project's.
  EXPECT_NE(RunFreshProcess({"--gtest_filter=HostProjectChild.*"}, {"TILETTA_HOST_TEST_PROJECT=/nonexistent"}, true), 0);
}

TEST_F(HostProject, DuplicateGoesThroughFlattenedCopyOrFailsCleanly) {
  Script().payload = 5;
  const InstanceId id = host.AddInstance(10, 10);
  host.SetFloat(id, kFakeEcho, 3.0);
  Script().payload = 0;
  PF_Err err = PF_Err_NONE;
  const InstanceId dup = host.DuplicateInstance(id, &err);
  ASSERT_NE(dup, kNoInstance) << err;
  EXPECT_EQ(host.SequenceBytes(dup)[4], 5);
  EXPECT_EQ(Tag(host.SequenceBytes(dup)), "LIVE");
  EXPECT_EQ(Tag(host.SequenceBytes(id)), "LIVE");
  EXPECT_EQ(host.Stream(dup, kFakeEcho).StaticValue().fs_d.value, 3.0);
  EXPECT_TRUE(host.Violations().empty());
  // A copy that cannot be made fails the duplicate and leaves the two instances.
  host.Handles().FailNew(0);
  EXPECT_EQ(host.DuplicateInstance(id, &err), kNoInstance);
  EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(host.Instances().size(), 2u);
}

class HostProjectDamaged : public HostProject {
 protected:
  // Saves a valid project and returns its text.
  std::string Valid() {
    host.AddInstance(10, 10);
    std::string error;
    EXPECT_TRUE(host.SaveProject(path, &error)) << error;
    return Read();
  }
  void ExpectRefused(const std::string& text) {
    Write(text);
    SimulatedHost other;
    other.UseEntryPoint(FakeEntryPoint);
    std::string error;
    EXPECT_FALSE(other.OpenProject(path, &error)) << text.substr(0, 80);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(other.Instances().empty());
  }
  static std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
  }
};

TEST_F(HostProjectDamaged, DeepNestingDoesNotOverflowTheStack) {
  ExpectRefused(std::string(200000, '[') + std::string(200000, ']'));
}

TEST_F(HostProjectDamaged, WrongTypesAndRanges) {
  const std::string text = Valid();
  ExpectRefused(Replace(text, "\"width\":10", "\"width\":-1"));
  ExpectRefused(Replace(text, "\"width\":10", "\"width\":\"10\""));
  ExpectRefused(Replace(text, "\"height\":10", "\"height\":99999999"));
  ExpectRefused(Replace(text, "\"version\":1", "\"version\":2"));
  ExpectRefused(Replace(text, "\"type\":7", "\"type\":6"));
  ExpectRefused(Replace(text, "\"collapsed\":true", "\"collapsed\":1"));
  ExpectRefused(Replace(text, "\"sequenceData\":\"", "\"sequenceData\":\"*"));
  ExpectRefused(Replace(text, "{\"type\":14", "{\"typo\":14"));
  // Pop-up choices the host would not store from the effect either, as value or as keyframe.
  for (const char* choice : {"0", "-1", "6", "2147483647"}) {
    ExpectRefused(Replace(text, "{\"choice\":1}", std::string("{\"choice\":") + choice + "}"));
    ExpectRefused(Replace(text, "{\"choice\":1},\"keyframes\":[]",
                          std::string("{\"choice\":1},\"keyframes\":[{\"t\":1,\"value\":{\"choice\":") + choice + "}}]"));
  }
}

// A layer of 0x0, which the host allows, is saved and opened again.
TEST_F(HostProject, EmptyLayerIsSavedAndOpenedAgain) {
  const InstanceId id = host.AddInstance(10, 10);
  ASSERT_TRUE(host.SetLayerSize(id, 0, 0));
  std::string error;
  ASSERT_TRUE(host.SaveProject(path, &error)) << error;
  SimulatedHost other;
  other.UseEntryPoint(FakeEntryPoint);
  ASSERT_TRUE(other.OpenProject(path, &error)) << error;
  EXPECT_EQ(other.Instance(other.Instances().at(0)).width, 0);
  EXPECT_TRUE(other.Violations().empty());
}

TEST_F(HostProjectDamaged, ParameterCountMustMatch) {
  const std::string text = Valid();
  const size_t last = text.rfind(",{\"type\":14");
  ASSERT_NE(last, std::string::npos);
  ExpectRefused(text.substr(0, last) + "]}]}");
}

TEST(ProjectBase64, RoundTripsEveryPaddingAndRejectsMalformedText) {
  std::vector<uint8_t> bytes;
  for (int n = 0; n < 8; ++n) {
    std::vector<uint8_t> back;
    ASSERT_TRUE(DecodeBase64(EncodeBase64(bytes), &back));
    EXPECT_EQ(back, bytes);
    bytes.push_back(uint8_t(n * 37 + 200));
  }
  std::vector<uint8_t> out;
  for (const char* bad : {"abc", "ab=c", "a===", "ab==abcd", "ab!d"}) EXPECT_FALSE(DecodeBase64(bad, &out)) << bad;
  EXPECT_TRUE(DecodeBase64("", &out));
}

// Every number written comes back exactly: random values and key times survive save, open and
// save byte for byte, and two keys one step apart stay two keys.
TEST_F(HostProject, RandomEditsSurviveSaveOpenSaveByteForByte) {
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> value(0.0, 100.0), seconds(0.0, 10.0);
  const std::string again = path + ".again";
  for (int round = 0; round < 25; ++round) {
    SimulatedHost first;
    first.UseEntryPoint(FakeEntryPoint);
    const InstanceId id = first.AddInstance(64, 48);
    ASSERT_EQ(first.SetFloat(id, kFakeEcho, round == 0 ? 60.000003814697266 : value(random)), PF_Err_NONE);
    const double t = round == 0 ? 0.23333333333333334 : seconds(random);
    PF_ParamDefUnion key{};
    for (double at : {t, std::nextafter(t, 20.0)}) {
      key.fs_d.value = value(random);
      first.Stream(id, kFakeEcho).AddKeyframe(at, key);
    }
    std::string error;
    ASSERT_TRUE(first.SaveProject(path, &error)) << error;
    SimulatedHost second;
    second.UseEntryPoint(FakeEntryPoint);
    ASSERT_TRUE(second.OpenProject(path, &error)) << error;
    const ParamStream& s = second.Stream(second.Instances()[0], kFakeEcho);
    ASSERT_EQ(s.Keyframes().size(), 2u) << round;
    EXPECT_EQ(s.Keyframes()[0].seconds, t) << round;
    ASSERT_TRUE(second.SaveProject(again, &error)) << error;
    std::ifstream in(again, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), Read()) << round;
  }
  std::remove(again.c_str());
}

// A folder or an oversized file is refused by its kind and size, before a byte is read.
TEST_F(HostProject, FoldersAndOversizedFilesAreRefusedBeforeReading) {
  const std::string folder = path + ".d";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  std::string error;
  EXPECT_FALSE(host.OpenProject(folder, &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
  rmdir(folder.c_str());

  Write("{}");
  ASSERT_EQ(truncate(path.c_str(), off_t(300) << 20), 0);  // sparse: costs no disk
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  EXPECT_FALSE(host.OpenProject(path, &error));
  getrusage(RUSAGE_SELF, &after);
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 << 10);  // kB: nothing close to the file's size
  EXPECT_TRUE(host.Instances().empty());
}

}  // namespace
}  // namespace Orvane::Mosaira
