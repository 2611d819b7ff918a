// Internal to the host's Drawbot: the text of DrawString, UTF-16 in, drawn with Cairo's toy font
// interface in the host's default face.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <string>

#include "sdk/drawbot.h"

namespace Orvane::Mosaira::detail {

// The NUL-terminated text as UTF-8, reading at most maxUnits units; an unpaired surrogate becomes
// U+FFFD. Null text gives "".
std::string Utf16ToUtf8(const DRAWBOT_UTF16Char* text, size_t maxUnits);

// Advance width of the text in the context's current font, pixels.
double TextWidth(cairo_t* cr, const std::string& utf8);

// The text as it fits in widthPx: unchanged when it fits; otherwise cut at the end by whole
// characters and followed by an ellipsis ("\xE2\x80\xA6"), the whole no wider than widthPx;
// "" when not even the ellipsis fits.
std::string TruncateEnd(cairo_t* cr, const std::string& utf8, double widthPx);

}  // namespace Orvane::Mosaira::detail
