// tiletta: drives the Tiletta plug-in and its layout model from the command line.
#include <cstdio>
#include <cstring>
#include <exception>

#include "tools/tiletta/Commands.h"

namespace {

const char kUsage[] =
    "usage: tiletta <command> [options]\n"
    "  layouts                       list the built-in layouts\n"
    "  layout [--layout ID|N] [--json FILE] [--size WxH] [--edge-inset PX]\n"
    "                                print a layout's points and frame insets at a size\n"
    "  render --layout ID|N [--size WxH] [--depth 8|16|32] [--layer FILE.png]...\n"
    "         [--edge-inset PX] [--round-corner PCT] [--offset K:X,Y] [--scale K:PCT]\n"
    "         [--downsample N] -o OUT.png\n"
    "                                render one frame of a layout through the plug-in\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace Orvane::Mosaira::Cli;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  ArgReader args(argc, argv, 2);
  try {
    if (std::strcmp(argv[1], "layouts") == 0) return RunLayouts(args);
    if (std::strcmp(argv[1], "layout") == 0) return RunLayout(args);
    if (std::strcmp(argv[1], "render") == 0) return RunRender(args);
    std::fprintf(stderr, "tiletta: unknown command \"%s\"\n%s", argv[1], kUsage);
    return 2;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "tiletta: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tiletta: %s\n", e.what());
    return 1;
  }
}
