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
#include "render/RenderGlobals.h"
#include "render/Renderer.h"
#include "tests/support/GlErrorCheck.h"

namespace Orvane::Mosaira::Testing {

// The renderer's state between global set-up and set-down.
inline RenderGlobals& Globals() { return *CurrentRenderGlobals(); }

// The calling thread's render context in that state, current on return.
inline AEOpenGLContext* AcquireThreadContext() { return Globals().contexts.AcquireThreadContext(); }

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

// Owner of a framebuffer bound for drawing and reading, its colour attachment 0 a w x h float
// renderbuffer of its own, with the viewport set and blending off.
class ReadTarget {
 public:
  ReadTarget(int w, int h) {
    using namespace gl33core;
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, w, h);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, w, h);
    glDisable(GL_BLEND);
  }
  ~ReadTarget() {
    gl33core::glBindFramebuffer(gl::GLenum::GL_FRAMEBUFFER, 0);
    gl33core::glDeleteFramebuffers(1, &fbo);
    gl33core::glDeleteRenderbuffers(1, &colour);
  }
  ReadTarget(const ReadTarget&) = delete;
  ReadTarget& operator=(const ReadTarget&) = delete;
  gl::GLuint fbo = 0;
  gl::GLuint colour = 0;
};

// RGBA float pixels of the framebuffer bound for reading, bottom row first.
inline std::vector<float> ReadFloatPixels(int width, int height) {
  std::vector<float> pixels(static_cast<std::size_t>(width) * height * 4);
  gl33core::glReadPixels(0, 0, width, height, gl::GLenum::GL_RGBA, gl::GLenum::GL_FLOAT, pixels.data());
  return pixels;
}

}  // namespace Orvane::Mosaira::Testing
