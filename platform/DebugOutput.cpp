#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace Orvane::Mosaira::Platform {
namespace {

std::mutex sinkMutex;
DebugOutputSink installedSink = nullptr;
void* installedUserData = nullptr;

bool DefaultSinkEnabled() {
  static const bool enabled = std::getenv("TILETTA_DEBUG_OUTPUT") != nullptr;
  return enabled;
}

}  // namespace

void DebugOutputString(const char* text) noexcept {
  if (text == nullptr) return;
  std::lock_guard<std::mutex> lock(sinkMutex);
  if (installedSink != nullptr) {
    installedSink(text, installedUserData);
  } else if (DefaultSinkEnabled()) {
    std::fputs(text, stderr);
    std::fflush(stderr);
  }
}

void SetDebugOutputSink(DebugOutputSink sink, void* userData) noexcept {
  std::lock_guard<std::mutex> lock(sinkMutex);
  installedSink = sink;
  installedUserData = userData;
}

}  // namespace Orvane::Mosaira::Platform
