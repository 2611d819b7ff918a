// `tiletta layouts` and `tiletta layout` as a user runs them: one numbering of the built-in
// layouts for listing and picking, the layout at the size and inset asked for, and bad usage
// refused with status 2 before anything else.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace {

struct CommandRun {
  int status = -1;
  std::string out;  // standard output
};

CommandRun Tiletta(const std::string& args) {
  const std::string path = ::testing::TempDir() + "tiletta_layout_" + std::to_string(::getpid()) + ".txt";
  const int raw = std::system((std::string(TILETTA_BINARY) + " " + args + " >" + path + " 2>/dev/null").c_str());
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::remove(path.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

std::string Line(const std::string& text, int n) {
  std::istringstream in(text);
  std::string line;
  for (int i = 0; i <= n && std::getline(in, line); ++i) {
  }
  return line;
}

// The fifth listed layout is the one `--layout 5` and `--layout ID` pick.
TEST(LayoutCommand, ListingNumberAndIdPickTheSameLayout) {
  const CommandRun list = Tiletta("layouts");
  ASSERT_EQ(list.status, 0);
  std::istringstream fifth(Line(list.out, 4));
  int number = 0;
  std::string id;
  fifth >> number >> id;
  EXPECT_EQ(number, 5);
  for (const std::string& pick : {std::string("5"), id}) {
    const CommandRun one = Tiletta("layout --layout " + pick);
    ASSERT_EQ(one.status, 0) << pick;
    EXPECT_EQ(Line(one.out, 0).rfind("layout " + id + " (template 4) ", 0), 0u) << one.out;
  }
}

TEST(LayoutCommand, SizeAndInsetAsAsked) {
  const CommandRun run = Tiletta("layout --layout 3-1 --size 640x360 --edge-inset 10");
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("at 640x360, edge inset 10\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 F1     [ (630.0, 170.0) (10.0, 170.0) (10.0, 10.0) (630.0, 10.0) ]"), std::string::npos)
      << run.out;
}

TEST(LayoutCommand, BadUsageIsStatusTwoUnreadableInputThree) {
  const std::pair<const char*, int> cases[] = {{"layout --size 640x360px", 2},
                                               {"layout --edge-inset 5000", 2}, {"frobnicate", 2},
                                               {"layout --json /nonexistent/layout.json", 3}};
  for (const auto& [args, status] : cases) EXPECT_EQ(Tiletta(args).status, status) << args;
}

}  // namespace
