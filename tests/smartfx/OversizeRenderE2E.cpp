// Frames larger than the driver can draw are refused before anything is drawn, with the
// plug-in's reason in the message the host shows its user.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/PluginSession.h"

namespace Orvane::Mosaira::Testing {
namespace {

class OversizeRender : public PluginSession, public ::testing::Test {
 protected:
  void TearDown() override { Close(); }
};

// 8192 x 4320 at 16 bits: the frame's four-sample float layer (2.3 GB) is more than this driver
// holds in one buffer. The render succeeds without drawing, and says why.
TEST_F(OversizeRender, LayerTheDriverCannotHoldIsReportedAndLeftAlone) {
  Open(8192, 4320);
  Pick("2-1");
  host.TakeMessages();
  const auto out = RenderOf(id, 8192, 4320, PF_PixelFormat_ARGB64);
  const std::vector<PluginMessage> messages = host.TakeMessages();
  if (messages.empty() && GetArgb(*out, 0, 0) != Argb{7, 7, 7, 7}) GTEST_SKIP() << "this driver draws it";
  EXPECT_EQ(GetArgb(*out, 0, 0), (Argb{7, 7, 7, 7}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].cmd, PF_Cmd_SMART_RENDER);
  EXPECT_TRUE(messages[0].error);
  EXPECT_NE(messages[0].text.find("8192 x 4320"), std::string::npos) << messages[0].text;
  // The size the driver refused keeps no storage, and a frame it can draw is drawn as before.
  ASSERT_TRUE(host.SetLayerSize(id, 64, 48));
  EXPECT_EQ(GetArgb(*RenderOf(id, 64, 48, PF_PixelFormat_ARGB64), 0, 0), (Argb{0, 0, 0, 0}));
  EXPECT_TRUE(host.TakeMessages().empty());
}

}  // namespace
}  // namespace Orvane::Mosaira::Testing
