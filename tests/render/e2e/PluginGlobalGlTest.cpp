// Global set-up and set-down of the real plug-in library do their OpenGL work through the entry
// point and hand the host's own context back after each command.
#include <dlfcn.h>
#include <gmock/gmock.h>

#include "host/HostGlContext.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class PluginGlobalGl : public ::testing::Test {
 protected:
  void SetUp() override {
    // A real host keeps an effect loaded until it quits; so does this process, so that the
    // plug-in's process-wide objects stay reachable whenever the simulated host closes it.
    static void* const keptLoaded = dlopen(TILETTA_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(keptLoaded, nullptr) << dlerror();
    hostGl = HostGlContext::Create();
    ASSERT_NE(hostGl, nullptr);
    host.SetCommandHook(hostGl.get());
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
  }
  std::unique_ptr<HostGlContext> hostGl;
  SimulatedHost host;
};

// Each set-up makes one root (it prints the driver's description once), and set-up and set-down
// hand the host's context back; a set-down and a new set-up make a new root.
TEST_F(PluginGlobalGl, SetupMakesOneRootAndReturnsHostContext) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(CountOf(printed, "OpenGL Version:  "), 1);
  EXPECT_THAT(printed, ::testing::HasSubstr(" (gl.xml)\n"));
  EXPECT_TRUE(hostGl->IsCurrent());
  EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  EXPECT_TRUE(hostGl->IsCurrent());
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(host.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(CountOf(::testing::internal::GetCapturedStdout(), "OpenGL Version:  "), 1);
  EXPECT_TRUE(hostGl->CommandsThatChangedContext().empty());
  EXPECT_TRUE(host.Violations().empty());
}

}  // namespace
}  // namespace Orvane::Mosaira
