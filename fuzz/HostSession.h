// The simulated host with the plug-in's entry point linked in, shared by the fuzz targets that
// drive the effect: one host for the whole run (set-up is slow), an instance added per input and
// removed after it.
#pragma once

#include <cstdlib>
#include <string>

#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira::Fuzz {

// The host, globally set up, with the effect's dispatcher as its entry point.
SimulatedHost& Host();

// A project of one instance as the effect saves it at 320x180 (default parameters), to be
// damaged by a target.
const Project& DefaultProject();

// Opens `project` in the host; on success sends the commands that read the instance's state
// back (parameter UI update, a flattened copy, flatten and re-set-up) and removes every instance
// again. Aborts when
// the host's checks found a fault, so that libFuzzer reports the input.
void OpenAndExercise(const Project& project);

// Removes every instance; aborts when the host's checks found a fault or handles are left.
void RemoveInstancesAndCheck();

}  // namespace Orvane::Mosaira::Fuzz
