// `tiletta` as a user first runs it: the usage, on standard error and with status 2 when no
// command (or an unknown one) is given, on standard output when asked for; each command's own
// usage (status 0) lists the options the overview lists for it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
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

struct HelpRun {
  int status;
  std::string out;
};

HelpRun Tiletta(const std::string& args) {
  const std::string base = ::testing::TempDir() + "tiletta_usage_" + std::to_string(::getpid());
  const int raw = std::system((std::string(TILETTA_BINARY) + " " + args + " >" + base + ".out 2>/dev/null").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(base + ".out")};
}

// The options named in a usage block: from `start` up to the first line that begins with two
// spaces and a word (the descriptions that follow a command's usage, or the next command).
std::set<std::string> OptionsIn(const std::string& text, const std::string& start) {
  const size_t from = text.find(start);
  if (from == std::string::npos) return {};
  const std::regex end("\n  [^ ]"), option("(--[a-z-]+|\\B-o\\b)");
  std::smatch m;
  const std::string rest = text.substr(from + start.size());
  const std::string block = std::regex_search(rest, m, end) ? rest.substr(0, size_t(m.position(0))) : rest;
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(block.begin(), block.end(), option); it != std::sregex_iterator(); ++it) {
    found.insert(it->str());
  }
  return found;
}

TEST(CommandUsage, EachCommandsUsageListsWhatTheOverviewLists) {
  const std::string overview = Tiletta("--help").out;
  for (const std::string command : {"layouts", "layout", "render", "overlay", "chooser", "drag"}) {
    const HelpRun own = Tiletta(command + " --help");
    EXPECT_EQ(own.status, 0) << command;
    EXPECT_EQ(own.out.rfind("usage: tiletta " + command, 0), 0u) << command << ":\n" << own.out;
    EXPECT_EQ(OptionsIn(own.out, "usage: tiletta " + command), OptionsIn(overview, "\n  " + command + " "))
        << command;
  }
}

}  // namespace
