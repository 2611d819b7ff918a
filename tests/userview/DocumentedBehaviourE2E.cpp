// What the README and `tiletta --help` promise, through the command as a user runs it: the
// defaults of the options, the pixel values of each depth, sample layers at odd sizes, the lines
// the commands print, the exit status of each kind of unreadable input, downsampled renders of a
// layer with detail, and a layer as wide as the driver's largest texture.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "host/HostWorld.h"
#include "host/PngFile.h"

namespace Orvane::Mosaira {
namespace {

struct CommandRun {
  int status = -1;
  std::string printed;  // standard output without the driver's description
  std::string errors;
};

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "tiletta_documented_" + std::to_string(::getpid()) + "_" + name;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::remove(path.c_str());
  return text.str();
}

CommandRun Tiletta(const std::string& args) {
  const std::string out = TempPath("out.txt"), err = TempPath("err.txt");
  const int raw = std::system((std::string(TILETTA_BINARY) + " " + args + " >" + out + " 2>" + err).c_str());
  CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", Slurp(err)};
  std::istringstream lines(Slurp(out));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.rfind("OpenGL ", 0) != 0) run.printed += line + "\n";
  }
  return run;
}

std::unique_ptr<HostWorld> Picture(const std::string& path) {
  return ReadPngWorld(path, PF_PixelFormat_ARGB128, {}, nullptr);
}

// (a, r, g, b) of a picture read as floats, in steps of 1/65535.
std::array<long, 4> Steps(HostWorld& w, A_long x, A_long y) {
  const PF_PixelFloat p = w.PixelFloat(x, y);
  const auto s = [](float v) { return std::lround(v * 65535.0); };
  return {s(p.alpha), s(p.red), s(p.green), s(p.blue)};
}

// A render without an option is the render with the value the usage names as its default; the
// layout at its defaults likewise. The defaults show: 1920x1080, 8 bits, a 10-pixel inset, square
// corners.
TEST(DocumentedDefaults, OmittedOptionsTakeTheirDocumentedValues) {
  const std::string plain = TempPath("plain.png"), given = TempPath("given.png");
  ASSERT_EQ(Tiletta("render --layout 3-1 -o " + plain).status, 0);
  ASSERT_EQ(Tiletta("render --layout 3-1 --size 1920x1080 --depth 8 --edge-inset 10 --round-corner 0 "
                    "--downsample 1 --scale 1:100 --offset 2:0,0 -o " + given).status, 0);
  EXPECT_EQ(Slurp(plain), Slurp(given));
  PngHeader header;
  ASSERT_EQ(Tiletta("render --layout 3-1 -o " + plain).status, 0);
  ASSERT_TRUE(ReadPngHeader(plain, {}, &header, nullptr));
  EXPECT_EQ(header.width, 1920);
  EXPECT_EQ(header.height, 1080);
  EXPECT_EQ(header.bitDepth, 8);
  const auto picture = Picture(plain);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(Steps(*picture, 9, 300)[0], 0);      // inside the 10-pixel inset
  EXPECT_EQ(Steps(*picture, 10, 10)[0], 65535);  // the frame's square corner
  std::remove(plain.c_str());
  const struct { const char* plain; const char* given; } same[] = {
      {"layout", "layout --layout 3-1 --size 1920x1080 --edge-inset 0"},
      {"chooser -o " , "chooser --size 200x260 --scroll 0 -o "},
      {"overlay --layout 2-1 -o ", "overlay --layout 2-1 --size 1920x1080 --zoom 1 --window comp -o "}};
  for (const auto& c : same) {
    const bool picture = std::string(c.plain).back() == ' ';
    const CommandRun a = Tiletta(c.plain + (picture ? plain : "")), b = Tiletta(c.given + (picture ? given : ""));
    ASSERT_EQ(a.status, 0) << c.plain << a.errors;
    ASSERT_EQ(b.status, 0) << c.given << b.errors;
    if (picture) {
      EXPECT_EQ(Slurp(plain), Slurp(given)) << c.plain;
    } else {
      EXPECT_EQ(a.printed, b.printed) << c.plain;
    }
  }
}

