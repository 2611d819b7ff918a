#include <gtest/gtest.h>

#include <string>

#include "platform/DebugOutput.h"

namespace Orvane::Mosaira::Platform {
namespace {

void Collect(const char* text, void* userData) { static_cast<std::string*>(userData)->append(text); }

TEST(DebugOutputSinkTest, InstalledSinkReceivesText) {
  std::string got;
  SetDebugOutputSink(Collect, &got);
  DebugOutputString("one\n");
  DebugOutputString(nullptr);
  DebugOutputString("two\n");
  SetDebugOutputSink(nullptr, nullptr);
  DebugOutputString("three\n");
  EXPECT_EQ(got, "one\ntwo\n");
}

}  // namespace
}  // namespace Orvane::Mosaira::Platform
