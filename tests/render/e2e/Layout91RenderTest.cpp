// Built-in layout 9-1 rendered through the plug-in library in the simulated host, 8-bit, with nine
// solid layers, inset and round corners (the anti-aliased edges of the vector drawing show in the
// picture). The same test runs in the Linux and the Windows build: with TILETTA_RENDER_OUT set it
// writes the output's pixels (ARGB, rows top first, no padding) there; with TILETTA_RENDER_REFERENCE
// set it compares them with that file, which must exist, allowing one 8-bit step per channel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "host/HostGlContext.h"
#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr A_long kWidth = 320, kHeight = 180;
constexpr int kLayers = 9;

PF_Pixel8 LayerColour(int i) {
  return PF_Pixel8{255, A_u_char(40 + 24 * i), A_u_char(230 - 20 * i), A_u_char(i % 2 == 0 ? 60 : 200)};
}

std::unique_ptr<HostWorld> SolidLayer(int i) {
  auto layer = std::make_unique<HostWorld>(96, 64, PF_PixelFormat_ARGB32, 8);
  for (A_long y = 0; y < layer->Height(); ++y) {
    for (A_long x = 0; x < layer->Width(); ++x) layer->Pixel8(x, y) = LayerColour(i);
  }
  return layer;
}

std::vector<uint8_t> Pixels(HostWorld& world) {
  std::vector<uint8_t> bytes;
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      const PF_Pixel8 p = world.Pixel8(x, y);
      bytes.insert(bytes.end(), {p.alpha, p.red, p.green, p.blue});
    }
  }
  return bytes;
}

bool IsColour(const uint8_t* p, PF_Pixel8 c) {
  return p[0] == c.alpha && p[1] == c.red && p[2] == c.green && p[3] == c.blue;
}

std::vector<uint8_t> Render91() {
  SimulatedHost host;
  auto gl = HostGlContext::Create();
  EXPECT_NE(gl, nullptr);
  if (gl == nullptr) return {};
  host.SetCommandHook(gl.get());
  SmartFx fx{host};
  std::string error;
  EXPECT_TRUE(host.LoadPlugin(TILETTA_PLUGIN_PATH, &error)) << error;
  const InstanceId id = host.AddInstance(kWidth, kHeight);
  std::vector<std::unique_ptr<HostWorld>> layers;
  for (int i = 0; i < kLayers; ++i) {
    layers.push_back(SolidLayer(i));
    EXPECT_TRUE(fx.SetLayer(id, LayerParam(i), layers.back().get()));
  }
  EXPECT_EQ(host.SetPopup(id, kParamLayouts, LayoutsValueOf("9-1")), PF_Err_NONE);
  EXPECT_EQ(host.SetFloat(id, kParamEdgeInset, 6.0), PF_Err_NONE);
  EXPECT_EQ(host.SetFloat(id, kParamRoundCorner, 12.0), PF_Err_NONE);
  PF_PreRenderOutput rects{};
  EXPECT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
  HostWorld input(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  HostWorld output(kWidth, kHeight, PF_PixelFormat_ARGB32, 4);
  EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_NONE);
  host.SetCommandHook(nullptr);
  host.Shutdown();
  EXPECT_TRUE(host.Violations().empty());
  EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
  return Pixels(output);
}

TEST(Layout91Render, EveryLayerShowsAndTheRenderMatchesTheReference) {
  const std::vector<uint8_t> pixels = Render91();
  ASSERT_EQ(pixels.size(), size_t(kWidth * kHeight * 4));
  for (int i = 0; i < kLayers; ++i) {
    int count = 0;
    for (size_t at = 0; at < pixels.size(); at += 4) count += IsColour(&pixels[at], LayerColour(i));
    EXPECT_GT(count, 200) << "layer " << i;
  }
  if (const char* out = std::getenv("TILETTA_RENDER_OUT")) {
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size()));
    EXPECT_TRUE(file.good()) << out;
  }
  const char* reference = std::getenv("TILETTA_RENDER_REFERENCE");
  if (reference == nullptr) return;
  std::ifstream file(reference, std::ios::binary);
  ASSERT_TRUE(file.good()) << "no reference render at " << reference;
  const std::vector<uint8_t> want{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(want.size(), pixels.size());
  int differing = 0, beyondOneStep = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    const int d = std::abs(int(pixels[i]) - int(want[i]));
    differing += d != 0;
    beyondOneStep += d > 1;
  }
  EXPECT_EQ(beyondOneStep, 0) << differing << " channel values differ";
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
