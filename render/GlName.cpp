#include "render/GlName.h"

#include <glbinding/gl33core/gl.h>

#include "platform/GlContext.h"

using namespace gl33core;

namespace Orvane::Mosaira::detail {

GLuint GenerateGlName(GlObject kind) {
  GLuint name = 0;
  switch (kind) {
    case GlObject::kTexture:
      glGenTextures(1, &name);
      break;
    case GlObject::kRenderbuffer:
      glGenRenderbuffers(1, &name);
      break;
    case GlObject::kFramebuffer:
      glGenFramebuffers(1, &name);
      break;
    case GlObject::kBuffer:
      glGenBuffers(1, &name);
      break;
    case GlObject::kVertexArray:
      glGenVertexArrays(1, &name);
      break;
    case GlObject::kProgram:
      name = glCreateProgram();
      break;
  }
  return name;
}

void DeleteGlName(GlObject kind, GLuint name) noexcept {
  if (Platform::CurrentBindingHandle() == 0) return;
  switch (kind) {
    case GlObject::kTexture:
      glDeleteTextures(1, &name);
      break;
    case GlObject::kRenderbuffer:
      glDeleteRenderbuffers(1, &name);
      break;
    case GlObject::kFramebuffer:
      glDeleteFramebuffers(1, &name);
      break;
    case GlObject::kBuffer:
      glDeleteBuffers(1, &name);
      break;
    case GlObject::kVertexArray:
      glDeleteVertexArrays(1, &name);
      break;
    case GlObject::kProgram:
      glDeleteProgram(name);
      break;
  }
}

}  // namespace Orvane::Mosaira::detail
