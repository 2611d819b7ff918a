#include "host/Pipl.h"

#include <cstring>

namespace Orvane::Mosaira {
namespace {

// True when [offset, offset + size) lies inside a buffer of `total` bytes, without overflow.
bool InRange(uint64_t offset, uint64_t size, uint64_t total) {
  return offset <= total && size <= total - offset;
}

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Four-character codes are stored byte-reversed; this gives them back in reading order.
std::string FourCc(const uint8_t* p) { return std::string{char(p[3]), char(p[2]), char(p[1]), char(p[0])}; }

// A length-prefixed string inside padded data; false when the length byte overruns the data.
bool PascalString(const std::vector<uint8_t>& data, std::string* out) {
  if (data.empty() || data[0] + 1u > data.size()) return false;
  out->assign(reinterpret_cast<const char*>(data.data() + 1), data[0]);
  return true;
}

// A zero-terminated string inside padded data; false when no zero byte ends it.
bool CString(const std::vector<uint8_t>& data, std::string* out) {
  const void* end = std::memchr(data.data(), 0, data.size());
  if (end == nullptr) return false;
  out->assign(reinterpret_cast<const char*>(data.data()),
              static_cast<const uint8_t*>(end) - data.data());
  return true;
}

bool FillFromProperty(const PiplProperty& p, PiplInfo* info) {
  const auto& d = p.data;
  const auto need = [&](size_t n) { return d.size() >= n; };
  if (p.key == "kind") return need(4) && (info->kind = FourCc(d.data()), true);
  if (p.key == "name") return PascalString(d, &info->name);
  if (p.key == "catg") return PascalString(d, &info->category);
  if (p.key == "8664") return CString(d, &info->entryPoint);
  if (p.key == "eMNA") return PascalString(d, &info->matchName);
  if (p.key == "ePVR" || p.key == "eSVR") {
    if (!need(4)) return false;
    auto& major = p.key == "ePVR" ? info->piplVersionMajor : info->interfaceVersionMajor;
    auto& minor = p.key == "ePVR" ? info->piplVersionMinor : info->interfaceVersionMinor;
    major = Le16(d.data());
    minor = Le16(d.data() + 2);
    return true;
  }
  if (p.key == "eINF") return need(2) && (info->infoFlags = Le16(d.data()), true);
  uint32_t* word = p.key == "eVER"   ? &info->effectVersion
                   : p.key == "eGLO" ? &info->outFlags
                   : p.key == "eGL2" ? &info->outFlags2
                   : p.key == "aeFL" ? &info->reservedInfo
                                     : nullptr;
  if (word == nullptr) return true;  // a property the host does not use
  return need(4) && (*word = Le32(d.data()), true);
}

}  // namespace

PiplError ParsePipl(const std::vector<uint8_t>& bytes, PiplInfo* info) {
  *info = PiplInfo{};
  if (bytes.size() < 10) return PiplError::kTruncated;
  if (Le16(bytes.data()) != 1 || Le32(bytes.data() + 2) != 0) return PiplError::kBadHeader;
  const uint32_t count = Le32(bytes.data() + 6);
  size_t at = 10;
  for (uint32_t i = 0; i < count; ++i) {
    if (!InRange(at, 16, bytes.size())) return PiplError::kTruncated;
    PiplProperty p;
    p.vendor = FourCc(&bytes[at]);
    p.key = FourCc(&bytes[at + 4]);
    p.id = Le32(&bytes[at + 8]);
    const uint32_t length = Le32(&bytes[at + 12]);
    at += 16;
    const uint64_t padded = (uint64_t(length) + 3) & ~uint64_t(3);
    if (!InRange(at, padded, bytes.size())) return PiplError::kTruncated;
    if (p.vendor != "8BIM") return PiplError::kBadVendor;
    p.data.assign(bytes.begin() + at, bytes.begin() + at + length);
    at += padded;
    if (!FillFromProperty(p, info)) return PiplError::kTruncated;
    info->properties.push_back(std::move(p));
  }
  return PiplError::kNone;
}

PiplResult ReadPluginPipl(const std::string& libraryPath) {
  PiplResult result;
  result.error = ReadLibraryPipl(libraryPath, &result.bytes);
  if (result.error != PiplError::kNone) return result;
  result.error = ParsePipl(result.bytes, &result.info);
  if (result.error != PiplError::kNone) return result;
  const PiplInfo& info = result.info;
  if (info.kind != "eFKT") {
    result.error = PiplError::kNotAnEffect;
  } else if (info.name.empty() || info.entryPoint.empty() || info.matchName.empty()) {
    result.error = PiplError::kMissingProperty;
  }
  return result;
}

const char* PiplErrorText(PiplError error) {
  switch (error) {
    case PiplError::kNone: return "no error";
    case PiplError::kFileUnreadable: return "library file cannot be read";
    case PiplError::kNotElf64: return "not a 64-bit little-endian library of this system";
    case PiplError::kNoSection: return "no property resource";
    case PiplError::kTruncated: return "property list truncated or malformed";
    case PiplError::kBadHeader: return "property list header is not version 1";
    case PiplError::kBadVendor: return "property with a vendor other than 8BIM";
    case PiplError::kNotAnEffect: return "plug-in kind is not an effect";
    case PiplError::kMissingProperty: return "name, entry point or match name missing";
  }
  return "unknown error";
}

}  // namespace Orvane::Mosaira
