// A GL program built from source text, with its attribute locations bound before linking.
#pragma once

#include <glbinding/gl33core/types.h>

#include <map>
#include <string>

#include "render/GlName.h"

namespace Orvane::Mosaira {

class OpenglShader {
 public:
  // Keeps the two sources; makes no GL object and needs no context.
  OpenglShader(std::string vertex, std::string fragment);

  // Deletes the program when one was built and a context is current on this thread (without
  // one, the program went away with its share group). Never throws.
  virtual ~OpenglShader() = default;
  OpenglShader(const OpenglShader&) = delete;
  OpenglShader& operator=(const OpenglShader&) = delete;

  // Builds `program` from the sources, binding `attributeLocations` in name order before the
  // link. Never throws. A stage that fails prints "Shader <vert|frag|geo> error:\n<log>\n" and
  // a link that fails prints "Program error:\n<log>\n" (logs cut to 512 characters) to standard
  // output; every object of the failed build is deleted and `program` stays 0, so a later call
  // tries again. Needs a current context.
  void compile();

  // Prints the info log of one stage object as above.
  void printShaderLog(gl::GLuint shader, const char* stageName) const;

  // Makes texture unit 0 active and binds `texture` there as a 2D texture; when the program is
  // built and has a sampler `uniformName`, points it at unit 0. Does nothing while unbuilt.
  void bindTexture(const char* uniformName, gl::GLuint texture) const;

  std::string vertexSource;
  std::string fragmentSource;
  std::string geometrySource;  // empty: no geometry stage
  GlProgram program;           // none until a successful build
  std::map<std::string, gl::GLuint> attributeLocations;
};

// Longest info log printed, in characters.
inline constexpr int kInfoLogLimit = 512;

}  // namespace Orvane::Mosaira
