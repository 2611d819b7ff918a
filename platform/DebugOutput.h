// The debugger-output sink: where trace lines go. Without an installed sink they go to the
// debugger output (OutputDebugStringA) on Windows; on Linux, which has none, they go to standard
// error when TILETTA_DEBUG_OUTPUT is set in the environment and are dropped otherwise, as text
// sent to a debugger that is not attached is lost.
#pragma once

namespace Orvane::Mosaira::Platform {

// Receives one zero-terminated text; must not throw.
using DebugOutputSink = void (*)(const char* text, void* userData);

// Sends `text` (null is ignored) to the installed sink. Thread-safe; never throws.
void DebugOutputString(const char* text) noexcept;

// Installs a sink (null restores the default). Returns nothing; thread-safe.
void SetDebugOutputSink(DebugOutputSink sink, void* userData) noexcept;

}  // namespace Orvane::Mosaira::Platform
