// The plug-in loaded in the simulated host with one instance, for the on-screen controls' tests:
// solid layers in the first three polygon groups (red, green, blue), renders at the instance's
// size, and the colours the controls draw in.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effect/ParamIndices.h"
#include "host/HostUi.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "host/SmartFx.h"
#include "layout/LayoutRegistry.h"
#include "tests/support/HostWorldPixels.h"

namespace Orvane::Mosaira::Testing {

constexpr PF_ParamIndex LayerParam(int group) { return PolygonParam(group, kPolygonLayer); }

inline A_long LayoutsValueOf(const std::string& layoutId) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  for (size_t i = 0; i < registry.layoutIds.size(); ++i) {
    if (registry.layoutIds[i].id == layoutId) return A_long(2 + i);
  }
  return 1;
}

// The overlay's and the chooser's accent colour (43, 136, 205), allowing for edge blending.
inline bool IsAccent(const PF_Pixel8& p) {
  return p.alpha > 100 && p.blue > p.red + 60 && p.blue > p.green + 20;
}

// One thing a draw event drew, read back from the host's record of Drawbot calls: "How|steps", How
// being "FillPath", "StrokePath <pen width>" or "DrawString <font size>" and the steps the path
// since its NewPath ("MoveTo x,y AddArc cx,cy,r,start,sweep Close") or the string's origin,
// alignment, truncation, width and "text"; the brush's or pen's colour apart.
struct Drawn {
  std::string text;
  std::vector<double> colour;  // red, green, blue, alpha
  std::vector<DrawbotCall> steps;
};

inline std::string Step(const DrawbotCall& c) {
  std::ostringstream s;
  const bool string = c.function == "DrawString";
  s << c.function;
  for (size_t i = 0; i < (string ? 5 : c.numbers.size()); ++i) s << (i ? "," : " ") << c.numbers[i];
  if (string) s << " \"" << std::string(c.numbers.begin() + 6, c.numbers.end()) << '"';
  return s.str();
}

inline std::vector<Drawn> Drawings(const std::vector<DrawbotCall>& calls) {
  std::vector<Drawn> drawn;
  Drawn next;
  std::string size;
  for (const DrawbotCall& c : calls) {
    const std::string& f = c.function;
    if (f == "NewPath") next.steps.clear();
    if (f == "MoveTo" || f == "LineTo" || f == "AddRect" || f == "AddArc" || f == "Close") next.steps.push_back(c);
    if (f == "NewBrush" || f == "NewPen") next.colour.assign(c.numbers.begin(), c.numbers.begin() + 4);
    if (f == "NewPen" || f == "NewDefaultFont") size = Step({"", {c.numbers.back()}, 0});
    if (f != "FillPath" && f != "StrokePath" && f != "DrawString") continue;
    Drawn d = next;
    if (f == "DrawString") d.steps = {c};
    d.text = (f == "FillPath" ? f : f + size) + "|";
    for (size_t i = 0; i < d.steps.size(); ++i) d.text += (i ? " " : "") + Step(d.steps[i]);
    drawn.push_back(d);
  }
  return drawn;
}

class ControlsFixture : public ::testing::Test {
 protected:
  void StartInstance(A_long width, A_long height, const std::string& layoutId) {
    std::string error;
    ASSERT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
    id = host.AddInstance(width, height);
    ASSERT_NE(id, kNoInstance);
    const double rgb[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& c : rgb) {
      auto layer = std::make_unique<HostWorld>(32, 32, PF_PixelFormat_ARGB32, 4);
      for (A_long y = 0; y < 32; ++y) {
        for (A_long x = 0; x < 32; ++x) SetArgb(*layer, x, y, {255, float(255 * c[0]), float(255 * c[1]), float(255 * c[2])});
      }
      layers_.push_back(std::move(layer));
    }
    UseLayers(id);
    if (!layoutId.empty()) {
      ASSERT_EQ(host.SetPopup(id, kParamLayouts, LayoutsValueOf(layoutId)), PF_Err_NONE);
    }
  }
  void TearDown() override {
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(host.LeakReport().empty());
  }

