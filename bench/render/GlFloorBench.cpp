// The floor of the render road on the same driver: the nine layers' bytes uploaded into textures
// kept from one iteration to the next, two full-screen passes (a layer into a target, that target
// into a second one) and the read-back of the second, in the depth's own storage. A render
// through the entry point does all of this and more, so its time over this one is what the
// road costs beyond the floor.
#include <benchmark/benchmark.h>
#include <glbinding/gl33core/gl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/GlContext.h"

namespace Orvane::Mosaira {
namespace {

using namespace gl33core;

constexpr int kLayers = 9;

const char* const kVertexSource =
    "#version 330\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "  vec2 p = vec2(float((gl_VertexID & 1) << 2) - 1.0, float((gl_VertexID & 2) << 1) - 1.0);\n"
    "  uv = p * 0.5 + 0.5;\n"
    "  gl_Position = vec4(p, 0.0, 1.0);\n"
    "}";
const char* const kFragmentSource =
    "#version 330\n"
    "in vec2 uv;\n"
    "out vec4 colour;\n"
    "uniform sampler2D source;\n"
    "void main() { colour = texture(source, uv); }";

struct Depth {
  GLenum internalFormat;
  GLenum type;
  int bytesPerPixel;
};

Depth DepthOf(int bits) {
  if (bits == 8) return {GL_RGBA8, GL_UNSIGNED_BYTE, 4};
  if (bits == 16) return {GL_RGBA16, GL_UNSIGNED_SHORT, 8};
  return {GL_RGBA32F, GL_FLOAT, 16};
}

GLuint Texture(GLsizei w, GLsizei h, GLenum internalFormat) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(GL_LINEAR));
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  return texture;
}

GLuint Program() {
  const GLuint program = glCreateProgram();
  for (auto [kind, source] : {std::pair{GL_VERTEX_SHADER, kVertexSource}, {GL_FRAGMENT_SHADER, kFragmentSource}}) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    glAttachShader(program, shader);
    glDeleteShader(shader);
  }
  glLinkProgram(program);
  return program;
}

// A render target: a texture of the depth's storage in a framebuffer of its own.
struct Target {
  Target(GLsizei w, GLsizei h, GLenum internalFormat) : texture(Texture(w, h, internalFormat)) {
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  }
  GLuint texture = 0;
  GLuint framebuffer = 0;
};

void Pass(GLuint source, const Target& target) {
  glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  glBindTexture(GL_TEXTURE_2D, source);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void BM_GlFloor(benchmark::State& state) {
  const auto w = GLsizei(state.range(0)), h = GLsizei(state.range(1));
  const Depth depth = DepthOf(int(state.range(2)));
  auto context = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kCore33);
  if (context == nullptr) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  context->InitializeBinding();
  const std::size_t frameBytes = std::size_t(w) * std::size_t(h) * std::size_t(depth.bytesPerPixel);
  std::vector<std::vector<char>> layers(kLayers, std::vector<char>(frameBytes, 1));
  std::vector<char> output(frameBytes);
  std::vector<GLuint> textures;
  for (int k = 0; k < kLayers; ++k) textures.push_back(Texture(w, h, depth.internalFormat));
  const Target first(w, h, depth.internalFormat), second(w, h, depth.internalFormat);
  const GLuint program = Program();
  GLuint vertexArray = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glUseProgram(program);
  glViewport(0, 0, w, h);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (auto _ : state) {
    for (int k = 0; k < kLayers; ++k) {
      glBindTexture(GL_TEXTURE_2D, textures[std::size_t(k)]);
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, depth.type, layers[std::size_t(k)].data());
    }
    Pass(textures[0], first);
    Pass(first.texture, second);
    glReadPixels(0, 0, w, h, GL_RGBA, depth.type, output.data());
    benchmark::DoNotOptimize(output.data());
  }
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteProgram(program);
  for (const Target* t : {&first, &second}) {
    glDeleteFramebuffers(1, &t->framebuffer);
    glDeleteTextures(1, &t->texture);
  }
  glDeleteTextures(GLsizei(textures.size()), textures.data());
}

BENCHMARK(BM_GlFloor)
    ->Args({1920, 1080, 8})->Args({1920, 1080, 16})->Args({1920, 1080, 32})
    ->Args({3840, 2160, 8})->Args({3840, 2160, 16})->Args({3840, 2160, 32})
    ->ArgNames({"w", "h", "bits"})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace Orvane::Mosaira
