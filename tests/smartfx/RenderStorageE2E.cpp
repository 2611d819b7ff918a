// What a render leaves in the driver: the layers it draws in are made anew by every render and
// deleted before it returns, and so is every texture it resolves them into; a render of the size
// of the last one keeps nothing of its own. Counted through glbinding, which the plug-in shares
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
#include <vector>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

// Renderbuffer and texture names made and deleted while a ledger is open.
class GlLedger {
 public:
  GlLedger() {
    Install();
    std::lock_guard<std::mutex> lock(Mutex());
    Books() = Counts();
    Open().store(true);
  }
  ~GlLedger() { Open().store(false); }
  GlLedger(const GlLedger&) = delete;
  GlLedger& operator=(const GlLedger&) = delete;

  struct Counts {
    int renderbuffersMade = 0;
    int texturesMade = 0;
    std::set<gl::GLuint> liveRenderbuffers;  // made while open and not deleted since
    std::set<gl::GLuint> liveTextures;
  };
  Counts Read() const {
    std::lock_guard<std::mutex> lock(Mutex());
    return Books();
  }

 private:
  static std::atomic<bool>& Open() {
    static std::atomic<bool> open{false};
    return open;
  }
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static Counts& Books() {
    static Counts counts;
    return counts;
  }
  static void Made(std::set<gl::GLuint>* live, int* count, gl::GLsizei n, const gl::GLuint* names) {
    if (!Open().load()) return;
    std::lock_guard<std::mutex> lock(Mutex());
    for (gl::GLsizei i = 0; i < n; ++i) live->insert(names[i]);
    *count += int(n);
  }
  static void Deleted(std::set<gl::GLuint>* live, gl::GLsizei n, const gl::GLuint* names) {
    if (!Open().load()) return;
    std::lock_guard<std::mutex> lock(Mutex());
    for (gl::GLsizei i = 0; i < n; ++i) live->erase(names[i]);
  }
  static void Install() {
    static const bool installed = [] {
      using glbinding::Binding;
      // The general after-callback runs for every function whose mask asks for one.
      if (!glbinding::afterCallback()) glbinding::setAfterCallback([](const glbinding::FunctionCall&) {});
      Binding::GenRenderbuffers.setAfterCallback([](gl::GLsizei n, gl::GLuint* names) {
        Made(&Books().liveRenderbuffers, &Books().renderbuffersMade, n, names);
      });
      Binding::GenTextures.setAfterCallback([](gl::GLsizei n, gl::GLuint* names) {
        Made(&Books().liveTextures, &Books().texturesMade, n, names);
      });
      Binding::DeleteRenderbuffers.setAfterCallback(
          [](gl::GLsizei n, const gl::GLuint* names) { Deleted(&Books().liveRenderbuffers, n, names); });
      Binding::DeleteTextures.setAfterCallback(
          [](gl::GLsizei n, const gl::GLuint* names) { Deleted(&Books().liveTextures, n, names); });
      // The masks are kept per context: set in every context made current (every render makes
      // its thread's context current).
      Binding::addContextSwitchCallback([](glbinding::ContextHandle) {
        for (glbinding::AbstractFunction* f : std::vector<glbinding::AbstractFunction*>{
                 &Binding::GenRenderbuffers, &Binding::GenTextures, &Binding::DeleteRenderbuffers,
                 &Binding::DeleteTextures}) {
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
  void TearDown() override { Close(); }
};

TEST_P(RenderStorage, SecondRenderMakesItsLayersAndKeepsNothing) {
  const PF_PixelFormat format = GetParam();
  Open(96, 54);
  std::vector<std::unique_ptr<HostWorld>> layers;
  for (int k = 0; k < 2; ++k) {
    layers.push_back(SolidLayer(96, 54, format, {1.0, 0.5, 0.25, 0.75}));
    ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
  }
  Pick("2-1");
  const auto first = RenderOf(id, 96, 54, format);
  GlLedger ledger;
  const auto second = RenderOf(id, 96, 54, format);
  const GlLedger::Counts counts = ledger.Read();
  EXPECT_GE(counts.renderbuffersMade, 3) << "two layers, one with a stencil";
  EXPECT_GE(counts.texturesMade, 2) << "one resolve of each layer";
  EXPECT_TRUE(counts.liveRenderbuffers.empty()) << counts.liveRenderbuffers.size() << " renderbuffers kept";
  EXPECT_TRUE(counts.liveTextures.empty()) << counts.liveTextures.size() << " textures kept";
  EXPECT_EQ(first->Bytes(), second->Bytes());
}

std::string DepthName(const ::testing::TestParamInfo<PF_PixelFormat>& info) {
  return info.param == PF_PixelFormat_ARGB32 ? "EightBit" : info.param == PF_PixelFormat_ARGB64 ? "SixteenBit" : "Float";
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, RenderStorage,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128),
                         DepthName);

}  // namespace
}  // namespace Orvane::Mosaira::Testing
