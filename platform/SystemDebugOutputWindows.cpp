#include <windows.h>

#include "platform/SystemDebugOutput.h"

namespace Orvane::Mosaira::Platform::detail {

void SystemDebugOutput(const char* text) noexcept { OutputDebugStringA(text); }

}  // namespace Orvane::Mosaira::Platform::detail
