// Feeds arbitrary bytes to the host as a project file: the reader checks them member by member,
// and whatever it accepts is opened with the effect (every instance re-set up from its sequence
// data and parameter streams) and exercised as in SequenceFuzz.cpp.
//   run:  build-fuzz/fuzz/tiletta_project_fuzz -dict=fuzz/project.dict fuzz/corpus/project
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/HostSession.h"

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
  }
  return 0;
}
