// A driver that cannot build the shaders the frames are drawn with (the vector-drawing context
// cannot be made): the plug-in still loads, the on-screen controls still draw, and every render
// fails with its own error code and a message, leaving the output as the host handed it over and
// keeping nothing; set up again on a driver that builds them, it renders.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/HostUi.h"
#include "tests/support/PluginSession.h"
#include "tests/support/VectorShaderFault.h"

namespace Orvane::Mosaira::Testing {
namespace {

constexpr A_long kWidth = 64, kHeight = 48;
const Argb kHandedOver = {7, 7, 7, 7};

class NoVectorContext : public PluginSession, public ::testing::Test {
 protected:
  // Loads the plug-in (global set-up included) on a driver that cannot build the shaders.
  void OpenWithoutShaders() {
    VectorShaderFault fault;
    ::testing::internal::CaptureStdout();
    Open(kWidth, kHeight);
    printed = ::testing::internal::GetCapturedStdout();
  }
  void Fill(PF_PixelFormat format) {
    for (int k = 0; k < 2; ++k) {
      layers.push_back(SolidLayer(kWidth, kHeight, format, {1.0, 0.5, 0.25, 0.75}));
      ASSERT_TRUE(fx.SetLayer(id, LayerParam(k), layers.back().get()));
    }
    Pick("2-1");
  }
  void TearDown() override { Close(); }

  std::string printed;
  std::vector<std::unique_ptr<HostWorld>> layers;
};

bool AllPixels(HostWorld& world, const Argb& value) {
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      if (GetArgb(world, x, y) != value) return false;
    }
  }
  return true;
}

TEST_F(NoVectorContext, SetupSucceedsAndEveryRenderFailsClearly) {
  OpenWithoutShaders();
  ASSERT_TRUE(host.IsGloballySetUp());
  EXPECT_NE(printed.find("Shader shader/vert error:"), std::string::npos) << printed;
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    layers.clear();
    Fill(format);
    PF_PreRenderOutput rects{};
    EXPECT_EQ(fx.PreRender(id, &rects), PF_Err_NONE);
    HostWorld input(kWidth, kHeight, format, 4), output(kWidth, kHeight, format, 4);
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x) SetArgb(output, x, y, kHandedOver);
    }
    host.TakeMessages();
    EXPECT_EQ(fx.Render(id, &input, &output), PF_Err_INTERNAL_STRUCT_DAMAGED) << format;
    EXPECT_TRUE(AllPixels(output, kHandedOver)) << format;
    EXPECT_TRUE(output.PaddingIntact());
    const std::vector<PluginMessage> messages = host.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].error);
    EXPECT_NE(messages[0].text.find("could not build the shaders"), std::string::npos) << messages[0].text;
  }
  // The composition overlay needs no vector-drawing context.
  const EventReport drawn = host.Ui().Draw(id, PF_Window_COMP);
  EXPECT_EQ(drawn.err, PF_Err_NONE);
  EXPECT_EQ(drawn.outFlags & PF_EO_HANDLED_EVENT, PF_EO_HANDLED_EVENT);
}

TEST_F(NoVectorContext, SetupOnADriverThatBuildsThemRendersAgain) {
  OpenWithoutShaders();
  Fill(PF_PixelFormat_ARGB32);
  ASSERT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ::testing::internal::GetCapturedStdout();
  auto out = RenderOf(id, kWidth, kHeight, PF_PixelFormat_ARGB32);
  ExpectPixel(*out, kWidth / 4, kHeight / 2, {1.0, 0.5, 0.25, 0.75});
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
