#include "host/ProjectFile.h"

#include "host/AtomicFile.h"
#include "layout/LayoutJson.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include <sys/stat.h>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace Orvane::Mosaira {
namespace {

constexpr char kFormat[] = "tiletta-host-project";
constexpr int kVersion = 1;
constexpr size_t kMaxFileBytes = size_t(256) << 20;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;
using Value = rapidjson::Value;

bool WriteValue(Writer& w, PF_ParamType type, const PF_ParamDefUnion& v) {
  w.StartObject();
  bool ok = true;
  if (type == PF_Param_FLOAT_SLIDER) {
    ok = w.Key("number") && w.Double(v.fs_d.value);
  } else if (type == PF_Param_POINT) {
    w.Key("x");
    w.Int(v.td.x_value);
    w.Key("y");
    w.Int(v.td.y_value);
  } else if (type == PF_Param_POPUP) {
    w.Key("choice");
    w.Int(v.pd.value);
  }
  return w.EndObject() && ok;
}

bool WriteStream(Writer& w, const ProjectStream& s) {
  w.StartObject();
  w.Key("type");
  w.Int(s.type);
  w.Key("value");
  bool ok = WriteValue(w, s.type, s.value);
  w.Key("keyframes");
  w.StartArray();
  for (const Keyframe& k : s.keyframes) {
    w.StartObject();
    w.Key("t");
    ok = w.Double(k.seconds) && ok;
    w.Key("value");
    ok = WriteValue(w, s.type, k.value) && ok;
    w.EndObject();
  }
  w.EndArray();
  w.Key("dynamicFlags");
  w.Int(s.dynamicFlags);
  w.Key("collapsed");
  w.Bool(s.collapsed);
  w.Key("flags");
  w.Int(s.flags);
  w.Key("uiFlags");
  w.Int(s.uiFlags);
  return w.EndObject() && ok;
}

bool WriteInstance(Writer& w, const ProjectInstance& inst) {
  w.StartObject();
  w.Key("width");
  w.Int(inst.width);
  w.Key("height");
  w.Int(inst.height);
  w.Key("sequenceData");
  if (inst.hasSequenceData) {
    const std::string text = EncodeBase64(inst.sequenceData);
    w.String(text.c_str(), rapidjson::SizeType(text.size()));
  } else {
    w.Null();
  }
  w.Key("params");
  w.StartArray();
  bool ok = true;
  for (const ProjectStream& s : inst.streams) ok = WriteStream(w, s) && ok;
  w.EndArray();
  return w.EndObject() && ok;
}

// Reading: every member is looked up and type-checked before use.
const Value* Member(const Value& object, const char* name) {
  auto it = object.FindMember(name);
  return it == object.MemberEnd() ? nullptr : &it->value;
}

bool ReadInt(const Value& object, const char* name, int32_t* out) {
  const Value* v = Member(object, name);
  if (v == nullptr || !v->IsInt()) return false;
  *out = v->GetInt();
  return true;
}

bool ReadValue(const Value* v, PF_ParamType type, PF_ParamDefUnion* out) {
  if (v == nullptr || !v->IsObject()) return false;
  *out = PF_ParamDefUnion{};
  if (type == PF_Param_FLOAT_SLIDER) {
    const Value* n = Member(*v, "number");
    if (n == nullptr || !n->IsNumber() || !std::isfinite(n->GetDouble())) return false;
    out->fs_d.value = n->GetDouble();
    return true;
  }
  if (type == PF_Param_POINT) return ReadInt(*v, "x", &out->td.x_value) && ReadInt(*v, "y", &out->td.y_value);
  if (type == PF_Param_POPUP) return ReadInt(*v, "choice", &out->pd.value);
  return true;
}

bool ReadStream(const Value& v, ProjectStream* s) {
  if (!v.IsObject() || !ReadInt(v, "type", &s->type)) return false;
  if (!ReadValue(Member(v, "value"), s->type, &s->value)) return false;
  const Value* keys = Member(v, "keyframes");
  if (keys == nullptr || !keys->IsArray()) return false;
  for (const Value& k : keys->GetArray()) {
    Keyframe key;
    const Value* t = k.IsObject() ? Member(k, "t") : nullptr;
    if (t == nullptr || !t->IsNumber() || !std::isfinite(t->GetDouble())) return false;
    key.seconds = t->GetDouble();
    if (!ReadValue(Member(k, "value"), s->type, &key.value)) return false;
    s->keyframes.push_back(key);
  }
  const Value* collapsed = Member(v, "collapsed");
  if (collapsed == nullptr || !collapsed->IsBool()) return false;
  s->collapsed = collapsed->GetBool();
  return ReadInt(v, "dynamicFlags", &s->dynamicFlags) && ReadInt(v, "flags", &s->flags) &&
         ReadInt(v, "uiFlags", &s->uiFlags);
}

bool ReadInstance(const Value& v, A_long maxSide, ProjectInstance* inst, std::string* why) {
  if (!v.IsObject() || !ReadInt(v, "width", &inst->width) || !ReadInt(v, "height", &inst->height)) {
    *why = "instance without a layer size";
    return false;
  }
  // A side of 0 is an empty layer, as the host allows and saves it.
  if (inst->width < 0 || inst->height < 0 || inst->width > maxSide || inst->height > maxSide) {
    *why = "layer size out of range";
    return false;
  }
  const Value* data = Member(v, "sequenceData");
  if (data == nullptr || !(data->IsNull() || data->IsString())) {
    *why = "sequence data missing";
    return false;
  }
  inst->hasSequenceData = data->IsString();
  if (inst->hasSequenceData &&
      !DecodeBase64(std::string(data->GetString(), data->GetStringLength()), &inst->sequenceData)) {
    *why = "sequence data not readable";
    return false;
  }
  const Value* params = Member(v, "params");
  if (params == nullptr || !params->IsArray()) {
    *why = "parameters missing";
    return false;
  }
  for (const Value& p : params->GetArray()) {
    ProjectStream s;
    if (!ReadStream(p, &s)) {
      *why = "parameter " + std::to_string(inst->streams.size()) + " damaged";
      return false;
    }
    inst->streams.push_back(std::move(s));
  }
  return true;
}

}  // namespace

