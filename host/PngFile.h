// Writing host worlds as PNG files (the command line's pictures, the UI's draw surfaces).
#pragma once

#include <string>

#include "host/HostWorld.h"

namespace Orvane::Mosaira {

// Writes straight RGBA: 8 bits per channel for an 8-bit world, 16 bits for deeper worlds; channel
// values are clamped to [0, 1] of white, and a value that is not finite is written as 0. False,
// with the reason in *error and no partial file left behind, when the file cannot be written.
bool WritePng(HostWorld& world, const std::string& path, std::string* error);

}  // namespace Orvane::Mosaira
