// The vector-drawing context of every render: NanoVG on the OpenGL 3 back end with edge
// anti-aliasing, owned.
#pragma once

struct NVGcontext;

namespace Orvane::Mosaira {

class VectorContext {
 public:
  // Makes the context in the share group of the current context (the root's). Throws
  // AESDK_OpenGL_Fault when it cannot be made; nothing is kept then.
  VectorContext();

  // Deletes the context and its OpenGL objects, which needs a context of its share group current;
  // with no context current, or after abandon(), only its memory is freed. Never throws.
  ~VectorContext();
  VectorContext(const VectorContext&) = delete;
  VectorContext& operator=(const VectorContext&) = delete;

  NVGcontext* get() const noexcept { return ctx_; }

  // Drops the context's OpenGL names without a GL call, for when their contexts are gone.
  void abandon() noexcept;

 private:
  NVGcontext* ctx_ = nullptr;
};

}  // namespace Orvane::Mosaira
