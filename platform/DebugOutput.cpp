#include "platform/DebugOutput.h"

#include <mutex>

#include "platform/SystemDebugOutput.h"

namespace Orvane::Mosaira::Platform {
namespace {

std::mutex sinkMutex;
DebugOutputSink installedSink = nullptr;
void* installedUserData = nullptr;

}  // namespace

void DebugOutputString(const char* text) noexcept {
  if (text == nullptr) return;
  std::lock_guard<std::mutex> lock(sinkMutex);
  if (installedSink != nullptr) {
    installedSink(text, installedUserData);
  } else {
    detail::SystemDebugOutput(text);
  }
}

void SetDebugOutputSink(DebugOutputSink sink, void* userData) noexcept {
  std::lock_guard<std::mutex> lock(sinkMutex);
  installedSink = sink;
  installedUserData = userData;
}

}  // namespace Orvane::Mosaira::Platform
