// OpenGL 3 back end behind NanoVG: state, creation and deletion, the shader program, textures
// and paint conversion. Recording of draw calls lives in NanoVgGl3Calls.cpp, the flush in
// NanoVgGl3Flush.cpp.
#include "render/NanoVgGl3.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira {

namespace detail {

using namespace gl33core;

namespace {

#include "render/NanoVgGl3Shaders.inc"

constexpr char kShaderHeader[] =
    "#version 150 core\n#define NANOVG_GL3 1\n#define USE_UNIFORMBUFFER 1\n\n";
constexpr char kEdgeAaOption[] = "#define EDGE_AA 1\n";
constexpr int kInfoLogBytes = 512;

// Creation of a NanoVG context in progress on this thread: lets nvgCreateGL3 tell whether the
// core handed the state back to glnvg__renderDelete on its failure path.
thread_local GLNVGcontext* tStateBeingCreated = nullptr;

GLNVGcontext* State(void* uptr) { return static_cast<GLNVGcontext*>(uptr); }

// Ends an info log of at most kInfoLogBytes characters, whatever length the driver reported.
void TerminateLog(GLchar* log, GLsizei len) {
  if (len < 0) len = 0;
  if (len > kInfoLogBytes) len = kInfoLogBytes;
  log[len] = '\0';
}

void glnvg__dumpShaderError(GLuint shader, const char* name, const char* stage) {
  GLchar log[kInfoLogBytes + 1];
  GLsizei len = 0;
  glGetShaderInfoLog(shader, kInfoLogBytes, &len, log);
  TerminateLog(log, len);
  std::printf("Shader %s/%s error:\n%s\n", name, stage, log);
}

void DumpProgramError(GLuint prog, const char* name) {
  GLchar log[kInfoLogBytes + 1];
  GLsizei len = 0;
  glGetProgramInfoLog(prog, kInfoLogBytes, &len, log);
  TerminateLog(log, len);
  std::printf("Program %s error:\n%s\n", name, log);
}

bool CompileStage(GLuint shader, const char* name, const char* stage) {
  glCompileShader(shader);
  GLint status = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status == static_cast<GLint>(GL_TRUE)) return true;
  glnvg__dumpShaderError(shader, name, stage);
  return false;
}

// A program that fails is deleted with its shaders here: the record keeps only a finished one.
void DeleteProgramObjects(GLuint prog, GLuint vert, GLuint frag) {
  if (prog != 0) glDeleteProgram(prog);
  if (vert != 0) glDeleteShader(vert);
  if (frag != 0) glDeleteShader(frag);
}

// Grows the texture table to max(ntextures + 1, 4) + ctextures / 2 records.
bool GrowTextureTable(GLNVGcontext* gl) {
  const int64_t wanted =
      static_cast<int64_t>(gl->ntextures + 1 > 4 ? gl->ntextures + 1 : 4) + gl->ctextures / 2;
  if (wanted > INT32_MAX) return false;
  void* grown = std::realloc(gl->textures, static_cast<size_t>(wanted) * sizeof(GLNVGtexture));
  if (grown == nullptr) return false;
  gl->textures = static_cast<GLNVGtexture*>(grown);
  gl->ctextures = static_cast<int>(wanted);
  return true;
}

GLenum PixelFormat(int type) { return type == NVG_TEXTURE_RGBA ? GL_RGBA : GL_RED; }

// Pixel-store state for reading a sub-rectangle out of a whole image's rows.
void SetUnpack(GLint rowLength, GLint skipPixels, GLint skipRows) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
}

// Back to the GL defaults, so other code finds them.
void RestoreUnpack() {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
}

void SetSamplerParams(int imageFlags) {
  const bool nearest = (imageFlags & NVG_IMAGE_NEAREST) != 0;
  GLenum minFilter = nearest ? GL_NEAREST : GL_LINEAR;
  if ((imageFlags & NVG_IMAGE_GENERATE_MIPMAPS) != 0) {
    minFilter = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR;
  }
  const GLenum magFilter = nearest ? GL_NEAREST : GL_LINEAR;
  const GLenum wrapS = (imageFlags & NVG_IMAGE_REPEATX) != 0 ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  const GLenum wrapT = (imageFlags & NVG_IMAGE_REPEATY) != 0 ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrapS));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrapT));
}