  void UseLayers(InstanceId instance) {
    for (int g = 0; g < 3; ++g) ASSERT_TRUE(fx.SetLayer(instance, LayerParam(g), layers_[size_t(g)].get()));
  }

  // Draws `window` of `instance` (default: the fixture's), which must be answered and handled.
  EventReport DrawIn(PF_WindowType window, InstanceId instance = kNoInstance) {
    EventReport r = host.Ui().Draw(instance == kNoInstance ? id : instance, window);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
    return r;
  }
  // A press at `from` in the composition window of `instance` (default: the fixture's), which must
  // grab something, dragged to `to` and let go.
  void Drag(PF_Point from, PF_Point to, InstanceId instance = kNoInstance) {
    EventReport r = host.Ui().Click(instance == kNoInstance ? id : instance, PF_Window_COMP, from);
    ASSERT_TRUE(r.sendDrag) << "nothing grabbed at " << from.h << "," << from.v;
    r = host.Ui().Drag(to);
    EXPECT_EQ(r.outFlags, PF_EO_HANDLED_EVENT);
    host.Ui().MouseUp(to);
  }
  // Whether any pixel within `radius` of (x, y) on the last drawn surface is the accent colour.
  bool AccentNear(A_long x, A_long y, A_long radius = 1) {
    return AccentPixels(x - radius, y - radius, x + radius + 1, y + radius + 1) > 0;
  }
  // Pixels of the accent colour in [left, right) x [top, bottom) of the last drawn surface.
  int AccentPixels(A_long left, A_long top, A_long right, A_long bottom) {
    int n = 0;
    for (A_long y = top; y < bottom; ++y) {
      for (A_long x = left; x < right; ++x) n += IsAccent(host.Ui().LastSurface()->Pixel(x, y));
    }
    return n;
  }

  // A render of `instance` (default: the fixture's) into worlds of width x height (default: its
  // layer's size).
  std::unique_ptr<HostWorld> Render(InstanceId instance = kNoInstance, A_long width = 0, A_long height = 0) {
    if (instance == kNoInstance) instance = id;
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(instance, &rects), PF_Err_NONE);
    if (width == 0) width = host.Instance(instance).width;
    if (height == 0) height = host.Instance(instance).height;
    HostWorld input(width, height, PF_PixelFormat_ARGB32, 4);
    auto output = std::make_unique<HostWorld>(width, height, PF_PixelFormat_ARGB32, 4);
    EXPECT_EQ(fx.Render(instance, &input, output.get()), PF_Err_NONE);
    return output;
  }

  // The "Point" parameter of `instance` (default: the fixture's) that holds (x, y) in whole layer
  // pixels; 0 when none.
  PF_ParamIndex PointParamAt(A_long x, A_long y, InstanceId instance = kNoInstance) {
    for (PF_ParamIndex p = kParamPointFirst; p <= kParamPointLast; ++p) {
      const PF_PointDef& v = host.Stream(instance == kNoInstance ? id : instance, p).ValueAt(0).td;
      if (v.x_value == x * 65536 && v.y_value == y * 65536) return p;
    }
    return 0;
  }

  // 1, 2 or 3 for a pixel of the red, green or blue layer's frame; 0 for anything else.
  static int FrameColourAt(HostWorld& out, A_long x, A_long y) {
    const Argb p = GetArgb(out, x, y);
    if (p[0] < 250) return 0;
    for (int c = 1; c <= 3; ++c) {
      if (p[size_t(c)] > 250 && p[size_t(1 + c % 3)] < 5 && p[size_t(1 + (c + 1) % 3)] < 5) return c;
    }
    return 0;
  }

  SimulatedHost host;
  SmartFx fx{host};
  InstanceId id = kNoInstance;

 private:
  std::vector<std::unique_ptr<HostWorld>> layers_;
};

}  // namespace Orvane::Mosaira::Testing
