#include "render/OpenGLContext.h"

#include <glbinding/Meta.h>
#include <glbinding/gl33core/gl.h>

#include <cstdio>

#include "platform/ContextState.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

thread_local Platform::ContextState savedHostContext;

std::string DriverText(GLenum name) {
  const GLubyte* text = glGetString(name);
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

AEOpenGLContext::AEOpenGLContext(const AEOpenGLContext* root) {
  const auto profile = root != nullptr ? Platform::ContextProfile::kCore33 : Platform::ContextProfile::kDriverDefault;
  glContext = Platform::GlContext::Create(root != nullptr ? root->glContext.get() : nullptr, profile);
  if (glContext == nullptr) throw AESDK_OpenGL_Fault();
  glContext->InitializeBinding();
  printGLInfo();
}

AEOpenGLContext::~AEOpenGLContext() {
  Platform::RestoreContextState(Platform::ContextState());
  glContext.reset();
}

void AEOpenGLContext::MakeCurrent() const {
  if (!glContext->MakeCurrent()) throw AESDK_OpenGL_Fault();
}

void VersionFromText(const char* text, int* major, int* minor) {
  *major = 0;
  *minor = 0;
  if (text == nullptr || text[0] == '\0' || text[1] == '\0' || text[2] == '\0') return;
  *major = text[0] - '0';
  *minor = text[2] - '0';
}

std::string FormatGlDescription(const GlDescription& d) {
  std::string version = d.major == 0 && d.minor == 0 ? std::string("-.-")
                                                     : std::to_string(d.major) + "." + std::to_string(d.minor);
  return "\nOpenGL Version:  " + version + "\nOpenGL Vendor:   " + d.vendor + "\nOpenGL Renderer: " +
         d.renderer + "\nOpenGL Revision: " + std::to_string(d.revision) + " (gl.xml)\n\n";
}

void printGLInfo() {
  GlDescription d;
  d.renderer = DriverText(GL_RENDERER);
  d.vendor = DriverText(GL_VENDOR);
  GLint major = 0;
  GLint minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  d.major = major;
  d.minor = minor;
  // Drivers older than OpenGL 3.0 reject the two queries; their version is in the text.
  if (glGetError() == GL_INVALID_ENUM) {
    const std::string text = DriverText(GL_VERSION);
    VersionFromText(text.c_str(), &d.major, &d.minor);
  }
  d.revision = glbinding::Meta::glRevision();
  std::fputs(FormatGlDescription(d).c_str(), stdout);
  std::fflush(stdout);
}

void SaveHostContext() noexcept { savedHostContext = Platform::CurrentContextState(); }

void RestoreHostContext() noexcept { Platform::RestoreContextState(savedHostContext); }

}  // namespace Orvane::Mosaira
