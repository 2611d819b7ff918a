#include "ui/DebugLog.h"

#include <cstdarg>
#include <cstdio>

#include "platform/DebugOutput.h"

namespace Orvane::Mosaira {
namespace {
char traceBuffer[1024];
}

void DebugLog(const char* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(traceBuffer, sizeof(traceBuffer), format, args);
  va_end(args);
  if (written < 0) traceBuffer[0] = '\0';
  Platform::DebugOutputString(traceBuffer);
  Platform::DebugOutputString("\n");
}

}  // namespace Orvane::Mosaira
