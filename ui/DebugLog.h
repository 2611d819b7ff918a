// Trace lines to the debugger output.
#pragma once

namespace Orvane::Mosaira {

// Formats the message printf-style into one process-wide buffer of 1024 bytes (longer messages
// are cut at 1023 characters) and sends it, then a line feed, to the debugger output. Not
// thread-safe: one caller at a time. Never throws.
void DebugLog(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));

}  // namespace Orvane::Mosaira
