#include <EGL/egl.h>
#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/ContextState.h"
#include "platform/GlContext.h"
#include "platform/GlContextTesting.h"

using namespace gl33core;

namespace Orvane::Mosaira::Platform {
namespace {

void ReleaseCurrent() { RestoreContextState(ContextState()); }

// A new root is current and bound at once; a context made with it sees its textures; destroying
// the current context leaves none current.
TEST(GlContextCreate, RootIsCurrentSharedAndGoneWhenDestroyed) {
  auto root = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(eglGetCurrentContext(), root->NativeContext());
  root->InitializeBinding();
  EXPECT_EQ(CurrentBindingHandle(), root->Handle());
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindTexture(GL_TEXTURE_2D, 0);

  auto shared = GlContext::Create(root.get(), ContextProfile::kCore33);
  ASSERT_NE(shared, nullptr);
  shared->InitializeBinding();
  EXPECT_EQ(glIsTexture(texture), GL_TRUE);
  GLint major = 0;
  GLint minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  EXPECT_GE(major * 10 + minor, 33);
  glDeleteTextures(1, &texture);
  shared.reset();
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
  EXPECT_EQ(CurrentBindingHandle(), 0u);
}

TEST(GlContextCreate, HandlesAreNeverReused) {
  std::set<BindingHandle> seen;
  for (int i = 0; i < 4; ++i) {
    auto context = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
    ASSERT_NE(context, nullptr);
    EXPECT_NE(context->Handle(), 0u);
    EXPECT_TRUE(seen.insert(context->Handle()).second);
  }
}

TEST(GlContextPbuffer, ContextWithSurfaceDrawsAndFailsCleanly) {
  ForcePbufferSurfaces(true);
  auto context = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  InjectContextFault(ContextStep::kCreateSurface);
  auto failed = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ForcePbufferSurfaces(false);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(failed, nullptr);
  ASSERT_TRUE(context->MakeCurrent());
  EXPECT_NE(eglGetCurrentSurface(EGL_DRAW), EGL_NO_SURFACE);
  EXPECT_EQ(eglGetCurrentSurface(EGL_DRAW), context->NativeSurface());
  context->InitializeBinding();
  GLint major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  EXPECT_GE(major, 3);
}

class GlContextFault : public ::testing::TestWithParam<ContextStep> {};

TEST_P(GlContextFault, FailsOnceThenSucceeds) {
  ReleaseCurrent();
  InjectContextFault(GetParam());
  auto failed = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  EXPECT_EQ(failed, nullptr);
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
  auto made = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  EXPECT_NE(made, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, GlContextFault,
                         ::testing::Values(ContextStep::kDisplay, ContextStep::kBindApi, ContextStep::kCreateContext,
                                           ContextStep::kMakeCurrent));

TEST(ContextStateRestore, NothingCurrentBeforeLeavesNothingCurrent) {
  ReleaseCurrent();
  const ContextState saved = CurrentContextState();
  auto context = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(context, nullptr);
  EXPECT_TRUE(RestoreContextState(saved));
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
  EXPECT_EQ(CurrentBindingHandle(), 0u);
}

TEST(ContextStateRestore, HostContextIsCurrentAgain) {
  auto host = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(host, nullptr);
  {
    ScopedContextState scope;
    auto ours = GlContext::Create(nullptr, ContextProfile::kCore33);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(eglGetCurrentContext(), ours->NativeContext());
  }
  EXPECT_EQ(eglGetCurrentContext(), host->NativeContext());
  EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_API));
}

TEST(ContextStateRestore, BoundApiIsPutBack) {
  ReleaseCurrent();
  ASSERT_TRUE(eglBindAPI(EGL_OPENGL_ES_API));
  {
    ScopedContextState scope;
    auto ours = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
    ASSERT_NE(ours, nullptr);
  }
  EXPECT_EQ(eglQueryAPI(), static_cast<EGLenum>(EGL_OPENGL_ES_API));
  eglBindAPI(EGL_OPENGL_API);
}

TEST(GlContextThreads, EachThreadHasItsOwnCurrentContext) {
  auto root = GlContext::Create(nullptr, ContextProfile::kDriverDefault);
  ASSERT_NE(root, nullptr);
  void* seenOnThread = nullptr;
  std::thread worker([&] {
    auto ours = GlContext::Create(root.get(), ContextProfile::kCore33);
    if (ours != nullptr) seenOnThread = eglGetCurrentContext();
    EXPECT_EQ(seenOnThread, ours != nullptr ? ours->NativeContext() : nullptr);
  });
  worker.join();
  EXPECT_NE(seenOnThread, nullptr);
  EXPECT_EQ(eglGetCurrentContext(), root->NativeContext());
}

}  // namespace
}  // namespace Orvane::Mosaira::Platform
