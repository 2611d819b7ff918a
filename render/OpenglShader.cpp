#include "render/OpenglShader.h"

#include <glbinding/gl33core/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

// Compiles one stage; returns its name, or 0 after printing its log and deleting it.
GLuint CompileStage(const OpenglShader& owner, GLenum type, const std::string& source, const char* stageName) {
  const GLuint stage = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(stage, 1, &text, nullptr);
  glCompileShader(stage);
  GLint status = 0;
  glGetShaderiv(stage, GL_COMPILE_STATUS, &status);
  if (status == static_cast<GLint>(GL_TRUE)) return stage;
  owner.printShaderLog(stage, stageName);
  glDeleteShader(stage);
  return 0;
}

void PrintProgramLog(GLuint program) {
  std::vector<char> log(kInfoLogLimit + 1, '\0');
  GLsizei length = 0;
  glGetProgramInfoLog(program, kInfoLogLimit + 1, &length, log.data());
  log[std::clamp<GLsizei>(length, 0, kInfoLogLimit)] = '\0';
  std::printf("Program error:\n%s\n", log.data());
  std::fflush(stdout);
}

void DeleteStages(GLuint program, const std::vector<GLuint>& stages) {
  for (GLuint stage : stages) {
    if (stage == 0) continue;
    if (program != 0) glDetachShader(program, stage);
    glDeleteShader(stage);
  }
}

}  // namespace

OpenglShader::OpenglShader(std::string vertex, std::string fragment)
    : vertexSource(std::move(vertex)), fragmentSource(std::move(fragment)) {}

void OpenglShader::compile() {
  std::vector<GLuint> stages;
  stages.push_back(CompileStage(*this, GL_VERTEX_SHADER, vertexSource, "vert"));
  if (stages.back() != 0) stages.push_back(CompileStage(*this, GL_FRAGMENT_SHADER, fragmentSource, "frag"));
  if (stages.back() != 0 && !geometrySource.empty()) {
    stages.push_back(CompileStage(*this, GL_GEOMETRY_SHADER, geometrySource, "geo"));
  }
  if (stages.back() == 0) {
    DeleteStages(0, stages);
    return;
  }
  GlProgram built = GlProgram::Generate();
  for (GLuint stage : stages) glAttachShader(built.Get(), stage);
  for (const auto& [name, location] : attributeLocations) {
    glBindAttribLocation(built.Get(), location, name.c_str());
  }
  glLinkProgram(built.Get());
  GLint status = 0;
  glGetProgramiv(built.Get(), GL_LINK_STATUS, &status);
  if (status != static_cast<GLint>(GL_TRUE)) PrintProgramLog(built.Get());
  DeleteStages(built.Get(), stages);
  // A program that did not link is deleted with `built`.
  if (status == static_cast<GLint>(GL_TRUE)) program = std::move(built);
}

void OpenglShader::printShaderLog(GLuint shader, const char* stageName) const {
  std::vector<char> log(kInfoLogLimit + 1, '\0');
  GLsizei length = 0;
  glGetShaderInfoLog(shader, kInfoLogLimit + 1, &length, log.data());
  log[std::clamp<GLsizei>(length, 0, kInfoLogLimit)] = '\0';
  std::printf("Shader %s error:\n%s\n", stageName, log.data());
  std::fflush(stdout);
}

void OpenglShader::bindTexture(const char* uniformName, GLuint texture) const {
  if (!program) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLint location = glGetUniformLocation(program.Get(), uniformName);
  if (location >= 0) glUniform1i(location, 0);
}

}  // namespace Orvane::Mosaira