// One 16-bit layer (red 1000, green 2000, blue 3000 of 65535, opaque) at each depth: 8-bit
// renders round it to 8 bits, 16-bit and float renders keep it; channels in their places, the
// inset transparent, and the summary line names the depth asked for.
TEST(DocumentedDepths, EachDepthWritesTheLayersValues) {
  const std::string layer = TempPath("fine.png"), out = TempPath("depth.png");
  HostWorld fine(16, 12, PF_PixelFormat_ARGB128);
  for (A_long y = 0; y < 12; ++y) {
    for (A_long x = 0; x < 16; ++x) fine.PixelFloat(x, y) = {1.0f, 1000 / 65535.0f, 2000 / 65535.0f, 3000 / 65535.0f};
  }
  ASSERT_TRUE(WritePng(fine, layer, nullptr));
  const struct { int depth; int bits; std::array<long, 4> inside; long tolerance; } cases[] = {
      {8, 8, {65535, 4 * 257, 8 * 257, 12 * 257}, 0},
      {16, 16, {65535, 1000, 2000, 3000}, 2},  // the host's 16 bits hold 0 to 32768
      {32, 16, {65535, 1000, 2000, 3000}, 0}};
  for (const auto& c : cases) {
    const std::string args = "render --layout 1-1 --size 16x12 --edge-inset 2 --depth " + std::to_string(c.depth) +
                             " --layer " + layer + " -o " + out;
    const CommandRun run = Tiletta(args);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.printed, "wrote " + out + ": layout 1-1, 16x12, " + std::to_string(c.depth) + "-bit\n");
    PngHeader header;
    ASSERT_TRUE(ReadPngHeader(out, {}, &header, nullptr));
    EXPECT_EQ(header.bitDepth, c.bits) << c.depth;
    const auto picture = Picture(out);
    ASSERT_NE(picture, nullptr);
    const std::array<long, 4> got = Steps(*picture, 8, 6);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.inside[i], c.tolerance) << c.depth << " channel " << i;
    EXPECT_EQ(Steps(*picture, 1, 6), (std::array<long, 4>{0, 0, 0, 0})) << c.depth;
  }
  std::remove(layer.c_str());
  std::remove(out.c_str());
}

// Sample layers at sizes no factor of the grid divides, full and downsampled (the output rounds
// up): every frame filled with its own colour (the first green, the second blue, in the rows above
// their numbers), the gutter between them clear.
TEST(DocumentedSamples, OddSizesFillEveryFrame) {
  const std::string out = TempPath("odd.png");
  const struct { const char* args; A_long w, h; A_long y, left, gutter, right; } cases[] = {
      {"--size 37x23 --edge-inset 2", 37, 23, 4, 9, 18, 28},
      {"--size 37x23 --edge-inset 2 --downsample 3", 13, 8, 2, 3, 6, 9},
      {"--size 41x29 --edge-inset 3", 41, 29, 6, 10, 20, 30}};
  for (const auto& c : cases) {
    const CommandRun run = Tiletta(std::string("render --layout 2-1 ") + c.args + " -o " + out);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.printed, "wrote " + out + ": layout 2-1, " + std::to_string(c.w) + "x" + std::to_string(c.h) +
                               ", 8-bit\n");
    const auto picture = Picture(out);
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->Width(), c.w);
    ASSERT_EQ(picture->Height(), c.h);
    const auto left = Steps(*picture, c.left, c.y), right = Steps(*picture, c.right, c.y);
    EXPECT_EQ(left[0], 65535) << c.args;
    EXPECT_EQ(right[0], 65535) << c.args;
    EXPECT_LT(Steps(*picture, c.gutter, c.y)[0], 65535) << c.args;
    EXPECT_GT(left[2], left[3] + 3000) << c.args;    // green over blue
    EXPECT_GT(right[3], right[2] + 3000) << c.args;  // blue over green
  }
  std::remove(out.c_str());
}

