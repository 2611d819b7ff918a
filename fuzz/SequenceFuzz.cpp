// Feeds arbitrary bytes to the effect as the flattened sequence data of a saved instance: the host
// opens a project of default parameters whose instance carries the bytes, the effect re-sets it up
// (PF_Cmd_SEQUENCE_RESETUP), and the host then asks for its parameter UI and a flattened copy, and
// flattens and re-sets it up. Damaged records must be refused or repaired, never crash, leak or break the host's
// checks.
//   build:  see fuzz/CMakeLists.txt;  run:  build-fuzz/fuzz/tiletta_sequence_fuzz fuzz/corpus/sequence
#include <cstddef>
#include <cstdint>

#include "fuzz/HostSession.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Orvane::Mosaira;
  Project project = Fuzz::DefaultProject();
  project.instances.front().hasSequenceData = true;
  project.instances.front().sequenceData.assign(data, data + size);
  Fuzz::OpenAndExercise(project);
  return 0;
}
