// The simulated host's project file: for each instance its layer size, its flattened sequence
// data and its parameter streams, as one JSON document of the host's own format. Internal to the
// host (SimulatedHost::SaveProject / OpenProject use it); declared here for its tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ParamStream.h"

namespace Orvane::Mosaira {

struct ProjectStream {
  PF_ParamType type = 0;
  PF_ParamDefUnion value{};
  std::vector<Keyframe> keyframes;
  AEGP_DynStreamFlags dynamicFlags = 0;
  bool collapsed = false;
  PF_ParamFlags flags = 0;
  PF_ParamUIFlags uiFlags = 0;
};

struct ProjectInstance {
  A_long width = 0, height = 0;
  bool hasSequenceData = false;
  std::vector<uint8_t> sequenceData;
  std::vector<ProjectStream> streams;
};

struct Project {
  std::string matchName;  // the plug-in the project was saved with
  std::vector<ProjectInstance> instances;
};

// Writes the project as text. False with a reason when a value cannot be written (a non-finite
// number) or the file cannot be written; an existing file is replaced only by a complete one.
bool WriteProjectFile(const std::string& path, const Project& project, std::string* error);
// Reads and checks a project, member by member: types, ranges, sizes, encodings. Every number is
// read back exactly as it was written. A folder, a special file or a file over the size limit is
// refused before it is read. False with a reason for anything damaged; `project` is then left empty.
bool ReadProjectFile(const std::string& path, A_long maxLayerSide, Project* project,
                     std::string* error);

// The same from the `size` bytes of text at `text` (a file's contents).
bool ParseProject(const char* text, size_t size, A_long maxLayerSide, Project* project, std::string* error);

std::string EncodeBase64(const std::vector<uint8_t>& bytes);
// False for characters outside the alphabet, bad padding or a length that is not a multiple of 4.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes);

}  // namespace Orvane::Mosaira
