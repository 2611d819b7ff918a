#include "fuzz/HostSession.h"

#include <unistd.h>

#include <cstdio>

#include "effect/Dispatch.h"

namespace Orvane::Mosaira::Fuzz {
namespace {

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "fuzz host: %s\n", why.c_str());
  std::abort();
}

void CheckViolations(SimulatedHost& host) {
  if (!host.Violations().empty()) Die("host check: " + host.Violations().front());
}

Project MakeDefaultProject() {
  SimulatedHost& host = Host();
  const InstanceId id = host.AddInstance(320, 180);
  if (id == kNoInstance) Die("cannot apply the effect");
  char path[] = "/tmp/tiletta_fuzz_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) Die("no temporary file");
  close(fd);
  std::string error;
  Project project;
  const bool ok = host.SaveProject(path, &error) && ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &project, &error);
  unlink(path);
  if (!ok) Die(error);
  host.RemoveInstance(id);
  CheckViolations(host);
  return project;
}

}  // namespace

SimulatedHost& Host() {
  static SimulatedHost* host = [] {
    auto* h = new SimulatedHost;  // lives for the process: libFuzzer exits without unwinding
    h->UseEntryPoint(&DispatchCommand);
    if (h->GlobalSetup() != PF_Err_NONE) Die("global set-up failed");
    return h;
  }();
  return *host;
}

const Project& DefaultProject() {
  static const Project project = MakeDefaultProject();
  return project;
}

void OpenAndExercise(const Project& project) {
  SimulatedHost& host = Host();
  std::string error;
  if (host.OpenProject(project, &error)) {
    for (InstanceId id : host.Instances()) {
      host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
      host.Send(id, PF_Cmd_GET_FLATTENED_SEQUENCE_DATA);
      host.Send(id, PF_Cmd_SEQUENCE_FLATTEN);
      host.Send(id, PF_Cmd_SEQUENCE_RESETUP);
    }
  }
  RemoveInstancesAndCheck();
}

void RemoveInstancesAndCheck() {
  SimulatedHost& host = Host();
  for (InstanceId id : host.Instances()) host.RemoveInstance(id);
  CheckViolations(host);
  if (host.Handles().LiveHandles().size() > 1) Die("handles left after every instance was removed");
}

}  // namespace Orvane::Mosaira::Fuzz
