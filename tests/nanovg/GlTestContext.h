// Test bed for the vector-drawing back end on Mesa llvmpipe: an OpenGL 3.3 core context current
// on the test thread, with the shared check that fails the running test on any GL error, and an
// offscreen single-sample framebuffer with colour and stencil.
#pragma once

#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>

#include "platform/GlContext.h"
#include "render/NanoVgGl3.h"
#include "render/NanoVgGl3Internal.h"

namespace Orvane::Mosaira::Testing {

using Rgba8 = std::array<std::uint8_t, 4>;

// Owner of a framebuffer with an RGBA8 colour renderbuffer and a depth-stencil renderbuffer,
// bound as the draw and read framebuffer while it lives.
class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  bool Complete() const { return complete_; }
  // Clears colour to transparent black and the stencil to 0.
  void Clear() const;
  // The pixel at (x, y) in view coordinates (y downwards, as NanoVG draws).
  Rgba8 Probe(int x, int y) const;

 private:
  int width_;
  int height_;
  gl33core::GLuint fbo_ = 0;
  gl33core::GLuint colour_ = 0;
  gl33core::GLuint depthStencil_ = 0;
  bool complete_ = false;
};

// A fresh 3.3 core context for one test suite, with the error-checking callback installed.
class GlTestContext {
 public:
  // Null when the driver cannot make a 3.3 core context.
  static std::unique_ptr<GlTestContext> Create();
  GlTestContext(const GlTestContext&) = delete;
  GlTestContext& operator=(const GlTestContext&) = delete;

  const Platform::GlContext& Context() const { return *context_; }

 private:
  explicit GlTestContext(std::unique_ptr<Platform::GlContext> context);
  std::unique_ptr<Platform::GlContext> context_;
};

// Each channel of got within tolerance of want.
::testing::AssertionResult Near(const Rgba8& got, const Rgba8& want, int tolerance = 1);
inline const Rgba8 kClear{0, 0, 0, 0};

// One 3.3 core context per suite and, per test, a cleared kSize x kSize target and (after Make)
// a back end.
class BackEndTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;
  static void SetUpTestSuite() { context_ = GlTestContext::Create(); }
  static void TearDownTestSuite() { context_.reset(); }
  void SetUp() override;
  void TearDown() override;
  void Make(int flags);
  // The back end's own state behind vg_.
  detail::GLNVGcontext* State() const {
    return static_cast<detail::GLNVGcontext*>(nvgInternalParams(vg_)->userPtr);
  }

  static std::unique_ptr<GlTestContext> context_;
  std::unique_ptr<OffscreenTarget> target_;
  NVGcontext* vg_ = nullptr;
};

}  // namespace Orvane::Mosaira::Testing
