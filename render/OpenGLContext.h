// One OpenGL rendering context of the renderer, its description, and the save and restore of the
// calling thread's current context.
//
// The effect draws only in contexts of its own, never in the host's (see ContextRegistry.h for
// the root and the per-thread contexts). Making a context
// changes the calling thread's current context, so every sequence of OpenGL work is bracketed
// by SaveHostContext / RestoreHostContext (or a ScopedHostContext), on the failure path too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/GlContext.h"

namespace Orvane::Mosaira {

// Thrown by every failure to make or select a context; `code` is always 1.
class AESDK_OpenGL_Fault {
 public:
  std::int32_t code = 1;
};

// One OpenGL rendering context (on EGL: a context on the shared display, with an 8x8 pbuffer
// only where the driver needs a surface). Heap-made and owned by the registry through a
// pointer; not copyable.
class AEOpenGLContext {
 public:
  // With `root` null, makes a root context (the driver's default, no version asked);
  // otherwise an OpenGL 3.3 core context sharing objects with `root`. On return the context
  // is current on the calling thread, glbinding is initialised for it and its description has
  // been printed (printGLInfo). Throws AESDK_OpenGL_Fault on any failure after releasing what
  // it made; the calling thread may then have no current context (callers restore their own).
  explicit AEOpenGLContext(const AEOpenGLContext* root);

  // Leaves the calling thread with no current context and destroys the context.
  virtual ~AEOpenGLContext();
  AEOpenGLContext(const AEOpenGLContext&) = delete;
  AEOpenGLContext& operator=(const AEOpenGLContext&) = delete;

  // Makes the context current on the calling thread and selects it in glbinding; throws
  // AESDK_OpenGL_Fault when the driver refuses (nothing of ours is then current).
  void MakeCurrent() const;

  Platform::BindingHandle Handle() const noexcept { return glContext->Handle(); }

 private:
  std::unique_ptr<Platform::GlContext> glContext;
};

// The numbers printGLInfo prints, split out so that the text can be checked without a driver.
struct GlDescription {
  int major = 0;
  int minor = 0;
  std::string vendor;
  std::string renderer;
  int revision = 0;  // revision of the GL registry glbinding was generated from
};

// Major and minor version read from a GL_VERSION text ("4.5 (Compatibility...)" gives 4, 5):
// the first and third characters minus '0'. A null or too short text gives 0, 0.
void VersionFromText(const char* text, int* major, int* minor);

// The six lines printGLInfo writes, each ended by a newline: an empty line, "OpenGL Version:  "
// with major.minor (or "-.-" when both are 0), "OpenGL Vendor:   ", "OpenGL Renderer: ",
// "OpenGL Revision: " with the revision and " (gl.xml)", and an empty line.
std::string FormatGlDescription(const GlDescription& description);

// Queries the current context (GL_MAJOR_VERSION, GL_MINOR_VERSION with GL_VERSION as the
// fallback, GL_VENDOR, GL_RENDERER) and prints its description to standard output, flushed.
// Needs a current context selected in glbinding.
void printGLInfo();

// Saves the calling thread's current context (display, surfaces, context, API) in its
// thread-local slot.
void SaveHostContext() noexcept;

// Makes the context saved by this thread's last SaveHostContext current again when the current
// one differs (with nothing saved, leaves nothing current). Failures are not reported.
void RestoreHostContext() noexcept;

// SaveHostContext at construction, RestoreHostContext at destruction.
class ScopedHostContext {
 public:
  ScopedHostContext() noexcept { SaveHostContext(); }
  ~ScopedHostContext() { RestoreHostContext(); }
  ScopedHostContext(const ScopedHostContext&) = delete;
  ScopedHostContext& operator=(const ScopedHostContext&) = delete;
};

}  // namespace Orvane::Mosaira
