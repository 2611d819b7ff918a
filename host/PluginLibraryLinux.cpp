#include "host/PluginLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace Orvane::Mosaira {

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
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle_ == nullptr) {
    const char* message = dlerror();
    if (error) *error = message ? message : "cannot open " + path;
    return false;
  }
  path_ = path;
  return true;
}

void* PluginLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  dlerror();  // clear a stale message so a null result is judged on its own
  return dlsym(handle_, name.c_str());
}

void PluginLibrary::Close() noexcept {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

}  // namespace Orvane::Mosaira
