// A glbinding after-callback for GL tests: every GL call made through glbinding (the plug-in's
// included, since it shares this process's glbinding) is followed by glGetError, and an error
// fails the running test and names the call.
#pragma once

#include <glbinding/Binding.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>
#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

namespace Orvane::Mosaira::Testing {

// Installs the check once per process. glbinding keeps the callback mask per context, so the mask
// is set again at every context switch.
inline void InstallGlErrorCheck() {
  static const bool installed = [] {
    glbinding::setAfterCallback([](const glbinding::FunctionCall& call) {
      const gl::GLenum error = gl33core::glGetError();
      if (error != gl::GLenum::GL_NO_ERROR) {
        ADD_FAILURE() << "GL error " << static_cast<unsigned>(error) << " after " << call.function->name();
      }
    });
    glbinding::Binding::addContextSwitchCallback([](glbinding::ContextHandle) {
      glbinding::setCallbackMaskExcept(glbinding::CallbackMask::After, {"glGetError"});
    });
    return true;
  }();
  (void)installed;
}

}  // namespace Orvane::Mosaira::Testing
