// `tiletta render` as a user runs it: a PNG of the right size and depth showing the frames, and
// a clear message with a non-zero status for bad arguments and unreadable files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/PngFile.h"

namespace {

struct CommandRun {
  int status = -1;
  std::string errors;
};

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "tiletta_render_" + std::to_string(::getpid()) + "_" + name;
}

CommandRun Tiletta(const std::string& args) {
  const std::string err = TempPath("stderr.txt");
  const std::string command = std::string(TILETTA_BINARY) + " " + args + " >/dev/null 2>" + err;
  const int raw = std::system(command.c_str());
  CommandRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  run.errors = text.str();
  std::remove(err.c_str());
  return run;
}

using Orvane::Mosaira::HostWorld;

struct Png {
  Orvane::Mosaira::PngHeader header;
  std::unique_ptr<HostWorld> world;  // 8 bits per channel, straight
};

bool ReadPng(const std::string& path, Png* out) {
  out->world = Orvane::Mosaira::ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, nullptr);
  return out->world != nullptr && Orvane::Mosaira::ReadPngHeader(path, {}, &out->header, nullptr);
}

// (r, g, b, a) of pixel (x, y).
std::array<int, 4> At(const Png& p, A_long x, A_long y) {
  const PF_Pixel8 q = p.world->Pixel8(x, y);
  return {q.red, q.green, q.blue, q.alpha};
}

// Sample layers fill the frames, each its own, at the size, downsampling and depth asked for.
TEST(RenderCommand, SampleLayersAtTheSizeAndDepthAsked) {
  const struct { std::string args; A_long width, height; int bitDepth; } cases[] = {
      {"--layout 2-1 --size 64x48 --edge-inset 4", 64, 48, 8},
      {"--layout 2-1 --size 64x48 --downsample 2", 32, 24, 8},
      {"--layout 1 --size 40x30 --depth 16", 40, 30, 16},
      {"--layout 1 --size 40x30 --depth 32", 40, 30, 16}};
  const std::string out = TempPath("sample.png");
  for (const auto& c : cases) {
    const CommandRun run = Tiletta("render " + c.args + " -o " + out);
    ASSERT_EQ(run.status, 0) << c.args << "\n" << run.errors;
    Png png;
    ASSERT_TRUE(ReadPng(out, &png)) << c.args;
    EXPECT_EQ(png.header.width, c.width) << c.args;
    EXPECT_EQ(png.header.height, c.height) << c.args;
    EXPECT_EQ(png.header.bitDepth, c.bitDepth) << c.args;
    if (c.width != 64) continue;
    EXPECT_EQ(At(png, 16, 24)[3], 255);  // frame 1 filled
    EXPECT_EQ(At(png, 32, 24)[3], 0);    // gutter
    // Distinct layers: the two frames differ in colour at their tops.
    const auto a = At(png, 8, 6);
    const auto b = At(png, 40, 6);
    EXPECT_GT(std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]), 30);
  }
  std::remove(out.c_str());
}

// Mean of r + g + b over row y from x0 to x1 (exclusive).
double RowBrightness(const Png& p, A_long y, A_long x0, A_long x1) {
  double sum = 0;
  for (A_long x = x0; x < x1; ++x) sum += At(p, x, y)[0] + At(p, x, y)[1] + At(p, x, y)[2];
  return sum / double(x1 - x0);
}

// A sample layer has its frame's shape: a flat frame shows the whole sample, from its light top to
// its dark bottom, not a thin band cut out of the middle of a picture of the whole size.
TEST(RenderCommand, SampleLayersTakeTheShapeOfTheirFrames) {
  const std::string out = TempPath("strips.png");
  const CommandRun run = Tiletta("render --layout 4-2 --size 128x96 --edge-inset 4 -o " + out);
  ASSERT_EQ(run.status, 0) << run.errors;
  Png png;
  ASSERT_TRUE(ReadPng(out, &png));
  // Frame 1 covers [4, 124] x [4, 20]; rows clear of the grid's lines and of the number.
  const double top = (RowBrightness(png, 5, 6, 122) + RowBrightness(png, 6, 6, 122)) / 2;
  const double bottom = (RowBrightness(png, 18, 6, 122) + RowBrightness(png, 19, 6, 122)) / 2;
  EXPECT_GT(top - bottom, 200.0);
  std::remove(out.c_str());
}

