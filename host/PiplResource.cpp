// The property resource of a Windows DLL: type "PiPL", id 16000, read with the DLL mapped as an
// image resource file, so that none of its code runs.
#include <windows.h>

#include "host/Pipl.h"

namespace Orvane::Mosaira {
namespace {

constexpr WORD kPiplResourceId = 16000;

// Owner of a module mapped as data.
class DataModule {
 public:
  explicit DataModule(const std::string& path)
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~DataModule() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace

PiplError ReadLibraryPipl(const std::string& path, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return PiplError::kFileUnreadable;
  const DataModule module(path);
  if (module.Get() == nullptr) return PiplError::kNotElf64;
  HRSRC resource = FindResourceA(module.Get(), MAKEINTRESOURCEA(kPiplResourceId), "PiPL");
  if (resource == nullptr) return PiplError::kNoSection;
  const DWORD size = SizeofResource(module.Get(), resource);
  HGLOBAL loaded = LoadResource(module.Get(), resource);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return PiplError::kTruncated;
  const auto* first = static_cast<const uint8_t*>(data);
  bytes->assign(first, first + size);
  return PiplError::kNone;
}

}  // namespace Orvane::Mosaira
