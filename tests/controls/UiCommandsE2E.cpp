// `tiletta drag` and `tiletta chooser` as a user runs them: the README's drag example, the move
// buttons of "3-1" at 1920 x 1080 dragged in one step and in eight, the chooser's thumb dragged on
// a project that is already scrolled, and options refused before any work.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/PngFile.h"
#include "tests/controls/ControlsFixture.h"

namespace Orvane::Mosaira {
namespace {

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "tiletta_ui_" + std::to_string(getpid()) + "_" + name;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct CommandRun {
  int status = -1;
  std::string out, errors;
};

CommandRun Tiletta(const std::string& args) {
  const std::string out = TempPath("stdout.txt"), err = TempPath("stderr.txt");
  const int raw = std::system((std::string(TILETTA_BINARY) + " " + args + " >" + out + " 2>" + err).c_str());
  CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

// The "changed:" lines of a drag's output.
std::vector<std::string> Changed(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("changed:", 0) == 0) lines.push_back(line);
  }
  return lines;
}

// The README's drag example, run as written (its optional parts left out), grabs button B2 and
// moves P8 ("Point 4") and the sliding point P7 ("Slider 1") by 100 px to the right, nothing else
// (the vertical part of the move is not B2's).
TEST(DragCommand, ReadmeExampleReshapesTheLayout) {
  const std::string readme = ReadText(TILETTA_README);
  const size_t at = readme.find("tiletta drag --");
  ASSERT_NE(at, std::string::npos);
  std::string args = readme.substr(at + 8, readme.find('\n', at) - at - 8);
  for (size_t open; (open = args.find('[')) != std::string::npos;) args.erase(open, args.find(']', open) - open + 1);
  const std::string project = TempPath("readme.proj");
  ASSERT_NE(args.find("p.proj"), std::string::npos) << args;
  args.replace(args.find("p.proj"), 6, project);
  const CommandRun run = Tiletta(args);
  ASSERT_EQ(run.status, 0) << args << "\n" << run.errors;
  EXPECT_NE(run.out.find("grabbed: an element"), std::string::npos) << run.out;
  EXPECT_EQ(Changed(run.out), (std::vector<std::string>{"changed: 8 \"Point 4\" = 1060, 1080",
                                                        "changed: 31 \"Slider 1\" = 55.2083"}));
  std::remove(project.c_str());
}

// B1 (up-down) lies over the sliding point P7: a press there grabs the button, which takes the
// whole vertical move of the gesture in one step or in eight and ignores a horizontal one (the
// point, had it been moved instead, would have slid along its vector).
TEST(DragCommand, UpDownButtonTakesTheWholeVerticalMove) {
  const std::vector<std::string> down50 = {"changed: 5 \"Point 1\" = 0, 590", "changed: 6 \"Point 2\" = 1920, 590"};
  const std::vector<std::string> up30 = {"changed: 5 \"Point 1\" = 0, 510", "changed: 6 \"Point 2\" = 1920, 510"};
  const struct {
    const char* gesture;
    std::vector<std::string> changed;
  } cases[] = {{"--from 960,540 --to 960,590 --steps 1", down50},
               {"--from 960,540 --to 960,590 --steps 8", down50},
               {"--from 962,545 --to 962,515 --steps 8", up30},
               {"--from 960,540 --to 1060,540 --steps 8", {"changed: none"}}};
  for (const auto& c : cases) {
    const CommandRun run = Tiletta(std::string("drag --layout 3-1 ") + c.gesture);
    ASSERT_EQ(run.status, 0) << c.gesture << "\n" << run.errors;
    EXPECT_EQ(Changed(run.out), c.changed) << c.gesture << "\n" << run.out;
  }
}

// On one project, each --scroll presses the thumb where the project left it and drags its top to
// the fraction of the 240 px track asked for (the thumb is 16 px long, its track ends at 224).
TEST(ChooserCommand, ScrollDragsTheThumbFromWhereTheProjectLeftIt) {
  const std::string project = TempPath("chooser.proj"), png = TempPath("chooser.png");
  const struct {
    const char* scroll;
    A_long thumbTop;  // below the control's top, at 40 in the panel
  } cases[] = {{"1", 223}, {"0.5", 120}, {"0.25", 60}, {"0", 0}};
  for (const auto& c : cases) {
    const CommandRun run = Tiletta("chooser --scroll " + std::string(c.scroll) + " --project " + project + " -o " + png);
    ASSERT_EQ(run.status, 0) << c.scroll << "\n" << run.errors;
    EXPECT_NE(run.out.find("press on the thumb: error 0, handled, dragging"), std::string::npos) << run.out;
    std::string error;
    const auto picture = ReadPngWorld(png, PF_PixelFormat_ARGB32, {}, &error);
    ASSERT_TRUE(picture) << error;
    A_long top = 40;
    while (top < 280 && !Testing::IsAccent(picture->Pixel8(233, top))) ++top;
    EXPECT_EQ(top - 40, c.thumbTop) << c.scroll;
  }
  std::remove(project.c_str());
  std::remove(png.c_str());
}

// Options the chooser cannot use are refused as bad usage, named, before anything is drawn.
TEST(ChooserCommand, RefusesSizesAndLayoutsItCannotShow) {
  const std::string png = TempPath("refused.png");
  const struct {
    const char* options;
    const char* message;
  } cases[] = {{"--size 16305x260", "--size: the control can be at most 16304x16304"},
               {"--size 200x16384", "--size: the control can be at most 16304x16304"},
               {"--current ''", "--current: expected a built-in layout's id or number from 1 to 104, got \"\""},
               {"--current 0", "--current: expected"},
               {"--current 105", "--current: expected"},
               {"--current 9-99", "--current: expected"}};
  for (const auto& c : cases) {
    const CommandRun run = Tiletta(std::string("chooser ") + c.options + " -o " + png);
    EXPECT_EQ(run.status, 2) << c.options;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.options << ": " << run.errors;
    EXPECT_NE(access(png.c_str(), F_OK), 0) << c.options;
  }
}

}  // namespace
}  // namespace Orvane::Mosaira
