#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "effect/PiplBytes.h"
#include "host/Pipl.h"
#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira {
namespace {

std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string text;
  if (!pipe) return text;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe.get())) text += buffer;
  return text;
}

TEST(PluginLibrary, OnlyExportIsEntryPoint) {
  const std::string symbols =
      CommandOutput(std::string("nm -D --defined-only ") + testing::kPluginPath);
  ASSERT_FALSE(symbols.empty());
  std::vector<std::string> names;
  size_t start = 0;
  while (start < symbols.size()) {
    const size_t end = symbols.find('\n', start);
    const std::string line = symbols.substr(start, end - start);
    names.push_back(line.substr(line.rfind(' ') + 1));
    start = end == std::string::npos ? symbols.size() : end + 1;
  }
  EXPECT_EQ(names, std::vector<std::string>{"EntryPointFunc"}) << symbols;
}

TEST(PluginLibrary, PiplSectionHoldsTheResource) {
  std::vector<uint8_t> bytes;
  ASSERT_EQ(ReadElfSection(testing::kPluginPath, ".pipl", &bytes), PiplError::kNone);
  EXPECT_EQ(bytes, std::vector<uint8_t>(kPiplBytes.begin(), kPiplBytes.end()));
  const PiplResult pipl = ReadPluginPipl(testing::kPluginPath);
  ASSERT_EQ(pipl.error, PiplError::kNone);
  EXPECT_EQ(pipl.info.name, "Tiletta");
  EXPECT_EQ(pipl.info.category, "Kestrelle");
  EXPECT_EQ(pipl.info.matchName, "QV_Tiletta");
  EXPECT_EQ(pipl.info.entryPoint, "EntryPointFunc");
  EXPECT_EQ(pipl.info.outFlags, 0x04008000u);
  EXPECT_EQ(pipl.info.outFlags2, 0x00001400u);
  EXPECT_EQ(pipl.info.effectVersion, 0x00080001u);
}

}  // namespace
}  // namespace Orvane::Mosaira
