#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace Orvane::Mosaira