bool WriteSolidPng(const std::string& path, int w, int h, unsigned char r, unsigned char g, unsigned char b) {
  HostWorld world(w, h, PF_PixelFormat_ARGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) world.Pixel8(x, y) = {255, r, g, b};
  }
  return Orvane::Mosaira::WritePng(world, path, nullptr);
}

TEST(RenderCommand, LayerFileFillsItsFrame) {
  const std::string layer = TempPath("layer.png");
  const std::string out = TempPath("layered.png");
  ASSERT_TRUE(WriteSolidPng(layer, 30, 20, 200, 100, 50));
  const CommandRun run = Tiletta("render --layout 2-1 --size 64x48 --edge-inset 4 --layer " + layer + " -o " + out);
  ASSERT_EQ(run.status, 0) << run.errors;
  Png png;
  ASSERT_TRUE(ReadPng(out, &png));
  const auto p = At(png, 16, 24);
  EXPECT_NEAR(p[0], 200, 1);
  EXPECT_NEAR(p[1], 100, 1);
  EXPECT_NEAR(p[2], 50, 1);
  EXPECT_EQ(p[3], 255);
  std::remove(layer.c_str());
  std::remove(out.c_str());
}

// One exit status per kind of failure, with a message that names what is wrong; a failed render
// writes no picture, and an output that cannot be written is refused before anything is read.
TEST(RenderCommand, FailuresOfOneKindShareTheirExitStatus) {
  const std::string json = TempPath("bad.json"), folder = TempPath("folder.proj"), out = TempPath("kinds.png");
  const std::string junk = TempPath("junk.png"), missing = TempPath("missing.png");
  const std::string huge = TempPath("huge.json"), slide = TempPath("slide.json");
  std::ofstream(json) << R"({"id":"x","frames":[],"points":[{"id":"P5","x":"0.5","y":"half"}]})";
  std::ofstream(huge) << R"({"id":"x","frames":[],"points":[{"id":"P5","x":0.5,"y":0.5},{"id":"P6","x":1e308,"y":0}]})";
  std::ofstream(slide) << R"({"id":"x","frames":[],"points":[{"id":"P5","x":0,"y":0},)"
                        << R"({"id":"P7","vector":"V1","scalar":1e308}]})";
  std::ofstream(junk) << "not a picture";
  mkdir(folder.c_str(), 0755);
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  std::vector<Case> cases = {
      {"render --layout 2-1 --edge-inset 801 -o " + out, 2, "--edge-inset"},
      {"render --layout 2-1 --layer a.png --layer b.png --layer c.png -o " + out, 2, "has 2 frames"},
      {"render --layout 2-1 --offset 3:1,2 -o " + out, 2, "no frame 3 for --offset"},
      {"render --layout 2-1 --scale 9:50 -o " + out, 2, "no frame 9 for --scale"},
      {"layout --json " + TempPath("missing.json"), 3, "cannot read"},
      {"layout --json " + json, 3, "points[0] (\"P5\") \"y\": \"half\" is not a number"},
      {"layout --json " + huge + " --size 320x180", 3,
       "points[1] (\"P6\") \"x\": 1e+308 is beyond what a layout can hold at 320x180"},
      {"layout --json " + slide, 3, "points[1] (\"P7\") \"scalar\": 1e+308 is beyond"},
      {"render --project " + folder + " -o " + out, 3, "is a folder"},
      {"render --layout 2-1 --size 64x48 --layer " + junk + " -o " + out, 3, junk},
      {"render --layout 2-1 --size 64x48 --layer " + missing + " -o " + out, 3, missing},
      {"render --layout 2-1 --layer /nonexistent.png -o /nonexistent-dir/out.png", 4,
       "cannot write /nonexistent-dir/out.png"},
      {"render --layout 2-1 --project '' -o " + out, 2, "--project needs a file name"},
      {"drag --layout 2-1 --from 1,1 --to 2,2 --project ''", 2, "--project needs a file name"},
      {"drag --layout 2-1 --from 1,1 --to 2,2 -o ''", 2, "-o needs a file name"},
      {"layout --help", 0, ""}};
  for (const char* args : {"render -o x.png", "render --layout 2-1", "render --layout 9-99 -o x.png",
                           "render --layout 2-1 --depth 12 -o x.png", "render --layout 2-1 --size 0x5 -o x.png",
                           "render --layout 2-1 --offset 10:1,2 -o x.png", "render --layout 2-1 --bogus -o x.png"}) {
    cases.push_back({args, 2, "tiletta:"});  // bad usage
  }
  for (const Case& c : cases) {
    const CommandRun run = Tiletta(c.args);
    EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.errors;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.args << "\n" << run.errors;
  }
  EXPECT_FALSE(std::ifstream(out).good());
  std::remove(json.c_str());
  std::remove(huge.c_str());
  std::remove(slide.c_str());
  std::remove(junk.c_str());
  rmdir(folder.c_str());
}