// Every line `tiletta layout` prints, for a layout with free and sliding points, and for one whose
// frames vanish at a large inset; `tiletta layouts` numbers all 104.
TEST(DocumentedLayoutLines, EveryLineAsPrinted) {
  const CommandRun run = Tiletta("layout --layout 3-1 --size 100x50 --edge-inset 4");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.printed,
            "layout 3-1 (template 12) at 100x50, edge inset 4\n"
            "points:\n"
            "  LEFT_BOTTOM    free     index  5  (0.00, 50.00)\n"
            "  LEFT_TOP       free     index  2  (0.00, 0.00)\n"
            "  P5             free     index  0  (0.00, 25.00)\n"
            "  P6             free     index  1  (100.00, 25.00)\n"
            "  P7             sliding  index  0  (50.00, 25.00)\n"
            "  P8             free     index  3  (50.00, 50.00)\n"
            "  RIGHT_BOTTOM   free     index  6  (100.00, 50.00)\n"
            "  RIGHT_TOP      free     index  4  (100.00, 0.00)\n"
            "frames:\n"
            "  1 F1     [ (96.0, 21.0) (4.0, 21.0) (4.0, 4.0) (96.0, 4.0) ]\n"
            "  2 F2     [ (46.0, 46.0) (4.0, 46.0) (4.0, 29.0) (46.0, 29.0) ]\n"
            "  3 F3     [ (96.0, 46.0) (54.0, 46.0) (54.0, 29.0) (96.0, 29.0) ]\n");
  const CommandRun vanished = Tiletta("layout --layout 2-1 --size 100x50 --edge-inset 30");
  EXPECT_NE(vanished.printed.find("frames:\n  1 F1     (vanished)\n  2 F2     (vanished)\n"), std::string::npos)
      << vanished.printed;
  const CommandRun list = Tiletta("layouts");
  ASSERT_EQ(list.status, 0);
  EXPECT_EQ(list.printed.rfind("  1  1-1   1 frames\n  2  1-2   1 frames\n  3  2-1   2 frames\n", 0), 0u);
  EXPECT_NE(list.printed.find("\n104  9-12  9 frames\n"), std::string::npos);
  EXPECT_EQ(std::count(list.printed.begin(), list.printed.end(), '\n'), 104);
}

// Each kind of input that cannot be read is status 3 for each input option, with its name.
TEST(DocumentedStatuses, EveryKindOfUnreadableInputIsThree) {
  const std::string folder = TempPath("folder"), empty = TempPath("empty"), missing = TempPath("missing");
  const std::string out = TempPath("never.png");
  mkdir(folder.c_str(), 0755);
  std::ofstream(empty).flush();
  for (const std::string& input : {folder, empty, missing, std::string("/dev/null")}) {
    const std::string commands[] = {"render --layout 1-1 --size 16x12 --layer " + input + " -o " + out,
                                    "layout --json " + input, "render --project " + input + " -o " + out,
                                    "overlay --project " + input + " -o " + out};
    for (const std::string& command : commands) {
      if (input == missing && command.find("--project") != std::string::npos) continue;  // a new project
      const CommandRun run = Tiletta(command);
      EXPECT_EQ(run.status, 3) << command << "\n" << run.errors;
      EXPECT_NE(run.errors.find(input), std::string::npos) << command << "\n" << run.errors;
    }
  }
  EXPECT_NE(access(out.c_str(), F_OK), 0);
  rmdir(folder.c_str());
  std::remove(empty.c_str());
}