// A 2x3 transform (a, b, c, d, e, f) as std140 mat3 columns (a, b, 0, 0) (c, d, 0, 0) (e, f, 1, 0).
void XformToMat3x4(float* m3, const float* t) {
  const float m[12] = {t[0], t[1], 0.0f, 0.0f, t[2], t[3], 0.0f, 0.0f, t[4], t[5], 1.0f, 0.0f};
  std::memcpy(m3, m, sizeof(m));
}

NVGcolor Premultiplied(NVGcolor c) {
  c.r *= c.a;
  c.g *= c.a;
  c.b *= c.a;
  return c;
}

void ConvertScissor(GLNVGfragUniforms* frag, const NVGscissor* scissor, float fringe) {
  if (scissor->extent[0] < -0.5f || scissor->extent[1] < -0.5f) {
    frag->scissorExt[0] = frag->scissorExt[1] = 1.0f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.0f;
    return;
  }
  float inverse[6];
  nvgTransformInverse(inverse, scissor->xform);
  XformToMat3x4(frag->scissorMat, inverse);
  const float* t = scissor->xform;
  frag->scissorExt[0] = scissor->extent[0];
  frag->scissorExt[1] = scissor->extent[1];
  frag->scissorScale[0] = std::sqrt(t[0] * t[0] + t[2] * t[2]) / fringe;
  frag->scissorScale[1] = std::sqrt(t[1] * t[1] + t[3] * t[3]) / fringe;
}

// The paint transform after a vertical mirror within the extent: paint(x, h - y).
void FlippedXform(float* out, const float* t, float h) {
  const float m[6] = {t[0], t[1], -t[2], -t[3], t[2] * h + t[4], t[3] * h + t[5]};
  std::memcpy(out, m, sizeof(m));
}

}  // namespace

void glnvg__checkError(GLNVGcontext* gl, const char* label) {
  if ((gl->flags & NVG_DEBUG) == 0) return;
  const GLenum err = glGetError();
  if (err != GL_NO_ERROR) std::printf("Error %08x after %s\n", static_cast<unsigned>(err), label);
}

int glnvg__createShader(GLNVGshader* shader, const char* name, const char* header,
                        const char* opts, const char* vshader, const char* fshader) {
  const GLchar* vertSrc[3] = {header, opts != nullptr ? opts : "", vshader};
  const GLchar* fragSrc[3] = {header, opts != nullptr ? opts : "", fshader};
  std::memset(shader, 0, sizeof(*shader));
  GLuint prog = glCreateProgram();
  GLuint vert = glCreateShader(GL_VERTEX_SHADER);
  GLuint frag = glCreateShader(GL_FRAGMENT_SHADER);
  glShaderSource(vert, 3, vertSrc, nullptr);
  glShaderSource(frag, 3, fragSrc, nullptr);
  if (!CompileStage(vert, name, "vert") || !CompileStage(frag, name, "frag")) {
    DeleteProgramObjects(prog, vert, frag);
    return 0;
  }
  glAttachShader(prog, vert);
  glAttachShader(prog, frag);
  glBindAttribLocation(prog, 0, "vertex");
  glBindAttribLocation(prog, 1, "tcoord");
  glLinkProgram(prog);
  GLint status = 0;
  glGetProgramiv(prog, GL_LINK_STATUS, &status);
  if (status != static_cast<GLint>(GL_TRUE)) {
    DumpProgramError(prog, name);
    DeleteProgramObjects(prog, vert, frag);
    return 0;
  }
  shader->prog = prog;
  shader->vert = vert;
  shader->frag = frag;
  return 1;
}

