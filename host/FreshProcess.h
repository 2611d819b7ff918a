// Running this same program again in a new process: a fresh start with no plug-in loaded and no
// static state set, as when a user quits and opens a saved project. Tests use it for the second
// half of a round trip: the parent saves, the child (a test case that only runs when told to,
// through an environment variable the parent sets) opens the project.
#pragma once

#include <string>
#include <vector>

namespace Orvane::Mosaira {

// Starts this program's own executable with `args` (argv[0] is supplied) and `env` added to the
// environment as "NAME=value" entries, waits for it and returns its exit status (0..255).
// -1 when it could not be started or ended by a signal. `quiet` sends the child's output to
// /dev/null instead of this process's output.
int RunFreshProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                    bool quiet = false);

}  // namespace Orvane::Mosaira