// A 16-bit layer reaches 16-bit and float renders with all its bits.
TEST(RenderCommand, SixteenBitLayerKeepsItsPrecision) {
  const std::string layer = TempPath("fine16.png");
  HostWorld fine(30, 20, PF_PixelFormat_ARGB128);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) fine.PixelFloat(x, y) = {1.0f, 1000.0f / 65535.0f, 0.5f, 0.25f};
  }
  ASSERT_TRUE(Orvane::Mosaira::WritePng(fine, layer, nullptr));
  for (const char* depth : {"16", "32"}) {
    const std::string out = TempPath(std::string("fine_out") + depth + ".png");
    const CommandRun run = Tiletta(std::string("render --layout 1-1 --size 30x20 --edge-inset 0 --depth ") + depth +
                                   " --layer " + layer + " -o " + out);
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto picture = Orvane::Mosaira::ReadPngWorld(out, PF_PixelFormat_ARGB128, {}, nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_NEAR(picture->PixelFloat(15, 10).red * 65535.0f, 1000.0f, 0.5f) << depth;
    std::remove(out.c_str());
  }
  std::remove(layer.c_str());
}

// The on-screen controls from the command line: a drag saved in a project reshapes what `render`
// and `overlay` then show; `chooser` draws the panel control.
TEST(ControlCommands, DragInAProjectReshapesTheRenderAndTheOverlay) {
  const std::string project = TempPath("drag.proj"), dragged = TempPath("dragged.png");
  const std::string plain = TempPath("plain.png"), overlay = TempPath("overlay.png");
  const std::string chooser = TempPath("chooser.png");
  std::remove(project.c_str());
  // "3-1" at 192 x 108: the lower move button sits at (96, 81); dragged 30 px to the right.
  ASSERT_EQ(Tiletta("drag --layout 3-1 --size 192x108 --from 96,81 --to 126,81 --project " + project).status, 0);
  ASSERT_EQ(Tiletta("render --project " + project + " -o " + dragged).status, 0);
  ASSERT_EQ(Tiletta("render --layout 3-1 --size 192x108 -o " + plain).status, 0);
  ASSERT_EQ(Tiletta("overlay --project " + project + " -o " + overlay).status, 0);
  ASSERT_EQ(Tiletta("chooser -o " + chooser).status, 0);
  Png a, b, o, c;
  ASSERT_TRUE(ReadPng(dragged, &a) && ReadPng(plain, &b) && ReadPng(overlay, &o) && ReadPng(chooser, &c));
  ASSERT_EQ(a.header.width, 192);
  EXPECT_EQ(At(a, 20, 20), At(b, 20, 20));    // frame 1 as it was
  EXPECT_NE(At(a, 111, 85), At(b, 111, 85));  // now frame 2
  const auto accentNear = [](const Png& p, A_long x, A_long y, int r) {
    for (int dy = -r; dy <= r; ++dy) {
      for (int dx = -r; dx <= r; ++dx) {
        const auto q = At(p, x + dx, y + dy);
        if (q[2] > q[0] + 60 && q[2] > q[1] + 20 && q[3] > 100) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(accentNear(o, 126, 81, 2));
  EXPECT_FALSE(accentNear(o, 96, 81, 4));
  int accent = 0;
  for (A_long y = 0; y < c.header.height; ++y) accent += accentNear(c, c.header.width / 4, y, 0);
  EXPECT_GT(accent, 10);
  for (const std::string& f : {project, dragged, plain, overlay, chooser}) std::remove(f.c_str());
}

}  // namespace
