#include "render/FullScreenPasses.h"

#include <glbinding/gl33core/gl.h>

using namespace gl33core;

namespace Orvane::Mosaira {

const float fullScreenQuadVertices[kQuadVertexCount * kQuadFloatsPerVertex] = {
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,  //
    1.0f,  1.0f,  0.0f, 1.0f, 1.0f,  //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,  //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,  //
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,  //
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,
};

const char* const kPassVertexSource =
    "#version 330\n"
    "in vec3 position;\n"
    "in vec2 input_uv;\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "   uv = input_uv;\n"
    "   gl_Position = vec4(position, 1.0);\n"
    "}";

// Values above 1.0 would leave the host's 16-bit range (0..32768) after the division, so the
// 16-bit road holds them to 1.0 first; 8-bit and float output keep theirs. Coverage up to half a
// 16-bit step (the rounding dust of anti-aliased edges that float storage keeps and 8-bit storage
// drops) is no coverage: outside the frames every depth gives exactly (0, 0, 0, 0), not a
// vanishing alpha with full colour after un-premultiplying. The 16-bit road writes any other
// alpha rounded to the host's 16-bit steps, so at least one step: an alpha that the output
// rounds to 0 never carries colour, however the driver rounds half a step.
const char* const kOutputPassFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "const float alphaFloor = 0.5 / 32768.0;\n"
    "const float steps16bit = 32768.0;\n"
    "void main() {\n"
    "   colourOut = texture( videoTexture, uv );\n"
    "   if (colourOut.a <= alphaFloor) {\n"
    "       colourOut = vec4(0); \n"
    "   } else {\n"
    "       float alpha = colourOut.a;\n"
    "       if (multiplier16bit > 1.0) {\n"
    "           alpha = floor(alpha * steps16bit + 0.5) / steps16bit;\n"
    "       }\n"
    "       colourOut = vec4(alpha, colourOut.r / colourOut.a, colourOut.g / colourOut.a, colourOut.b / "
    "colourOut.a);\n"
    "   }\n"
    "   if (multiplier16bit > 1.0) {\n"
    "       colourOut = min(colourOut, vec4(1.0));\n"
    "   }\n"
    "   colourOut = colourOut / multiplier16bit;\n"
    "}";

const char* const kFlipPassFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colourOut;\n"
    "uniform sampler2D videoTexture;\n"
    "uniform float multiplier16bit;\n"
    "void main() {\n"
    "   colourOut = texture( videoTexture, vec2(uv.x, 1.0-uv.y) );\n"
    "   colourOut = colourOut / multiplier16bit;\n"
    "}";

namespace {

constexpr GLsizei kVertexStride = kQuadFloatsPerVertex * sizeof(float);
constexpr std::size_t kUvOffset = 3 * sizeof(float);

}  // namespace

FullScreenPass::FullScreenPass(const char* fragmentSource) : shader(kPassVertexSource, fragmentSource) {
  shader.attributeLocations["position"] = 0;
  shader.attributeLocations["input_uv"] = 1;
}

FullScreenPass::~FullScreenPass() { release(); }

GLuint FullScreenPass::vertexArrayOf(Platform::BindingHandle context) const {
  const auto found = vertexArrays.find(context);
  return found != vertexArrays.end() ? found->second.Get() : 0;
}

void FullScreenPass::draw(GLuint texture, float multiplier) {
  // The buffer is shared by the share group; the vertex array belongs to this context alone.
  GlVertexArray& vertexArray = vertexArrays[Platform::CurrentBindingHandle()];
  if (!vertexArray) vertexArray = GlVertexArray::Generate();
  glBindVertexArray(vertexArray.Get());
  if (!vertexBuffer) {
    vertexBuffer = GlBuffer::Generate();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.Get());
    glBufferData(GL_ARRAY_BUFFER, sizeof(fullScreenQuadVertices), fullScreenQuadVertices, GL_STATIC_DRAW);
  }
  if (!shader.program) shader.compile();

  const GLuint program = shader.program.Get();
  const bool built = program != 0;
  glUseProgram(program);
  glBindVertexArray(vertexArray.Get());
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.Get());
  if (built) {
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kVertexStride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kVertexStride, reinterpret_cast<const void*>(kUvOffset));
  }
  shader.bindTexture("videoTexture", texture);
  if (built) {
    const GLint location = glGetUniformLocation(program, "multiplier16bit");
    if (location >= 0) glUniform1f(location, multiplier);
  }
  glDrawArrays(GL_TRIANGLES, 0, kQuadVertexCount);
  if (built) {
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
  }
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FullScreenPass::release() {
  // Only the current context may delete its vertex array; the others go with their contexts.
  const auto own = vertexArrays.find(Platform::CurrentBindingHandle());
  if (own != vertexArrays.end()) own->second.Reset();
  for (auto& entry : vertexArrays) entry.second.Release();
  vertexArrays.clear();
  vertexBuffer.Reset();
  shader.program.Reset();
}

void FullScreenPass::abandon() noexcept {
  for (auto& entry : vertexArrays) entry.second.Release();
  vertexArrays.clear();
  vertexBuffer.Release();
  shader.program.Release();
}

}  // namespace Orvane::Mosaira
