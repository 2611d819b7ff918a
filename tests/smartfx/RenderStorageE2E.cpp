// What a render leaves in the driver: the layers it draws in are made anew by every render and
// deleted before it returns, and so is every texture it resolves them into; a render of the size
// of the last one keeps nothing of its own, nor does a render that fails. Counted through glbinding, which the plug-in shares
// with this process.
#include <glbinding/Binding.h>
#include <glbinding/CallbackMask.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

// Renderbuffer and texture names made, and made but not deleted, while a ledger is open.
struct GlLedger {
  struct Kind {
    int made = 0;
    std::set<gl::GLuint> live;
  };
  GlLedger() {
    Install();
    std::lock_guard<std::mutex> lock(Mutex());
    Books() = {};
    Open() = true;
  }
  ~GlLedger() { Open() = false; }
  std::pair<Kind, Kind> Read() const {  // renderbuffers, textures
    std::lock_guard<std::mutex> lock(Mutex());
    return Books();
  }

  static std::atomic<bool>& Open() {
    static std::atomic<bool> open{false};
    return open;
  }
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::pair<Kind, Kind>& Books() {
    static std::pair<Kind, Kind> books;
    return books;
  }
  static void Note(Kind* kind, gl::GLsizei n, const gl::GLuint* names, bool made) {
    if (!Open()) return;
    std::lock_guard<std::mutex> lock(Mutex());
    for (gl::GLsizei i = 0; i < n; ++i) {
      if (made) {
        kind->live.insert(names[i]);
        ++kind->made;
      } else {
        kind->live.erase(names[i]);
      }
    }
  }
  static void Install() {
    static const bool installed = [] {
      using glbinding::Binding;
      // The general after-callback runs for every function whose mask asks for one.
      if (!glbinding::afterCallback()) glbinding::setAfterCallback([](const glbinding::FunctionCall&) {});
      Binding::GenRenderbuffers.setAfterCallback(
          [](gl::GLsizei n, gl::GLuint* names) { Note(&Books().first, n, names, true); });
      Binding::DeleteRenderbuffers.setAfterCallback(
          [](gl::GLsizei n, const gl::GLuint* names) { Note(&Books().first, n, names, false); });
      Binding::GenTextures.setAfterCallback(
          [](gl::GLsizei n, gl::GLuint* names) { Note(&Books().second, n, names, true); });
      Binding::DeleteTextures.setAfterCallback(
          [](gl::GLsizei n, const gl::GLuint* names) { Note(&Books().second, n, names, false); });
      // The masks are kept per context: set in every context made current (every render makes
      // its thread's context current).
      Binding::addContextSwitchCallback([](glbinding::ContextHandle) {
        for (glbinding::AbstractFunction* f : {static_cast<glbinding::AbstractFunction*>(&Binding::GenRenderbuffers),
                                               static_cast<glbinding::AbstractFunction*>(&Binding::DeleteRenderbuffers),
                                               static_cast<glbinding::AbstractFunction*>(&Binding::GenTextures),
                                               static_cast<glbinding::AbstractFunction*>(&Binding::DeleteTextures)}) {
          f->setCallbackMask(f->callbackMask() | glbinding::CallbackMask::After);
        }
      });
      return true;
    }();
    (void)installed;
  }
};

class RenderStorage : public PluginSession, public ::testing::TestWithParam<PF_PixelFormat> {
 protected:
  // An instance of layout 2-1 at 96x54 with a half-transparent solid layer in each frame.
  void SetUp() override {
    Open(96, 54);
    for (int k = 0; k < 2; ++k) {
      layers.push_back(SolidLayer(96, 54, GetParam(), {1.0, 0.5, 0.25, 0.75}));
      ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
    }
    Pick("2-1");
  }
  void TearDown() override { Close(); }

  std::vector<std::unique_ptr<HostWorld>> layers;
};

TEST_P(RenderStorage, SecondRenderMakesItsLayersAndKeepsNothing) {
  const PF_PixelFormat format = GetParam();
  const auto first = RenderOf(id, 96, 54, format);
  GlLedger ledger;
  const auto second = RenderOf(id, 96, 54, format);
  const auto [renderbuffers, textures] = ledger.Read();
  EXPECT_GE(renderbuffers.made, 3) << "two layers, one with a stencil";
  EXPECT_GE(textures.made, 2) << "one resolve of each layer";
  EXPECT_TRUE(renderbuffers.live.empty()) << renderbuffers.live.size() << " renderbuffers kept";
  EXPECT_TRUE(textures.live.empty()) << textures.live.size() << " textures kept";
  EXPECT_EQ(first->Bytes(), second->Bytes());
}

// A render that fails on the way (a suite refused, a parameter checkout, a handle not made or not
// locked, the host's float iteration failing, at each call in turn) keeps no layer, no resolve
// texture and no layer texture: what it made up to the failure goes with it. Whatever the
// failure, the next clean render is the picture again.
TEST_P(RenderStorage, FailedRenderKeepsNothing) {
  const PF_PixelFormat format = GetParam();
  const auto reference = RenderOf(id, 96, 54, format);
  int failed = 0;
  for (int n = 0; n < 12; ++n) {
    for (int kind = 0; kind < 5; ++kind) {
      if (kind == 0) host.Suites().FailAcquire(n);
      if (kind == 1) host.Faults().Fail("checkout_param", n);
      if (kind == 2) host.Handles().FailNew(n);
      if (kind == 3) host.Handles().FailLock(n);
      if (kind == 4) host.Faults().Fail("iterate", n);
      GlLedger ledger;
      HostWorld input(96, 54, format), output(96, 54, format);
      failed += fx.Render(id, &input, &output) != PF_Err_NONE;
      host.ClearFaults();
      const auto [renderbuffers, textures] = ledger.Read();
      EXPECT_TRUE(renderbuffers.live.empty()) << "fault " << kind << " at call " << n;
      EXPECT_TRUE(textures.live.empty()) << "fault " << kind << " at call " << n;
    }
    EXPECT_EQ(RenderOf(id, 96, 54, format)->Bytes(), reference->Bytes()) << "after faults at call " << n;
  }
  EXPECT_GT(failed, 0);
}

std::string DepthName(const ::testing::TestParamInfo<PF_PixelFormat>& info) {
  return info.param == PF_PixelFormat_ARGB32 ? "EightBit" : info.param == PF_PixelFormat_ARGB64 ? "SixteenBit" : "Float";
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, RenderStorage,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         DepthName);

}  // namespace
}  // namespace Orvane::Mosaira::Testing
