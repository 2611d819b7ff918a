// Render commands on several threads at once: what one command holds while another ends is not a
// breach; what is left once all have ended is.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <unistd.h>

#include "FakeEffect.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

using namespace test;

// Waits until `count` threads have arrived (or a second has passed).
void Meet(std::atomic<int>* arrived, int count) {
  arrived->fetch_add(1);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (arrived->load() < count && std::chrono::steady_clock::now() < until) std::this_thread::yield();
}

class HostConcurrency : public FakeHostTest {
 protected:
  void SetUp() override {
    FakeHostTest::SetUp();
    id = host.AddInstance(20, 10);
  }
  // Runs a render command on `threads` threads at once; `leakOn` names the thread (from 0) whose
  // render keeps its suite, or -1.
  void RenderTogether(int threads, int leakOn) {
    std::atomic<int> arrived{0};
    std::atomic<int> order{0};
    On(PF_Cmd_SMART_RENDER, [&](PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
      const int me = order.fetch_add(1);
      Acquire(in, kPFWorldSuite, kPFWorldSuiteVersion2);
      PF_ParamDef def{};
      in->inter.checkout_param(in->effect_ref, kFakeSlider, 0, 1, 30, &def);
      void* bytes = in->utils->host_lock_handle(in->sequence_data);
      Meet(&arrived, threads);
      // Let the first to finish end while the others still hold everything.
      if (me != 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (bytes) in->utils->host_unlock_handle(in->sequence_data);
      in->inter.checkin_param(in->effect_ref, &def);
      if (me != leakOn) Release(in, kPFWorldSuite, kPFWorldSuiteVersion2);
    });
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back([&] { host.Send(id, PF_Cmd_SMART_RENDER); });
    for (auto& t : pool) t.join();
    Script().before = nullptr;
  }
};

TEST_F(HostConcurrency, OverlappingRendersBreakNothing) {
  RenderTogether(4, -1);
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
  int renders = 0;
  for (const CommandRecord& r : host.Log()) renders += r.cmd == PF_Cmd_SMART_RENDER;
  EXPECT_EQ(renders, 4);
}

TEST_F(HostConcurrency, SuiteKeptByOneRenderIsReportedOnce) {
  RenderTogether(3, 2);
  ASSERT_EQ(host.Violations().size(), 1u);
  EXPECT_NE(host.Violations()[0].find("\"PF World Suite\" 2 left acquired 1"), std::string::npos);
}

// Flatten and re-set-up, sent alone or by a save, wait for the render running on another thread,
// as a host sends them only between renders.
TEST_F(HostConcurrency, FlattenAndSetUpAgainWaitForTheRunningRender) {
  std::atomic<bool> rendering{false}, overlapped{false};
  Script().before = [&](PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void*, PF_Err*) {
    if (cmd == PF_Cmd_SMART_RENDER) {
      rendering = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      rendering = false;
    } else if (cmd == PF_Cmd_SEQUENCE_FLATTEN || cmd == PF_Cmd_SEQUENCE_RESETUP) {
      overlapped = overlapped || rendering;
    }
    return false;
  };
  const std::string path = ::testing::TempDir() + "concurrency_" + std::to_string(::getpid()) + ".proj";
  for (const bool save : {false, true}) {
    rendering = false;
    std::thread render([&] { host.Send(id, PF_Cmd_SMART_RENDER); });
    while (!rendering) std::this_thread::yield();
    std::string error;
    if (save) {
      EXPECT_TRUE(host.SaveProject(path, &error)) << error;
    } else {
      host.Send(id, PF_Cmd_SEQUENCE_FLATTEN);
      host.Send(id, PF_Cmd_SEQUENCE_RESETUP);
    }
    render.join();
    EXPECT_FALSE(overlapped) << (save ? "save" : "flatten");
  }
  Script().before = nullptr;
  std::remove(path.c_str());
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

}  // namespace
}  // namespace Orvane::Mosaira
