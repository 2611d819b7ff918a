// What the on-screen controls do at their edges without a host: bad event blocks, the panel colour
// of a failed host call, and the trace lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "ui/DebugLog.h"
#include "ui/EventDispatch.h"
#include "ui/PanelStyle.h"

namespace Orvane::Mosaira {
namespace {

TEST(HandleEvent, NullBlocksAreBadParametersWithoutBeingRead) {
  PF_InData in{};
  PF_OutData out{};
  PF_ParamDef* params[1] = {nullptr};
  PF_Context context{};
  PF_Context* contextP = &context;
  PF_EventExtra extra{};
  extra.contextH = &contextP;
  const InstanceLink none;
  EXPECT_EQ(HandleEvent(&in, &out, nullptr, &extra, none), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(HandleEvent(&in, &out, params, nullptr, none), PF_Err_BAD_CALLBACK_PARAM);
  contextP = nullptr;
  EXPECT_EQ(HandleEvent(&in, &out, params, &extra, none), PF_Err_BAD_CALLBACK_PARAM);
}

TEST(UsableBackground, FailedCallFallsBackToGrey) {
  const PF_App_Color asked{100, 200, 300};
  const PF_App_Color ok = UsableBackground(PF_Err_NONE, asked);
  const PF_App_Color failed = UsableBackground(PF_Err_BAD_CALLBACK_PARAM, asked);
  EXPECT_EQ(ok.blue, 300);
  EXPECT_EQ(failed.red, kFallbackPanelGrey);
  EXPECT_EQ(failed.blue, kFallbackPanelGrey);
}

void Collect(const char* text, void* lines) {
  static_cast<std::vector<std::string>*>(lines)->push_back(text);
}

TEST(DebugLog, LineThenLineFeedAndLongMessagesCut) {
  std::vector<std::string> lines;
  Platform::SetDebugOutputSink(Collect, &lines);
  DebugLog("hit scroll bar:%s", "yes");
  DebugLog("%s", std::string(5000, 'x').c_str());
  Platform::SetDebugOutputSink(nullptr, nullptr);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "hit scroll bar:yes");
  EXPECT_EQ(lines[1], "\n");
  EXPECT_EQ(lines[2].size(), 1023u);
}

}  // namespace
}  // namespace Orvane::Mosaira
