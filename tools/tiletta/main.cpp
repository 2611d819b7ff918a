// tiletta: drives the Tiletta plug-in and its layout model from the command line.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#include "host/AtomicFile.h"
#include "tools/tiletta/Commands.h"

namespace {

const char kUsage[] =
    "usage: tiletta <command> [options]\n"
    "  layouts                       list the built-in layouts\n"
    "  layout [--layout ID|N] [--json FILE] [--size WxH] [--edge-inset PX]\n"
    "                                print a layout's points and frame insets at a size\n"
    "  render --layout ID|N [--size WxH] [--depth 8|16|32] [--layer FILE.png]...\n"
    "         [--edge-inset PX] [--round-corner PCT] [--offset K:X,Y] [--scale K:PCT]\n"
    "         [--downsample N] [--project FILE] -o OUT.png\n"
    "                                render one frame of a layout through the plug-in\n"
    "  overlay --layout ID|N [--size WxH] [--zoom Z] [--window comp|layer] [--project FILE] -o OUT.png\n"
    "                                the rendered frame with the effect's overlay, as the window shows it\n"
    "  chooser [--size WxH] [--scroll F] [--current ID|N] [--project FILE] -o OUT.png\n"
    "                                the layout chooser in the effect-controls panel\n"
    "  drag --layout ID|N --from X,Y --to X,Y [--steps N] [--size WxH] [--project FILE] [-o OUT.png]\n"
    "                                a mouse gesture in the composition window; prints what it\n"
    "                                grabbed and the parameters it changed\n"
    "  --project FILE opens the instance from FILE when it exists and saves it back afterwards;\n"
    "  `<command> --help` describes a command's options\n"
    "exit status: 0 done; 1 the plug-in or the host failed (its message is printed), not enough\n"
    "  memory or address space, or nothing to render; 2 bad usage (unknown option, bad or missing\n"
    "  value, layers or frame options the layout cannot take, -o and --project naming one file);\n"
    "  3 an input file (--layer, --json, --project) cannot be read or is damaged (a project whose\n"
    "  stored layout cannot be rebuilt whole is left as it was); 4 -o or the --project file cannot\n"
    "  be written\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace Orvane::Mosaira::Cli;
  using Orvane::Mosaira::RemoveNewFilesOnEndingSignals;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  // Past a file-size limit a write fails with "File too large" instead of ending the process,
  // so the half-written new file beside the target is removed and the message says why.
  std::signal(SIGXFSZ, SIG_IGN);
  // Interrupted, stopped or hung up during a write, no half-written file stays beside the target.
  RemoveNewFilesOnEndingSignals();
  ArgReader args(argc, argv, 2);
  try {
    if (std::strcmp(argv[1], "layouts") == 0) return RunLayouts(args);
    if (std::strcmp(argv[1], "layout") == 0) return RunLayout(args);
    if (std::strcmp(argv[1], "render") == 0) return RunRender(args);
    if (std::strcmp(argv[1], "overlay") == 0) return RunOverlay(args);
    if (std::strcmp(argv[1], "chooser") == 0) return RunChooser(args);
    if (std::strcmp(argv[1], "drag") == 0) return RunDrag(args);
    std::fprintf(stderr, "tiletta: unknown command \"%s\"\n%s", argv[1], kUsage);
    return 2;
  } catch (const CommandError& e) {
    std::fprintf(stderr, "tiletta: %s\n", e.what());
    return int(e.status);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tiletta: %s\n", e.what());
    return 1;
  }
}
