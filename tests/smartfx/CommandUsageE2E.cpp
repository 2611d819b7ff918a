// `tiletta` as a user first runs it: the usage, on standard error and with status 2 when no
// command (or an unknown one) is given, on standard output when asked for.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

TEST(CommandUsage, UsageGoesWhereTheStatusSays) {
  const std::string base = ::testing::TempDir() + "tiletta_usage_" + std::to_string(::getpid());
  const struct { const char* args; int status; bool onError; } cases[] = {
      {"", 2, true}, {"bogus", 2, true}, {"--help", 0, false}, {"-h", 0, false}};
  for (const auto& c : cases) {
    const std::string command = std::string(TILETTA_BINARY) + " " + c.args + " >" + base + ".out 2>" + base + ".err";
    const int raw = std::system(command.c_str());
    const std::string out = Slurp(base + ".out"), err = Slurp(base + ".err");
    ASSERT_TRUE(WIFEXITED(raw)) << c.args;
    EXPECT_EQ(WEXITSTATUS(raw), c.status) << c.args;
    EXPECT_NE((c.onError ? err : out).find("usage: tiletta <command>"), std::string::npos) << c.args;
    EXPECT_EQ(c.onError ? out : err, "") << c.args;
  }
}

}  // namespace
