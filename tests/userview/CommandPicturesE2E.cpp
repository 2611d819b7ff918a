// The pictures of `tiletta chooser` and `tiletta overlay` as a user sees them: the chooser fills
// its control in the host panel's own colour and cuts its hint to the control's width; the overlay
// picture shows the window at its zoom, the rendered frame under the overlay at the same scale.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "host/PngFile.h"

namespace Orvane::Mosaira {
namespace {

constexpr A_long kMargin = 40;  // panel pixels around the control

// The picture `tiletta <args> -o FILE` writes; null when the command fails.
std::unique_ptr<HostWorld> Picture(const std::string& args) {
  const std::string path = ::testing::TempDir() + "tiletta_picture_" + std::to_string(::getpid()) + ".png";
  const std::string command = std::string(TILETTA_BINARY) + " " + args + " -o " + path + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0) return nullptr;
  auto panel = ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, nullptr);
  std::remove(path.c_str());
  return panel;
}

bool SameColour(const PF_Pixel8& a, const PF_Pixel8& b) {
  return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue) <= 3;
}

// Pixels in [left, right) x [top, bottom) of the panel's own colour (its corner's).
int PanelColoured(HostWorld& panel, A_long left, A_long top, A_long right, A_long bottom) {
  const PF_Pixel8 colour = panel.Pixel8(2, 2);
  int n = 0;
  for (A_long y = top; y < bottom; ++y) {
    for (A_long x = left; x < right; ++x) n += SameColour(panel.Pixel8(x, y), colour);
  }
  return n;
}

// The space between and around the layout previews is the panel's colour, as the host reports it.
TEST(ChooserPanel, BackgroundIsThePanelColour) {
  auto panel = Picture("chooser --size 200x260");
  ASSERT_NE(panel, nullptr);
  const int inside = PanelColoured(*panel, kMargin, kMargin, kMargin + 200, kMargin + 260);
  EXPECT_GT(inside, 200 * 260 / 4);
}

// In a narrow control the hint ends with an ellipsis inside it: nothing is drawn in the margin.
TEST(ChooserPanel, HintIsCutToANarrowControl) {
  auto panel = Picture("chooser --size 90x260");
  ASSERT_NE(panel, nullptr);
  const A_long right = kMargin + 90;
  const int margin = (panel->Width() - right - 2) * panel->Height();
  EXPECT_EQ(PanelColoured(*panel, right + 2, 0, panel->Width(), panel->Height()), margin);
}

// At 50 % a 640 x 360 layer shows as 320 x 180, the render scaled with it: away from the overlay,
// a pixel shows what the window at 100 % shows at twice its coordinates.
TEST(OverlayPicture, WindowAtItsZoomWithTheRenderScaledAlike) {
  auto half = Picture("overlay --layout 3-1 --size 640x360 --zoom 0.5");
  auto full = Picture("overlay --layout 3-1 --size 640x360 --zoom 1");
  ASSERT_TRUE(half != nullptr && full != nullptr);
  EXPECT_EQ(half->Width(), 320);
  EXPECT_EQ(half->Height(), 180);
  for (const auto& [x, y] : {std::pair<A_long, A_long>{20, 20}, {300, 170}, {20, 170}}) {
    const PF_Pixel8 a = half->Pixel8(x, y), b = full->Pixel8(2 * x, 2 * y);
    EXPECT_LE(std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue), 40) << x << "," << y;
  }
}

// At 100 % the overlay picture shows the rendered frame's own colours under the overlay.
TEST(OverlayPicture, RenderedFrameKeepsItsColours) {
  auto overlay = Picture("overlay --layout 3-1 --size 640x360 --zoom 1");
  auto render = Picture("render --layout 3-1 --size 640x360");
  ASSERT_TRUE(overlay != nullptr && render != nullptr);
  for (const auto& [x, y] : {std::pair<A_long, A_long>{40, 40}, {600, 340}, {40, 340}}) {
    const PF_Pixel8 a = overlay->Pixel8(x, y), b = render->Pixel8(x, y);
    EXPECT_LE(std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue), 6) << x << "," << y;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
