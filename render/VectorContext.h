// The vector-drawing context of every render: NanoVG on the OpenGL 3 back end with edge
// anti-aliasing, owned.
#pragma once

#include <memory>

struct NVGcontext;

namespace Orvane::Mosaira {

class VectorContext {
 public:
  // Makes the context in the share group of the current context (the root's); null when it
  // cannot be made (the back end's shaders do not build on this driver, or memory ran out),
  // after the back end printed why and deleted what it made.
  static std::unique_ptr<VectorContext> Create();

  // Deletes the context and its OpenGL objects, which needs a context of its share group current;
  // with no context current, or after abandon(), only its memory is freed. Never throws.
  ~VectorContext();
  VectorContext(const VectorContext&) = delete;
  VectorContext& operator=(const VectorContext&) = delete;

  NVGcontext* get() const noexcept { return ctx_; }

  // Drops the context's OpenGL names without a GL call, for when their contexts are gone.
  void abandon() noexcept;

 private:
  explicit VectorContext(NVGcontext* ctx) noexcept : ctx_(ctx) {}

  NVGcontext* ctx_ = nullptr;
};

}  // namespace Orvane::Mosaira
