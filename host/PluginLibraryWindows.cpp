#include <windows.h>

#include <utility>

#include "host/PluginLibrary.h"

namespace Orvane::Mosaira {
namespace {

std::string LastErrorText(const std::string& path) {
  const DWORD code = GetLastError();
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                 sizeof text, nullptr);
  return "cannot open " + path + ": " + (n > 0 ? std::string(text, n) : "error " + std::to_string(code));
}

}  // namespace

PluginLibrary::~PluginLibrary() { Close(); }

PluginLibrary::PluginLibrary(PluginLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)) {}

PluginLibrary& PluginLibrary::operator=(PluginLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
  }
  return *this;
}

bool PluginLibrary::Open(const std::string& path, std::string* error) {
  Close();
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    if (error) *error = LastErrorText(path);
    return false;
  }
  // Pinned: the process keeps the library mapped after the last FreeLibrary, as on Linux.
  HMODULE pinned = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCSTR>(module), &pinned);
  handle_ = module;
  path_ = path;
  return true;
}

void* PluginLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

void PluginLibrary::Close() noexcept {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
  path_.clear();
}

}  // namespace Orvane::Mosaira
