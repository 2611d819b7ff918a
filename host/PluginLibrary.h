// The plug-in library as the host loads it: opened with the dynamic loader (LoadLibrary on
// Windows), closed when the owner goes. Move-only; the entry point is looked up by the name the
// property resource gives.
#pragma once

#include <string>

namespace Orvane::Mosaira {

class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary();
  PluginLibrary(PluginLibrary&& other) noexcept;
  PluginLibrary& operator=(PluginLibrary&& other) noexcept;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Opens the library at `path` (all symbols bound now, kept local to it). False on failure, with
  // the loader's message in `error`; the object then stays closed. Like a host application, the
  // process keeps a plug-in mapped once loaded: closing drops the reference but never unmaps the
  // code, so process-wide singletons the plug-in keeps until unload are not lost, and later
  // hosts in the same process meet the library as already loaded.
  bool Open(const std::string& path, std::string* error);

  // The address of the exported symbol `name`, or null when the library is closed or lacks it.
  void* Symbol(const std::string& name) const;

  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& Path() const { return path_; }

 private:
  void Close() noexcept;

  void* handle_ = nullptr;
  std::string path_;
};

}  // namespace Orvane::Mosaira
