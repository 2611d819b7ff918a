// Saving and opening projects: the simulated host's side of flattened sequence data.
#include "host/HostCallbacks.h"
#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"

#include <cstring>
#include <memory>

namespace Orvane::Mosaira {
namespace {

ProjectStream SaveStream(const ParamStream& s) {
  ProjectStream out;
  out.type = s.Type();
  out.value = s.StaticValue();
  out.keyframes = s.Keyframes();
  out.dynamicFlags = s.DynamicFlags();
  out.collapsed = s.Collapsed();
  out.flags = s.Definition().flags;
  out.uiFlags = s.Definition().ui_flags;
  return out;
}

std::string NameOf(const PF_ParamDef& def) { return std::string(def.name, strnlen(def.name, sizeof def.name)); }

}  // namespace

// Empty when the saved stream fits `def`: its type, its value and every keyframe's value.
std::string SimulatedHost::StreamDamage(const PF_ParamDef& def, const ProjectStream& s) {
  if (s.type != def.param_type) return "has another type";
  std::string why;
  if (!AcceptValue(def, s.value, &why)) return "value: " + why;
  for (const Keyframe& k : s.keyframes) {
    if (!AcceptValue(def, k.value, &why)) return "keyframe value: " + why;
  }
  return "";
}

bool SimulatedHost::SaveProject(const std::string& path, std::string* error) {
  if (entry_ == nullptr) {
    if (error) *error = "no plug-in loaded";
    return false;
  }
  Project project;
  project.matchName = pipl_.matchName;
  std::vector<HostInstance*> flattened;
  // Each instance stays between renders from its flatten to its re-set-up.
  std::vector<std::unique_ptr<RenderGap>> gaps;
  std::string why;
  for (const InstanceId id : Instances()) {
    HostInstance* inst = Find(id);
    gaps.push_back(std::make_unique<RenderGap>(this, inst));
    const PF_Err err = Run(PF_Cmd_SEQUENCE_FLATTEN, inst, nullptr, nullptr, 0);
    if (err != PF_Err_NONE) {
      why = "flattening instance " + std::to_string(inst->id) + " failed with " + std::to_string(err);
      break;
    }
    flattened.push_back(inst);
    ProjectInstance saved;
    saved.width = inst->width;
    saved.height = inst->height;
    const PF_Handle data = SequenceDataOf(*inst);
    saved.hasSequenceData = data != nullptr;
    saved.sequenceData = handles_.Bytes(data);
    for (const ParamStream& s : inst->streams) saved.streams.push_back(SaveStream(s));
    project.instances.push_back(std::move(saved));
  }
  // Every flattened instance goes on working, whether or not the file gets written.
  for (HostInstance* inst : flattened) Run(PF_Cmd_SEQUENCE_RESETUP, inst, nullptr, nullptr, 0);
  if (!why.empty()) {
    if (error) *error = why;
    return false;
  }
  return WriteProjectFile(path, project, error);
}

bool SimulatedHost::OpenProject(const std::string& path, std::string* error) {
  Project project;
  return ReadProjectFile(path, kMaxLayerSide, &project, error) && OpenProject(project, error);
}

bool SimulatedHost::OpenProject(const Project& project, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (entry_ == nullptr) return fail("no plug-in loaded");
  if (hasPipl_ && project.matchName != pipl_.matchName) {
    return fail("project made with plug-in " + project.matchName);
  }
  const PF_Err setUp = EnsureSetUp();
  if (setUp != PF_Err_NONE) return fail("set-up failed with " + std::to_string(setUp));
  // Check every instance against the parameter definitions before anything is made: a value the
  // host would not store from the effect is damage too.
  for (const ProjectInstance& inst : project.instances) {
    if (inst.streams.size() != definitions_.size()) return fail("parameter count differs");
    for (size_t p = 0; p < inst.streams.size(); ++p) {
      const std::string why = StreamDamage(definitions_[p], inst.streams[p]);
      if (!why.empty()) return fail("parameter " + std::to_string(p) + " (\"" + NameOf(definitions_[p]) + "\") " + why);
    }
  }
  std::vector<InstanceId> added;
  std::string why;
  for (const ProjectInstance& saved : project.instances) {
    HostInstance* inst = NewInstance(saved.width, saved.height);
    added.push_back(inst->id);
    for (size_t p = 0; p < saved.streams.size(); ++p) {
      const ProjectStream& s = saved.streams[p];
      inst->streams[p].RestoreState(s.value, s.keyframes, s.dynamicFlags, s.collapsed, s.flags, s.uiFlags);
    }
    if (saved.hasSequenceData) {
      inst->sequenceData = handles_.NewFrom(saved.sequenceData);
      if (inst->sequenceData == nullptr) {
        why = "out of memory for sequence data";
        break;
      }
    }
    const PF_Err err = Run(PF_Cmd_SEQUENCE_RESETUP, inst, nullptr, nullptr, 0);
    if (err != PF_Err_NONE) {
      why = "re-set-up failed with " + std::to_string(err);
      break;
    }
  }
  if (why.empty()) return true;
  for (InstanceId id : added) RemoveInstance(id);
  return fail(why);
}

}  // namespace Orvane::Mosaira
