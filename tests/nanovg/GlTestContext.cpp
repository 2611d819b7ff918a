#include "tests/nanovg/GlTestContext.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/GlErrorCheck.h"

namespace Orvane::Mosaira::Testing {

using namespace gl33core;

OffscreenTarget::OffscreenTarget(int width, int height) : width_(width), height_(height) {
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glGenRenderbuffers(1, &colour_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  glGenRenderbuffers(1, &depthStencil_);
  glBindRenderbuffer(GL_RENDERBUFFER, depthStencil_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            depthStencil_);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glViewport(0, 0, width, height);
}

OffscreenTarget::~OffscreenTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteRenderbuffers(1, &depthStencil_);
  glDeleteRenderbuffers(1, &colour_);
  glDeleteFramebuffers(1, &fbo_);
}

void OffscreenTarget::Clear() const {
  glStencilMask(0xffffffff);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

Rgba8 OffscreenTarget::Probe(int x, int y) const {
  Rgba8 pixel{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, height_ - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return pixel;
}

std::unique_ptr<GlTestContext> GlTestContext::Create() {
  auto context = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kCore33);
  if (context == nullptr) return nullptr;
  InstallGlErrorCheck();  // before the binding, whose context switch turns the check on
  context->InitializeBinding();
  return std::unique_ptr<GlTestContext>(new GlTestContext(std::move(context)));
}

GlTestContext::GlTestContext(std::unique_ptr<Platform::GlContext> context)
    : context_(std::move(context)) {}

::testing::AssertionResult Near(const Rgba8& got, const Rgba8& want, int tolerance) {
  for (int c = 0; c < 4; c++) {
    if (std::abs(int(got[c]) - int(want[c])) > tolerance) {
      return ::testing::AssertionFailure()
             << "got (" << int(got[0]) << ", " << int(got[1]) << ", " << int(got[2]) << ", "
             << int(got[3]) << "), want (" << int(want[0]) << ", " << int(want[1]) << ", "
             << int(want[2]) << ", " << int(want[3]) << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

std::unique_ptr<GlTestContext> BackEndTest::context_;

void BackEndTest::SetUp() {
  ASSERT_NE(context_, nullptr) << "no OpenGL 3.3 core context";
  target_ = std::make_unique<OffscreenTarget>(kSize, kSize);
  ASSERT_TRUE(target_->Complete());
  target_->Clear();
}

void BackEndTest::TearDown() {
  if (vg_ != nullptr) nvgDeleteInternal(vg_);
  target_.reset();
}

void BackEndTest::Make(int flags) {
  vg_ = nvgCreateGL3(flags);
  ASSERT_NE(vg_, nullptr);
}

}  // namespace Orvane::Mosaira::Testing
