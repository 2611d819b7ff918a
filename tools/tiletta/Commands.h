// The tiletta sub-commands. Each reads its own options and returns the process exit status;
// bad arguments throw UsageError.
#pragma once

#include "tools/tiletta/CommandLine.h"

namespace Orvane::Mosaira::Cli {

int RunLayouts(ArgReader& args);
int RunLayout(ArgReader& args);
int RunRender(ArgReader& args);
int RunOverlay(ArgReader& args);
int RunChooser(ArgReader& args);
int RunDrag(ArgReader& args);

}  // namespace Orvane::Mosaira::Cli