int glnvg__fragSizeForAlignment(int align) {
  if (align <= 0) align = 4;  // a broken driver answer must not divide by zero
  return kFragUniformBytes + align - (kFragUniformBytes % align);
}

GLNVGtexture* glnvg__allocTexture(GLNVGcontext* gl) {
  GLNVGtexture* tex = nullptr;
  for (int i = 0; i < gl->ntextures; i++) {
    if (gl->textures[i].id == 0) {
      tex = &gl->textures[i];
      break;
    }
  }
  if (tex == nullptr) {
    if (gl->ntextures + 1 > gl->ctextures && !GrowTextureTable(gl)) return nullptr;
    tex = &gl->textures[gl->ntextures++];
  }
  std::memset(tex, 0, sizeof(*tex));
  tex->id = ++gl->textureId;
  return tex;
}

GLNVGtexture* glnvg__findTexture(GLNVGcontext* gl, int id) {
  if (id == 0) return nullptr;  // 0 marks free slots, never an image
  for (int i = 0; i < gl->ntextures; i++) {
    if (gl->textures[i].id == id) return &gl->textures[i];
  }
  return nullptr;
}

int glnvg__deleteTexture(GLNVGcontext* gl, int id) {
  GLNVGtexture* tex = glnvg__findTexture(gl, id);
  if (tex == nullptr) return 0;
  if (tex->tex != 0 && (tex->flags & NVG_IMAGE_NODELETE) == 0) glDeleteTextures(1, &tex->tex);
  std::memset(tex, 0, sizeof(*tex));
  return 1;
}

void glnvg__bindTexture(GLNVGcontext* gl, GLuint tex) {
  if (gl->boundTexture == tex) return;
  gl->boundTexture = tex;
  glBindTexture(GL_TEXTURE_2D, tex);
}

int glnvg__convertPaint(GLNVGcontext* gl, GLNVGfragUniforms* frag, const NVGpaint* paint,
                        const NVGscissor* scissor, float width, float fringe, float strokeThr) {
  std::memset(frag, 0, sizeof(*frag));
  frag->innerCol = Premultiplied(paint->innerColor);
  frag->outerCol = Premultiplied(paint->outerColor);
  ConvertScissor(frag, scissor, fringe);
  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMult = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThr = strokeThr;

  float inverse[6];
  if (paint->image != 0) {
    const GLNVGtexture* tex = glnvg__findTexture(gl, paint->image);
    if (tex == nullptr) return 0;
    if ((tex->flags & NVG_IMAGE_FLIPY) != 0) {
      float flipped[6];
      FlippedXform(flipped, paint->xform, paint->extent[1]);
      nvgTransformInverse(inverse, flipped);
    } else {
      nvgTransformInverse(inverse, paint->xform);
    }
    frag->type = NSVG_SHADER_FILLIMG;
    if (tex->type != NVG_TEXTURE_RGBA) {
      frag->texType = 2;
    } else {
      frag->texType = (tex->flags & NVG_IMAGE_PREMULTIPLIED) != 0 ? 0 : 1;
    }
  } else {
    frag->type = NSVG_SHADER_FILLGRAD;
    frag->radius = paint->radius;
    frag->feather = paint->feather;
    nvgTransformInverse(inverse, paint->xform);
  }
  XformToMat3x4(frag->paintMat, inverse);
  return 1;
}

// --- Callbacks: creation, textures, viewport, deletion ---

