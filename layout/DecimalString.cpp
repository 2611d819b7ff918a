#include "layout/DecimalString.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace Orvane::Mosaira {
namespace {

bool IsCLocaleSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void ThrowInvalid() { throw std::invalid_argument("invalid stod argument"); }

}  // namespace

double StringToDouble(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsCLocaleSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Only decimal text: from_chars alone would also take "inf" and "nan".
  if (i >= text.size() || !(IsDigit(text[i]) || text[i] == '.')) {
    ThrowInvalid();
  }
  double value = 0.0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) {
    ThrowInvalid();
  }
  if (result.ec == std::errc::result_out_of_range || !std::isfinite(value)) {
    throw std::out_of_range("stod argument out of range");
  }
  return negative ? -value : value;
}

}  // namespace Orvane::Mosaira
