#include "host/DrawbotText.h"

#include <vector>

namespace Orvane::Mosaira::detail {
namespace {

constexpr char kEllipsis[] = "\xE2\x80\xA6";
constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(char(cp));
  } else if (cp < 0x800) {
    out->push_back(char(0xC0 | (cp >> 6)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(char(0xE0 | (cp >> 12)));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(char(0xF0 | (cp >> 18)));
    out->push_back(char(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(char(0x80 | (cp & 0x3F)));
  }
}

bool IsHigh(uint32_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLow(uint32_t u) { return u >= 0xDC00 && u < 0xE000; }

}  // namespace

std::string Utf16ToUtf8(const DRAWBOT_UTF16Char* text, size_t maxUnits) {
  std::string out;
  if (text == nullptr) return out;
  for (size_t i = 0; i < maxUnits && text[i] != 0; ++i) {
    const uint32_t u = text[i];
    if (IsHigh(u) && i + 1 < maxUnits && IsLow(text[i + 1])) {
      AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00u), &out);
      ++i;
    } else {
      AppendUtf8(IsHigh(u) || IsLow(u) ? kReplacement : u, &out);
    }
  }
  return out;
}

double TextWidth(cairo_t* cr, const std::string& utf8) {
  cairo_text_extents_t extents{};
  cairo_text_extents(cr, utf8.c_str(), &extents);
  return extents.x_advance;
}

std::string TruncateEnd(cairo_t* cr, const std::string& utf8, double widthPx) {
  if (TextWidth(cr, utf8) <= widthPx) return utf8;
  // Byte lengths of the whole-character prefixes, shortest first; the longest prefix that fits
  // with the ellipsis is found by bisection (advance widths grow with the prefix).
  std::vector<size_t> prefixes{0};
  for (size_t i = 1; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) prefixes.push_back(i);
  }
  const auto fits = [&](size_t k) { return TextWidth(cr, utf8.substr(0, prefixes[k]) + kEllipsis) <= widthPx; };
  if (!fits(0)) return std::string();
  size_t lo = 0, hi = prefixes.size() - 1;
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    if (fits(mid)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return utf8.substr(0, prefixes[lo]) + kEllipsis;
}

}  // namespace Orvane::Mosaira::detail
