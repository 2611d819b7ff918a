// Feeds arbitrary bytes to the host as a project file: the reader checks them member by member,
// and whatever it accepts is opened with the effect (every instance re-set up from its sequence
// data and parameter streams) and exercised as in SequenceFuzz.cpp, then opened again through the
// `tiletta` front end's session (open the project, check the options, render a small frame, save).
//   run:  build-fuzz/fuzz/tiletta_project_fuzz fuzz/corpus/project
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/HostSession.h"
#include "tools/tiletta/Session.h"

namespace Orvane::Mosaira::Fuzz {
namespace {

// A file of this process for the front end to open and save.
const std::string& SessionPath() {
  static const std::string path = [] {
    char name[] = "/tmp/tiletta_fuzz_session_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  return path;
}

// The front end's session on `project`, as `tiletta render --project` runs it without -o. A
// refusal (a CommandError) is the answer to a damaged project; anything else escaping is a fault.
void RunFrontEnd(Project project) {
  for (ProjectInstance& inst : project.instances) {  // a small frame: renders are the slow part
    inst.width = std::min<A_long>(inst.width, 48);
    inst.height = std::min<A_long>(inst.height, 32);
  }
  std::string error;
  if (!WriteProjectFile(SessionPath(), project, &error)) return;
  Cli::RenderOptions options;
  options.project = SessionPath();
  Cli::SessionHooks hooks;
  hooks.needsLayout = true;
  try {
    Cli::RunSessionIn(Host(), options, hooks);
  } catch (const Cli::CommandError&) {
  }
  RemoveInstancesAndCheck();
}

}  // namespace
}  // namespace Orvane::Mosaira::Fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Orvane::Mosaira;
  (void)Fuzz::DefaultProject();  // the host's one instance for it is made before any input
  Project project;
  if (ParseProject(reinterpret_cast<const char*>(data), size, SimulatedHost::kMaxLayerSide, &project, nullptr)) {
    // Layer sizes are only checked against the host's limit; keep the effect's worlds small.
    for (ProjectInstance& inst : project.instances) {
      inst.width = std::min<A_long>(inst.width, 512);
      inst.height = std::min<A_long>(inst.height, 512);
    }
    Fuzz::OpenAndExercise(project);
    Fuzz::RunFrontEnd(project);
  }
  return 0;
}