// A layer with detail (ramps in both directions) at a size 3 does not divide: the downsampled
// render is the full one averaged over 3 x 3 blocks, the last (partial) blocks included.
TEST(DocumentedDownsample, FactorsThatDoNotDivideTheSizeAverageWholeBlocks) {
  const std::string layer = TempPath("ramp.png"), full = TempPath("full.png"), small = TempPath("small.png");
  HostWorld ramp(101, 67, PF_PixelFormat_ARGB32);
  for (A_long y = 0; y < 67; ++y) {
    for (A_long x = 0; x < 101; ++x) ramp.Pixel8(x, y) = {255, A_u_char(x * 255 / 100), A_u_char(y * 255 / 66), 90};
  }
  ASSERT_TRUE(WritePng(ramp, layer, nullptr));
  const std::string args = "render --layout 1-1 --size 101x67 --edge-inset 0 --layer " + layer;
  ASSERT_EQ(Tiletta(args + " -o " + full).status, 0);
  ASSERT_EQ(Tiletta(args + " --downsample 3 -o " + small).status, 0);
  const auto a = Picture(full), b = Picture(small);
  ASSERT_TRUE(a && b);
  ASSERT_EQ(b->Width(), 34);
  ASSERT_EQ(b->Height(), 23);
  for (const auto& [bx, by] : {std::pair{0, 0}, {16, 11}, {33, 5}, {20, 22}, {33, 22}}) {
    double red = 0, green = 0;
    int n = 0;
    for (A_long y = by * 3; y < std::min<A_long>(by * 3 + 3, 67); ++y) {
      for (A_long x = bx * 3; x < std::min<A_long>(bx * 3 + 3, 101); ++x, ++n) {
        red += Steps(*a, x, y)[1];
        green += Steps(*a, x, y)[2];
      }
    }
    EXPECT_NEAR(Steps(*b, bx, by)[1], red / n, 3 * 257) << bx << "," << by;
    EXPECT_NEAR(Steps(*b, bx, by)[2], green / n, 3 * 257) << bx << "," << by;
    EXPECT_EQ(Steps(*b, bx, by)[0], 65535) << bx << "," << by;
  }
  for (const std::string& f : {layer, full, small}) std::remove(f.c_str());
}

// "1-1" with "Edge Inset" 0 covers the whole layer, so its picture is opaque out to the border at
// every factor: the frame reaches one layer pixel beyond the edge, less than a pixel of output.
TEST(DocumentedDownsample, FrameOnTheBorderStaysOpaqueToItsOutermostPixels) {
  const std::string out = TempPath("border.png");
  for (int factor = 1; factor <= 5; ++factor) {
    SCOPED_TRACE(::testing::Message() << "factor " << factor);
    const std::string args = "render --layout 1-1 --size 120x60 --edge-inset 0 --downsample ";
    ASSERT_EQ(Tiletta(args + std::to_string(factor) + " -o " + out).status, 0);
    const auto picture = Picture(out);
    ASSERT_TRUE(picture);
    const A_long w = picture->Width(), h = picture->Height();
    ASSERT_EQ(w, 120 / factor);
    ASSERT_EQ(h, 60 / factor);
    for (A_long x = 0; x < w; ++x) {
      EXPECT_EQ(Steps(*picture, x, 0)[0], 65535) << x << ",0";
      EXPECT_EQ(Steps(*picture, x, h - 1)[0], 65535) << x << "," << h - 1;
    }
    for (A_long y = 0; y < h; ++y) {
      EXPECT_EQ(Steps(*picture, 0, y)[0], 65535) << "0," << y;
      EXPECT_EQ(Steps(*picture, w - 1, y)[0], 65535) << w - 1 << "," << y;
    }
  }
  std::remove(out.c_str());
}

// A layer exactly as wide as the software driver's largest texture (GL_MAX_TEXTURE_SIZE 16384 on
// llvmpipe), its columns alternately red and blue: the cover fit enlarges its middle six times, so
// each column shows as its own colour, none of them mixed into its neighbours as a layer shrunk to
// fit would show them.
TEST(DocumentedLayers, LayerAsWideAsTheLargestTexture) {
  const std::string layer = TempPath("wide.png"), out = TempPath("wide_out.png");
  constexpr A_long kWidest = 16384;
  HostWorld wide(kWidest, 8, PF_PixelFormat_ARGB32);
  for (A_long y = 0; y < 8; ++y) {
    for (A_long x = 0; x < kWidest; ++x) wide.Pixel8(x, y) = x % 2 ? PF_Pixel8{255, 0, 0, 200} : PF_Pixel8{255, 200, 0, 0};
  }
  ASSERT_TRUE(WritePng(wide, layer, nullptr));
  const CommandRun run = Tiletta("render --layout 1-1 --size 64x48 --edge-inset 0 --layer " + layer + " -o " + out);
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto picture = Picture(out);
  ASSERT_NE(picture, nullptr);
  // Output columns 32 to 37 show layer column 8192 (red), 38 to 43 column 8193 (blue).
  const auto red = Steps(*picture, 35, 24), blue = Steps(*picture, 41, 24);
  EXPECT_GT(red[1], 170 * 257);
  EXPECT_LT(red[3], 30 * 257);
  EXPECT_GT(blue[3], 170 * 257);
  EXPECT_LT(blue[1], 30 * 257);
  std::remove(layer.c_str());
  std::remove(out.c_str());
}

