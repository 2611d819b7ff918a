#include <EGL/egl.h>
#include <gmock/gmock.h>

#include <string>
#include <thread>

#include "GlTestSupport.h"
#include "platform/ContextState.h"
#include "platform/GlContextTesting.h"
#include "tests/support/VectorShaderFault.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A context of the test's own playing the host's, current while the renderer is called.
class HostContext {
 public:
  HostContext() : context(Platform::GlContext::Create(nullptr, Platform::ContextProfile::kDriverDefault)) {}
  void* Native() const { return context->NativeContext(); }
  std::unique_ptr<Platform::GlContext> context;
};

using Testing::AcquireThreadContext;
using Testing::VectorShaderFault;

std::size_t ThreadContextCount() { return Testing::Globals().contexts.ThreadContextCount(); }

class ContextRegistries : public ::testing::Test {
 protected:
  void SetUp() override { Testing::InstallGlErrorCheck(); }
  void TearDown() override { RenderGlobalSetdown(); }
};

TEST_F(ContextRegistries, TwoThreadsNumberedByFirstUse) {
  RenderGlobalSetup();
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  AEOpenGLContext* firstContext = nullptr;
  AEOpenGLContext* secondContext = nullptr;
  ::testing::internal::CaptureStdout();
  std::thread a([&] {
    ScopedHostContext host;
    firstContext = AcquireThreadContext();
    first = CurrentThreadNumber();
  });
  a.join();
  std::thread b([&] {
    ScopedHostContext host;
    secondContext = AcquireThreadContext();
    second = CurrentThreadNumber();
  });
  b.join();
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(second, first + 1);
  EXPECT_NE(firstContext, secondContext);
  EXPECT_EQ(ThreadContextCount(), 2u);
  EXPECT_EQ(CountOf(printed, "OpenGL Version:  "), 2);
  EXPECT_EQ(CountOf(printed, "OpenGL Revision: "), 2);
}

TEST_F(ContextRegistries, SecondAcquireOnSameThreadMakesNothing) {
  RenderGlobalSetup();
  AEOpenGLContext* firstTime = AcquireThreadContext();
  ::testing::internal::CaptureStdout();
  AEOpenGLContext* secondTime = AcquireThreadContext();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(firstTime, secondTime);
  EXPECT_EQ(ThreadContextCount(), 1u);
}

TEST_F(ContextRegistries, NewSetupGivesNumberedThreadNewContextSharingNewRoot) {
  RenderGlobalSetup();
  AcquireThreadContext();
  const std::uint32_t number = CurrentThreadNumber();
  const Platform::BindingHandle oldHandle = Platform::CurrentBindingHandle();
  RenderGlobalSetdown();
  EXPECT_EQ(CurrentRenderGlobals(), nullptr);

  RenderGlobalSetup();
  ASSERT_TRUE(Testing::Globals().contexts.MakeSharedContextCurrent());
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindTexture(GL_TEXTURE_2D, 0);
  AEOpenGLContext* renewed = AcquireThreadContext();
  EXPECT_EQ(CurrentThreadNumber(), number);
  EXPECT_NE(renewed->Handle(), oldHandle);
  EXPECT_EQ(glIsTexture(texture), GL_TRUE);
  glDeleteTextures(1, &texture);
}

TEST_F(ContextRegistries, FailedRootCreationThrowsAndRestoresHost) {
  HostContext host;
  ASSERT_NE(host.context, nullptr);
  Platform::InjectContextFault(Platform::ContextStep::kCreateContext);
  EXPECT_THROW(RenderGlobalSetup(), AESDK_OpenGL_Fault);
  EXPECT_EQ(CurrentRenderGlobals(), nullptr);
  EXPECT_EQ(eglGetCurrentContext(), host.Native());
  RenderGlobalSetdown();  // without a root: must be harmless
  EXPECT_EQ(eglGetCurrentContext(), host.Native());
}

// A driver that cannot build the vector-drawing shaders: set-up still succeeds, with no
// vector-drawing context, says why, and hands the host's context back; set-down is harmless, and
// the next set-up on a driver that builds them has one.
TEST_F(ContextRegistries, VectorContextFailureLeavesItNullAndSetupSucceeds) {
  HostContext host;
  ASSERT_NE(host.context, nullptr);
  {
    VectorShaderFault fault;
    ::testing::internal::CaptureStdout();
    RenderGlobalSetup();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Shader shader/vert error:"), std::string::npos) << printed;
  }
  ASSERT_NE(CurrentRenderGlobals(), nullptr);
  EXPECT_EQ(Testing::Globals().nvgContext, nullptr);
  EXPECT_EQ(eglGetCurrentContext(), host.Native());
  RenderGlobalSetdown();
  EXPECT_EQ(eglGetCurrentContext(), host.Native());
  RenderGlobalSetup();
  ASSERT_NE(CurrentRenderGlobals(), nullptr);
  ASSERT_NE(Testing::Globals().nvgContext, nullptr);
  EXPECT_NE(Testing::Globals().nvgContext->get(), nullptr);
}

TEST_F(ContextRegistries, FailedThreadContextLeavesNoEntryAndRetries) {
  RenderGlobalSetup();
  std::thread worker([] {
    ScopedHostContext host;
    Platform::InjectContextFault(Platform::ContextStep::kMakeCurrent);
    try {
      AcquireThreadContext();
      ADD_FAILURE() << "no fault";
    } catch (const AESDK_OpenGL_Fault& fault) {
      EXPECT_EQ(fault.code, 1);
    }
    EXPECT_EQ(ThreadContextCount(), 0u);
    EXPECT_NE(AcquireThreadContext(), nullptr);
    EXPECT_EQ(ThreadContextCount(), 1u);
  });
  worker.join();
}

TEST_F(ContextRegistries, WithoutRootThreadContextIsStandalone) {
  ContextRegistry registry;
  AEOpenGLContext* context = registry.AcquireThreadContext();
  ASSERT_NE(context, nullptr);
  GLint major = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  EXPECT_GE(major, 3);
}

TEST(GlDescriptionText, PrintsSixLinesZeroVersionAsDashes) {
  GlDescription d{4, 5, "Mesa", "llvmpipe", 31811};
  EXPECT_EQ(FormatGlDescription(d),
            "\nOpenGL Version:  4.5\nOpenGL Vendor:   Mesa\nOpenGL Renderer: llvmpipe\n"
            "OpenGL Revision: 31811 (gl.xml)\n\n");
  GlDescription zero{0, 0, "", "", 1};
  EXPECT_THAT(FormatGlDescription(zero), ::testing::HasSubstr("OpenGL Version:  -.-\n"));
}

// "major.minor" at the start of the text; anything shorter, or no text, gives 0.0.
TEST(GlVersionText, ReadsMajorMinorElseZero) {
  int major = 0;
  int minor = 0;
  VersionFromText("2.1 Mesa 20.0", &major, &minor);
  EXPECT_EQ(major * 10 + minor, 21);
  for (const char* text : {"2.", static_cast<const char*>(nullptr)}) {
    major = minor = 9;
    VersionFromText(text, &major, &minor);
    EXPECT_EQ(major * 10 + minor, 0) << (text ? text : "null");
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
