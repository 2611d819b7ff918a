// A driver that cannot build the vector-drawing back end's shaders, played through glbinding,
// which this process shares with the plug-in: while a VectorShaderFault lives, every shader that
// carries the back end's source header is compiled from a source that does not compile, so the
// back end sees the compile fail and prints the driver's log, as on a driver without what its
// shaders need. Other shaders compile as they are. Arm it before the plug-in's global set-up;
// one at a time.
#pragma once

#include <glbinding/Binding.h>
#include <glbinding/CallbackMask.h>
#include <glbinding/FunctionCall.h>
#include <glbinding/callbacks.h>
#include <glbinding/gl33core/gl.h>

#include <atomic>
#include <string>

namespace Orvane::Mosaira::Testing {

class VectorShaderFault {
 public:
  VectorShaderFault() {
    Install();
    Armed().store(true);
  }
  ~VectorShaderFault() { Armed().store(false); }
  VectorShaderFault(const VectorShaderFault&) = delete;
  VectorShaderFault& operator=(const VectorShaderFault&) = delete;

 private:
  static std::atomic<bool>& Armed() {
    static std::atomic<bool> armed{false};
    return armed;
  }

  // The before-callback mask is kept per context: set in every context made current while armed
  // (so the fault must be armed before the plug-in makes its contexts).
  static void EnableInCurrentContext() {
    if (!Armed().load()) return;
    auto& compile = glbinding::Binding::CompileShader;
    compile.setCallbackMask(compile.callbackMask() | glbinding::CallbackMask::Before);
  }

  static void BreakVectorShader(gl::GLuint shader) {
    using namespace gl33core;
    if (!Armed().load()) return;
    GLint length = 0;
    glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
    std::string source(std::size_t(length > 0 ? length : 1), '\0');
    glGetShaderSource(shader, GLsizei(source.size()), nullptr, source.data());
    if (source.find("#define NANOVG_GL3") == std::string::npos) return;
    const char* broken = "#version 150 core\nvoid main() { missing_on_this_driver(); }\n";
    glShaderSource(shader, 1, &broken, nullptr);
  }

  static void Install() {
    static const bool installed = [] {
      // The general before-callback runs for every function whose mask asks for one.
      if (!glbinding::beforeCallback()) glbinding::setBeforeCallback([](const glbinding::FunctionCall&) {});
      glbinding::Binding::CompileShader.setBeforeCallback(&BreakVectorShader);
      glbinding::Binding::addContextSwitchCallback([](glbinding::ContextHandle) { EnableInCurrentContext(); });
      return true;
    }();
    (void)installed;
  }
};

}  // namespace Orvane::Mosaira::Testing
