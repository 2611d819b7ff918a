// Reading a plug-in's property resource (the host's "PiPL") from the library file before the
// library is loaded: on Linux the bytes live in the ELF section ".pipl"; on Windows they are the
// DLL's resource of type "PiPL", id 16000, read with the library mapped as data, never run. The host decodes every property,
// checks that the file describes an effect it can call, and only then opens the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane::Mosaira {

enum class PiplError {
  kNone,
  kFileUnreadable,    // the file cannot be opened or read
  kNotElf64,          // not a little-endian 64-bit library of this system (ELF, or a Windows DLL)
  kNoSection,         // no ".pipl" section, or no "PiPL" resource
  kTruncated,         // a header, property or string runs past the end of the bytes
  kBadHeader,         // the list does not start with word 1 and version 0
  kBadVendor,         // a property's vendor code is not "8BIM"
  kNotAnEffect,       // the kind is not "eFKT"
  kMissingProperty,   // name, entry point or match name absent
};

// One decoded property, as stored: four-character codes are returned in reading order ("eFKT"),
// after undoing the byte reversal of the file.
struct PiplProperty {
  std::string vendor;
  std::string key;
  uint32_t id = 0;
  std::vector<uint8_t> data;  // the padded data, exactly the property's length field
};

// What the host needs from the resource. Versions and flags are 0 when absent.
struct PiplInfo {
  std::vector<PiplProperty> properties;  // in file order
  std::string kind;                      // "eFKT" for an effect
  std::string name;
  std::string category;
  std::string entryPoint;                // the 64-bit entry point's symbol name
  std::string matchName;
  uint16_t piplVersionMajor = 0, piplVersionMinor = 0;
  uint16_t interfaceVersionMajor = 0, interfaceVersionMinor = 0;  // the effect interface version
  uint32_t effectVersion = 0;
  uint32_t infoFlags = 0;
  uint32_t outFlags = 0;
  uint32_t outFlags2 = 0;
  uint32_t reservedInfo = 0;
};

struct PiplResult {
  PiplError error = PiplError::kNone;
  PiplInfo info;
  std::vector<uint8_t> bytes;  // the section's raw bytes (empty when not found)
};

// Returns the raw bytes of the ELF section `sectionName` of the file at `path`. Never throws on bad
// input; the error says why nothing was found. Every offset is checked against the file size.
PiplError ReadElfSection(const std::string& path, const std::string& sectionName,
                         std::vector<uint8_t>* bytes);

// The property resource bytes of the library at `path`, by this system's rule (see above).
// Never throws on bad input; the error says why nothing was found.
PiplError ReadLibraryPipl(const std::string& path, std::vector<uint8_t>* bytes);

// Decodes a property list from its bytes. On error `info` holds what was decoded so far.
PiplError ParsePipl(const std::vector<uint8_t>& bytes, PiplInfo* info);

// Reads, decodes and checks the property resource of a library: an effect with a name, an entry
// point and a match name. This is what the host does before it loads a plug-in.
PiplResult ReadPluginPipl(const std::string& libraryPath);

const char* PiplErrorText(PiplError error);

}  // namespace Orvane::Mosaira
