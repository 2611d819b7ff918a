// The WGL branch of the platform layer: hidden-window contexts, 3.3 core contexts in the root's
// share group, every creation step failing cleanly, and the caller's device and rendering
// context put back.
#include <windows.h>

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/ContextState.h"
#include "platform/GlContext.h"
#include "platform/GlContextTesting.h"

using namespace gl33core;

namespace Orvane::Mosaira::Platform {
namespace {

void ReleaseCurrent() { RestoreContextState(ContextState()); }

GLint Integer(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

TEST(WglContextCreate, RootIsCurrentOnItsHiddenWindowUntilDestroyed) {
  auto root = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), root->NativeContext());
  EXPECT_EQ(wglGetCurrentDC(), root->NativeSurface());
  HWND window = WindowFromDC(static_cast<HDC>(root->NativeSurface()));
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  root.reset();
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST(WglContextCreate, ThreadContextIsCore33AndSharesRootTextures) {
  auto root = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  root->InitializeBinding();
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindTexture(GL_TEXTURE_2D, 0);
  bool sharedSeen = false;
  GLint version = 0;
  std::thread worker([&] {
    auto ours = GlContext::Create(root.get(), ContextProfile::kCore33);
    if (ours == nullptr) return;
    ours->InitializeBinding();
    version = Integer(GL_MAJOR_VERSION) * 10 + Integer(GL_MINOR_VERSION);
    sharedSeen = glIsTexture(texture) == GL_TRUE;
  });
  worker.join();
  EXPECT_GE(version, 33);
  EXPECT_TRUE(sharedSeen);
  EXPECT_EQ(wglGetCurrentContext(), root->NativeContext());
}

class WglContextFault : public ::testing::TestWithParam<ContextStep> {};

TEST_P(WglContextFault, FailsOnceWithNothingLeftCurrentThenSucceeds) {
  auto root = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  ReleaseCurrent();
  InjectContextFault(GetParam());
  const auto profile = GetParam() == ContextStep::kShareLists ? ContextProfile::kCore33 : ContextProfile::kDriverDefault;
  EXPECT_EQ(GlContext::Create(root.get(), profile), nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_NE(GlContext::Create(root.get(), profile), nullptr);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, WglContextFault,
                         ::testing::Values(ContextStep::kWindowClass, ContextStep::kWindow, ContextStep::kPixelFormat,
                                           ContextStep::kCreateContext, ContextStep::kMakeCurrent,
                                           ContextStep::kExtensions, ContextStep::kShareLists));

TEST(WglContextState, HostDeviceAndRenderingContextAreCurrentAgain) {
  auto host = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(host, nullptr);
  {
    ScopedContextState scope;
    auto ours = GlContext::Create(host.get(), ContextProfile::kCore33);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), ours->NativeContext());
  }
  EXPECT_EQ(wglGetCurrentContext(), host->NativeContext());
  EXPECT_EQ(wglGetCurrentDC(), host->NativeSurface());
}

TEST(WglContextState, NothingCurrentBeforeLeavesNothingCurrent) {
  ReleaseCurrent();
  const ContextState saved = CurrentContextState();
  auto context = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(RestoreContextState(saved));
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_EQ(CurrentBindingHandle(), 0u);
}

}  // namespace
}  // namespace Orvane::Mosaira::Platform