int glnvg__renderCreate(void* uptr, void* /*otherUptr*/) {
  GLNVGcontext* gl = State(uptr);
  // nvgCreateGL3 made everything before handing the state to the core (see there).
  if (gl->shader.prog != 0) return 1;
  glnvg__checkError(gl, "init");
  const char* opts = (gl->flags & NVG_ANTIALIAS) != 0 ? kEdgeAaOption : "";
  if (glnvg__createShader(&gl->shader, "shader", kShaderHeader, opts, kVertexShaderText,
                          kFillShaderText) == 0) {
    return 0;
  }
  glnvg__checkError(gl, "uniform locations");
  gl->shader.loc[GLNVG_LOC_VIEWSIZE] = glGetUniformLocation(gl->shader.prog, "viewSize");
  gl->shader.loc[GLNVG_LOC_TEX] = glGetUniformLocation(gl->shader.prog, "tex");
  gl->shader.loc[GLNVG_LOC_FRAG] =
      static_cast<GLint>(glGetUniformBlockIndex(gl->shader.prog, "frag"));

  // Vertex array objects are not shared between contexts, so the flush makes its own in
  // whichever context is current then; only the buffers are made here.
  glGenBuffers(1, &gl->vertBuf);
  glUniformBlockBinding(gl->shader.prog, static_cast<GLuint>(gl->shader.loc[GLNVG_LOC_FRAG]), 0);
  glGenBuffers(1, &gl->fragBuf);
  GLint align = 4;
  glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &align);
  gl->fragSize = glnvg__fragSizeForAlignment(align);

  glnvg__checkError(gl, "create done");
  glFinish();
  return 1;
}

int glnvg__renderCreateTexture(void* uptr, int type, int w, int h, int imageFlags,
                               const unsigned char* data) {
  GLNVGcontext* gl = State(uptr);
  if (w <= 0 || h <= 0) return 0;  // GL would make a texture nothing can sample
  GLNVGtexture* tex = glnvg__allocTexture(gl);
  if (tex == nullptr) return 0;
  glGenTextures(1, &tex->tex);
  tex->width = w;
  tex->height = h;
  tex->type = type;
  tex->flags = imageFlags;
  glnvg__bindTexture(gl, tex->tex);

  SetUnpack(w, 0, 0);
  const GLenum format = PixelFormat(type);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE,
               data);
  SetSamplerParams(imageFlags);
  RestoreUnpack();
  if ((imageFlags & NVG_IMAGE_GENERATE_MIPMAPS) != 0) glGenerateMipmap(GL_TEXTURE_2D);

  glnvg__checkError(gl, "create tex");
  glnvg__bindTexture(gl, 0);
  return tex->id;
}

int glnvg__renderDeleteTexture(void* uptr, int image) {
  return glnvg__deleteTexture(State(uptr), image);
}

int glnvg__renderUpdateTexture(void* uptr, int image, int x, int y, int w, int h,
                               const unsigned char* data) {
  GLNVGcontext* gl = State(uptr);
  GLNVGtexture* tex = glnvg__findTexture(gl, image);
  if (tex == nullptr) return 0;
  // The pixels are the whole image's: a region outside it, or no pixels at all, would make GL
  // read past the caller's bytes.
  if (data == nullptr || x < 0 || y < 0 || w < 0 || h < 0 || w > tex->width - x ||
      h > tex->height - y) {
    return 0;
  }
  glnvg__bindTexture(gl, tex->tex);
  SetUnpack(tex->width, x, y);
  const GLenum format = PixelFormat(tex->type);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, format, GL_UNSIGNED_BYTE, data);
  RestoreUnpack();
  glnvg__bindTexture(gl, 0);
  return 1;
}

int glnvg__renderGetTextureSize(void* uptr, int image, int* w, int* h) {
  const GLNVGtexture* tex = glnvg__findTexture(State(uptr), image);
  if (tex == nullptr) return 0;
  if (w != nullptr) *w = tex->width;
  if (h != nullptr) *h = tex->height;
  return 1;
}

void glnvg__renderViewport(void* uptr, float width, float height, float /*devicePixelRatio*/) {
  GLNVGcontext* gl = State(uptr);
  gl->view[0] = width;
  gl->view[1] = height;
}

