// The debugger-output sink: where trace lines go in place of the Windows debugger output.
// Lines are dropped unless a sink is installed or TILETTA_DEBUG_OUTPUT is set in the
// environment (then they go to standard error), as text sent to a debugger that is not
// attached is lost.
#pragma once

namespace Orvane::Mosaira::Platform {

// Receives one zero-terminated text; must not throw.
using DebugOutputSink = void (*)(const char* text, void* userData);

// Sends `text` (null is ignored) to the installed sink. Thread-safe; never throws.
void DebugOutputString(const char* text) noexcept;

// Installs a sink (null restores the default). Returns nothing; thread-safe.
void SetDebugOutputSink(DebugOutputSink sink, void* userData) noexcept;

}  // namespace Orvane::Mosaira::Platform
