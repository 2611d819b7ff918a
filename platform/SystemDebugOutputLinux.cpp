#include <cstdio>
#include <cstdlib>

#include "platform/SystemDebugOutput.h"

namespace Orvane::Mosaira::Platform::detail {

void SystemDebugOutput(const char* text) noexcept {
  static const bool enabled = std::getenv("TILETTA_DEBUG_OUTPUT") != nullptr;
  if (!enabled) return;
  std::fputs(text, stderr);
  std::fflush(stderr);
}

}  // namespace Orvane::Mosaira::Platform::detail