void glnvg__renderDelete(void* uptr) {
  GLNVGcontext* gl = State(uptr);
  if (gl == nullptr) return;
  if (tStateBeingCreated == gl) tStateBeingCreated = nullptr;
  DeleteProgramObjects(gl->shader.prog, gl->shader.vert, gl->shader.frag);
  if (gl->fragBuf != 0) glDeleteBuffers(1, &gl->fragBuf);
  if (gl->vertArr != 0) glDeleteVertexArrays(1, &gl->vertArr);
  if (gl->vertBuf != 0) glDeleteBuffers(1, &gl->vertBuf);
  for (int i = 0; i < gl->ntextures; i++) {
    const GLNVGtexture& tex = gl->textures[i];
    if (tex.tex != 0 && (tex.flags & NVG_IMAGE_NODELETE) == 0) glDeleteTextures(1, &tex.tex);
  }
  std::free(gl->textures);
  std::free(gl->paths);
  std::free(gl->verts);
  std::free(gl->uniforms);
  std::free(gl->calls);
  std::free(gl);
}

}  // namespace detail

NVGcontext* nvgCreateGL3(int flags) {
  using namespace detail;
  auto* gl = static_cast<GLNVGcontext*>(std::calloc(1, sizeof(GLNVGcontext)));
  if (gl == nullptr) return nullptr;
  NVGparams params;
  std::memset(&params, 0, sizeof(params));
  params.userPtr = gl;
  params.edgeAntiAlias = (flags & NVG_ANTIALIAS) != 0 ? 1 : 0;
  params.renderCreate = glnvg__renderCreate;
  params.renderCreateTexture = glnvg__renderCreateTexture;
  params.renderDeleteTexture = glnvg__renderDeleteTexture;
  params.renderUpdateTexture = glnvg__renderUpdateTexture;
  params.renderGetTextureSize = glnvg__renderGetTextureSize;
  params.renderViewport = glnvg__renderViewport;
  params.renderCancel = glnvg__renderCancel;
  params.renderFlush = glnvg__renderFlush;
  params.renderFill = glnvg__renderFill;
  params.renderStroke = glnvg__renderStroke;
  params.renderTriangles = glnvg__renderTriangles;
  params.renderDelete = glnvg__renderDelete;
  gl->flags = flags;

  // The program and buffers are made before the core sees the parameters: after a create
  // callback that fails, the core's clean-up reads a font context it has not finished making
  // (and crashes on it), so a driver that cannot build the shaders fails here, core uncalled.
  if (glnvg__renderCreate(gl, nullptr) == 0) {
    glnvg__renderDelete(gl);
    return nullptr;
  }
  tStateBeingCreated = gl;
  NVGcontext* ctx = nvgCreateInternal(&params, nullptr);
  // On most failures the core frees the state through renderDelete; when its own first
  // allocation fails it never does, and the state is still ours.
  if (ctx == nullptr && tStateBeingCreated == gl) glnvg__renderDelete(gl);
  tStateBeingCreated = nullptr;
  return ctx;
}

int nvglCreateImageFromHandleGL3(NVGcontext* ctx, gl33core::GLuint texture, int width, int height,
                                 int imageFlags) {
  using namespace detail;
  if (ctx == nullptr || texture == 0 || width < 0 || height < 0) return 0;
  auto* gl = static_cast<GLNVGcontext*>(nvgInternalParams(ctx)->userPtr);
  GLNVGtexture* tex = glnvg__allocTexture(gl);
  if (tex == nullptr) return 0;
  tex->type = NVG_TEXTURE_RGBA;
  tex->tex = texture;
  tex->flags = imageFlags;
  tex->width = width;
  tex->height = height;
  return tex->id;
}

void nvglForgetObjectsGL3(NVGcontext* ctx) noexcept {
  using namespace detail;
  if (ctx == nullptr) return;
  auto* gl = static_cast<GLNVGcontext*>(nvgInternalParams(ctx)->userPtr);
  gl->shader.prog = 0;
  gl->shader.vert = 0;
  gl->shader.frag = 0;
  gl->fragBuf = 0;
  gl->vertArr = 0;
  gl->vertBuf = 0;
  for (int i = 0; i < gl->ntextures; i++) gl->textures[i].tex = 0;
}

}  // namespace Orvane::Mosaira
