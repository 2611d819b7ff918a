// Shared fixtures of the renderer's GL tests: a glbinding after-callback that fails the running
// test on any GL error, and a session with the renderer's global set-up done and the calling
// thread's render context current.
#pragma once

#include <glbinding/Binding.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>
#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "render/OpenGLContext.h"
#include "tests/support/GlErrorCheck.h"
#include "render/RenderGlobals.h"

namespace Orvane::Mosaira::Testing {

// Global set-up in SetUp (with the error check), the thread's context acquired; global
// set-down in TearDown.
class RenderSession : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallGlErrorCheck();
    RenderGlobalSetup();
    context = AcquireThreadContext();
  }
  void TearDown() override { RenderGlobalSetdown(); }

  AEOpenGLContext* context = nullptr;
};

// RGBA float pixels of the framebuffer bound for reading, bottom row first.
inline std::vector<float> ReadFloatPixels(int width, int height) {
  std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
  gl33core::glReadPixels(0, 0, width, height, gl::GLenum::GL_RGBA, gl::GLenum::GL_FLOAT, pixels.data());
  return pixels;
}

}  // namespace Orvane::Mosaira::Testing
