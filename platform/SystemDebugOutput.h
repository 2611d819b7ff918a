// The system's own debugger output, used when no sink is installed. Internal to platform/.
#pragma once

namespace Orvane::Mosaira::Platform::detail {

// Sends non-null `text` to the debugger output of the system. Never throws.
void SystemDebugOutput(const char* text) noexcept;

}  // namespace Orvane::Mosaira::Platform::detail