// --size with an existing project is the layer's new size, as a host sees a layer whose source
// changed: the render has that size and the reshaped layout at its proportions (the divider dragged
// to 56.25 % of the width), and the project keeps the size. The chooser's --size is its control's.
TEST(DocumentedProjects, SizeGivenWithAProjectResizesItsLayer) {
  const std::string project = TempPath("resized.proj"), out = TempPath("resized.png");
  ASSERT_EQ(Tiletta("drag --layout 3-1 --size 320x180 --from 160,150 --to 180,160 --project " + project).status, 0);
  const CommandRun run = Tiletta("render --project " + project + " --size 640x360 -o " + out);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.printed, "wrote " + out + ": layout 3-1, 640x360, 8-bit\n");
  auto picture = Picture(out);
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->Width(), 640);
  ASSERT_EQ(picture->Height(), 360);
  EXPECT_EQ(Steps(*picture, 320, 90)[0], 65535);  // frame 1 across the top
  EXPECT_EQ(Steps(*picture, 300, 270)[0], 65535);  // frame 2, left of the divider at 360
  EXPECT_EQ(Steps(*picture, 360, 270)[0], 0);      // the gutter
  EXPECT_EQ(Steps(*picture, 420, 270)[0], 65535);  // frame 3
  ASSERT_EQ(Tiletta("chooser --size 300x300 --project " + project + " -o " + out).status, 0);
  const CommandRun again = Tiletta("render --project " + project + " -o " + out);
  EXPECT_EQ(again.printed, "wrote " + out + ": layout 3-1, 640x360, 8-bit\n") << again.errors;
  std::remove(project.c_str());
  std::remove(out.c_str());
}

// A project resized by `drag --size`, dragged at the new size and reopened: the render's gutter
// and the overlay's divider line are both where the drag left the divider (x = 200 of 640), not
// where it was at the old size or before the drag (360).
TEST(DocumentedProjects, ResizedThenDraggedProjectReopensWithTheOverlayOnTheRender) {
  const std::string project = TempPath("redragged.proj"), out = TempPath("redragged.png");
  ASSERT_EQ(Tiletta("drag --layout 3-1 --size 320x180 --from 160,150 --to 180,160 --project " + project).status, 0);
  const CommandRun drag = Tiletta("drag --project " + project + " --size 640x360 --from 360,270 --to 200,270");
  ASSERT_EQ(drag.status, 0) << drag.errors;
  ASSERT_EQ(Tiletta("render --project " + project + " -o " + out).status, 0);
  auto render = Picture(out);
  ASSERT_NE(render, nullptr);
  ASSERT_EQ(render->Width(), 640);
  EXPECT_EQ(Steps(*render, 180, 300)[0], 65535);  // frame 2
  EXPECT_EQ(Steps(*render, 200, 300)[0], 0);      // the gutter
  EXPECT_EQ(Steps(*render, 220, 300)[0], 65535);  // frame 3
  EXPECT_EQ(Steps(*render, 360, 300)[0], 65535);  // where the divider was
  ASSERT_EQ(Tiletta("overlay --project " + project + " -o " + out).status, 0);
  auto overlay = Picture(out);
  ASSERT_NE(overlay, nullptr);
  const std::array<long, 4> line = Steps(*overlay, 200, 300);
  EXPECT_GT(line[0], 0);        // the divider's line, drawn in the gutter
  EXPECT_GT(line[3], line[1]);  // in the overlay's blue
  EXPECT_EQ(Steps(*overlay, 194, 300)[0], 0);
  EXPECT_EQ(Steps(*overlay, 206, 300)[0], 0);
  std::remove(project.c_str());
  std::remove(out.c_str());
}

}  // namespace
}  // namespace Orvane::Mosaira
