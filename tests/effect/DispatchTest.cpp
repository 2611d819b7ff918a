#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effect/Dispatch.h"
#include "effect/GlobalSetup.h"
#include "tests/effect/FakeHost.h"
#include "tests/effect/TestLayouts.h"

namespace Orvane::Mosaira {
namespace {

using testing::FakeHost;

PF_Err RunCmd(FakeHost& host, PF_Cmd cmd) {
  return DispatchCommand(cmd, &host.in, &host.out, host.params(), nullptr, nullptr);
}

// Out-of-range commands and commands without a handler.
TEST(Dispatch, UnhandledCommandsDoNothing) {
  FakeHost host;
  const PF_OutData before = host.out;
  for (PF_Cmd cmd : {-1000, -1, 2, 9, 10, 11, 12, 16, 17, 18, 19, 20, 21, 22, 25, 26, 27, 29, 30, 1000}) {
    EXPECT_EQ(RunCmd(host, cmd), PF_Err_NONE) << cmd;
  }
  for (PF_Cmd cmd : {-1, 30}) {
    EXPECT_EQ(DispatchCommand(cmd, nullptr, nullptr, nullptr, nullptr, nullptr), PF_Err_NONE);
  }
  EXPECT_EQ(std::memcmp(&before, &host.out, sizeof before), 0);
  EXPECT_EQ(host.OutstandingSuites(), 0);
  EXPECT_EQ(host.LiveHandleCount(), 0u);
}

TEST(Dispatch, MissingBlocksOrBasicSuiteAre516) {
  FakeHost host;
  EXPECT_EQ(DispatchCommand(PF_Cmd_SEQUENCE_SETUP, nullptr, &host.out, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(DispatchCommand(PF_Cmd_SEQUENCE_SETUP, &host.in, nullptr, nullptr, nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  host.in.pica_basicP = nullptr;
  EXPECT_EQ(RunCmd(host, PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(RunCmd(host, PF_Cmd_SEQUENCE_SETUP), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.LiveHandleCount(), 0u);
}

TEST(About, WritesNameVersionAndDescription) {
  FakeHost host;
  ASSERT_EQ(RunCmd(host, PF_Cmd_ABOUT), PF_Err_NONE);
  const std::string msg = host.out.return_msg;
  EXPECT_EQ(msg.rfind("Tiletta, v1.0\rTiletta ", 0), 0u) << msg;
  EXPECT_EQ(msg.find('\r'), msg.rfind('\r'));
  EXPECT_EQ(host.OutstandingSuites(), 0);
}

TEST(About, MissingAnsiSuiteIs516) {
  FakeHost host;
  host.missingSuites.insert(kPFANSISuite);
  EXPECT_EQ(RunCmd(host, PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.out.return_msg[0], '\0');
}

TEST(GlobalSetup, MissingUtilitySuiteKeepsVersionAndFlags) {
  FakeHost host;
  host.missingSuites.insert(kAEGPUtilitySuite);
  EXPECT_EQ(RunCmd(host, PF_Cmd_GLOBAL_SETUP), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.out.my_version, 0x00080001u);
  EXPECT_EQ(host.out.out_flags, 0x04008000);
  EXPECT_EQ(host.out.out_flags2, 0x00001400);
  EXPECT_EQ(host.OutstandingSuites(), 0);
}

TEST(GlobalSetdown, DisposesGivenHandlesAndClearsThem) {
  FakeHost host;
  // The record owns a layout: set-down must free it (the sanitizer build's leak check sees it).
  testing::InstallLayout(host.in, host.out,
                         testing::MakeLayout(testing::kLayout31Json, 1920, 1080, 3));
  host.in.global_data = host.NewHandle(std::vector<uint8_t>(16));
  host.out.global_data = host.in.global_data;
  EXPECT_EQ(RunCmd(host, PF_Cmd_GLOBAL_SETDOWN), PF_Err_NONE);
  EXPECT_EQ(host.LiveHandleCount(), 0u);
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(host.out.global_data, nullptr);
}

}  // namespace
}  // namespace Orvane::Mosaira
