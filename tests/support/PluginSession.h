// The plug-in library in the simulated host, as the render tests drive it: the library loaded,
// an instance, layers picked per polygon group, pre-render and render through the entry point,
// and the host's books checked when the session ends.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "effect/ParamIndices.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "tests/support/HostWorldPixels.h"

namespace Orvane::Mosaira::Testing {

// The "Layouts" value of built-in layout `id`; no layout when there is none of that id.
inline A_long LayoutsValueOf(const std::string& id) {
  const auto& ids = LayoutRegistry::instance().layoutIds;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (ids[i].id == id) return A_long(kLayoutsFirstLayout + A_long(i));
  }
  return kLayoutsNone;
}

constexpr PF_ParamIndex LayerParam(int group) { return PolygonParam(group, kPolygonLayer); }

// (a, r, g, b) given as fractions of white, in the units of `format`.
inline Argb ArgbOf(const std::array<double, 4>& argb, PF_PixelFormat format) {
  const double white = WhiteOf(format);
  return {float(argb[0] * white), float(argb[1] * white), float(argb[2] * white), float(argb[3] * white)};
}

// A w x h layer of one colour, (a, r, g, b) as fractions of white, rows `pad` bytes longer.
inline std::unique_ptr<HostWorld> SolidLayer(A_long w, A_long h, PF_PixelFormat format,
                                             const std::array<double, 4>& argb, A_long pad = 8) {
  auto layer = std::make_unique<HostWorld>(w, h, format, pad);
  const Argb value = ArgbOf(argb, format);
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) SetArgb(*layer, x, y, value);
  }
  return layer;
}

// Row padding that leaves rows of no whole number of pixels, each channel still aligned.
inline A_long OddRowPad(PF_PixelFormat format) { return HostWorld::BytesPerPixel(format) / 4; }

// Expects the pixel at (x, y) to be `want` (fractions of white) within `tolerance`.
inline void ExpectPixel(HostWorld& w, A_long x, A_long y, const std::array<double, 4>& want,
                        double tolerance = 2.5 / 255) {
  const Argb got = GetArgb(w, x, y);
  for (int c = 0; c < 4; ++c) {
    EXPECT_NEAR(got[c] / WhiteOf(w.Format()), want[c], tolerance) << "channel " << c << " at " << x << "," << y;
  }
}

class PluginSession {
 protected:
  // Loads the library and adds an instance on a w x h layer.
  void Open(A_long w, A_long h) {
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
    id = host.AddInstance(w, h);
    ASSERT_NE(id, kNoInstance);
  }
  // Sets everything down; the host's invariants must have held throughout, and no handle is left.
  void Close() {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(host.Handles().LiveHandles().empty()) << host.LeakReport().front();
  }
  void Pick(const std::string& layout) {
    ASSERT_EQ(host.SetPopup(id, kParamLayouts, LayoutsValueOf(layout)), PF_Err_NONE);
  }
  // Pre-renders and renders instance `which` into a new w x h output of `format`, whose pixel
  // (0, 0) starts as (7, 7, 7, 7); both commands must succeed.
  std::unique_ptr<HostWorld> RenderOf(InstanceId which, A_long w, A_long h, PF_PixelFormat format) {
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(which, &rects), PF_Err_NONE);
    HostWorld input(w, h, format, 4);
    auto output = std::make_unique<HostWorld>(w, h, format, 4);
    if (w > 0 && h > 0) SetArgb(*output, 0, 0, {7, 7, 7, 7});
    EXPECT_EQ(fx.Render(which, &input, output.get()), PF_Err_NONE);
    EXPECT_TRUE(output->PaddingIntact());
    return output;
  }

  SimulatedHost host;
  SmartFx fx{host};
  InstanceId id = kNoInstance;
};

}  // namespace Orvane::Mosaira::Testing