std::string EncodeBase64(const std::vector<uint8_t>& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = (uint32_t(bytes[i]) << 16) | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                       (i + 2 < bytes.size() ? uint32_t(bytes[i + 2]) : 0);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  const auto digit = [](char c) -> int {
    const char* p = c == '\0' ? nullptr : std::strchr(kAlphabet, c);
    return p ? int(p - kAlphabet) : -1;
  };
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int pad = (text[i + 3] == '=') + (text[i + 2] == '=');
    if (pad > 0 && (!last || (pad == 1 && text[i + 2] == '='))) return false;
    uint32_t n = 0;
    for (int j = 0; j < 4; ++j) {
      const int d = j >= 4 - pad ? 0 : digit(text[i + size_t(j)]);
      if (d < 0) return false;
      n = (n << 6) | uint32_t(d);
    }
    bytes->push_back(uint8_t(n >> 16));
    if (pad < 2) bytes->push_back(uint8_t(n >> 8));
    if (pad < 1) bytes->push_back(uint8_t(n));
  }
  return true;
}

bool WriteProjectFile(const std::string& path, const Project& project, std::string* error) {
  rapidjson::StringBuffer buffer;
  Writer w(buffer);
  w.StartObject();
  w.Key("format");
  w.String(kFormat);
  w.Key("version");
  w.Int(kVersion);
  w.Key("plugin");
  w.String(project.matchName.c_str(), rapidjson::SizeType(project.matchName.size()));
  w.Key("instances");
  w.StartArray();
  bool ok = true;
  for (const ProjectInstance& inst : project.instances) ok = WriteInstance(w, inst) && ok;
  w.EndArray();
  w.EndObject();
  if (!ok || !w.IsComplete()) {
    if (error) *error = "a parameter value cannot be written (not a finite number)";
    return false;
  }
  // Written beside the target and renamed, so a failed write never replaces a good project.
  AtomicFile out(path);
  if (out.File() != nullptr) std::fwrite(buffer.GetString(), 1, buffer.GetSize(), out.File());
  if (!out.Commit()) {
    if (error) *error = out.Error();
    return false;
  }
  return true;
}

// Why `size` bytes of text are no JSON object, saying where: a file cut short ends inside its
// text, so a reader learns that it is the end that is missing.
std::string NotAnObject(const char* text, size_t size) {
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseIterativeFlag>(text, size);  // only where it fails matters
  if (!doc.HasParseError()) return "not a project file (its text is no JSON object)";
  size_t end = size;
  while (end > 0 && std::strchr(" \t\r\n", text[end - 1]) != nullptr) --end;
  if (doc.GetParseError() == rapidjson::kParseErrorDocumentEmpty && end == 0) {
    return "not a project file: it is empty";
  }
  if (doc.GetErrorOffset() >= end) {
    return "not a project file: it ends early, after byte " + std::to_string(size) +
           ", inside its text (a file cut short)";
  }
  std::string what = rapidjson::GetParseError_En(doc.GetParseError());
  if (!what.empty() && what.back() == '.') what.pop_back();
  return "not a project file: " + what + " at byte " + std::to_string(doc.GetErrorOffset());
}

bool ParseProject(const char* text, size_t size, A_long maxLayerSide, Project* project, std::string* error) {
  *project = Project{};
  std::string why;
  rapidjson::Document doc;
  if (size > kMaxFileBytes) {
    why = "file too large";
  } else if (!ParseOwnJson(&doc, text, size) || !doc.IsObject()) {
    why = NotAnObject(text, size);
  } else {
    const Value* format = Member(doc, "format");
    const Value* plugin = Member(doc, "plugin");
    const Value* instances = Member(doc, "instances");
    int32_t version = 0;
    if (format == nullptr || !format->IsString() || std::string(format->GetString()) != kFormat ||
        !ReadInt(doc, "version", &version) || version != kVersion) {
      why = "not a project file of this version";
    } else if (plugin == nullptr || !plugin->IsString() || instances == nullptr || !instances->IsArray()) {
      why = "project without plug-in or instances";
    } else {
      project->matchName.assign(plugin->GetString(), plugin->GetStringLength());
      for (const Value& v : instances->GetArray()) {
        ProjectInstance inst;
        if (!ReadInstance(v, maxLayerSide, &inst, &why)) break;
        project->instances.push_back(std::move(inst));
      }
    }
  }
  if (why.empty()) return true;
  *project = Project{};
  if (error) *error = why;
  return false;
}

bool ReadProjectFile(const std::string& path, A_long maxLayerSide, Project* project,
                     std::string* error) {
  *project = Project{};
  const auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  // Refused by what the file system says before a byte is read: a folder or a device would throw
  // or block, a huge file would be held whole in memory.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return fail("cannot read " + path);
  if (S_ISDIR(st.st_mode)) return fail(path + " is a folder, not a project file");
  if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
  if (uint64_t(st.st_size) > kMaxFileBytes) return fail("file too large");
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && text.empty()) return fail("cannot read " + path);
  return ParseProject(text.data(), text.size(), maxLayerSide, project, error);
}

}  // namespace Orvane::Mosaira
