#include "layout/JsonNumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace Orvane::Mosaira {
namespace {

// Shortest round-trip digits of a positive finite value and the decimal exponent of its first digit:
// value = d.ddd x 10^exponent.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
};

DecimalDigits ShortestDigits(double positive) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, positive, std::chars_format::scientific);
  const std::string_view sci(text, static_cast<size_t>(result.ptr - text));
  const size_t e = sci.find('e');
  DecimalDigits out;
  for (size_t i = 0; i < e; ++i) {
    if (sci[i] != '.') {
      out.digits.push_back(sci[i]);
    }
  }
  out.exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
  return out;
}

// RapidJSON's layout of digits d (length n) times 10^k, with kk = n + k the position of the point.
std::string LayOut(const DecimalDigits& d) {
  const std::string& digits = d.digits;
  const int length = static_cast<int>(digits.size());
  const int kk = d.exponent + 1;
  const int k = kk - length;
  if (k >= 0 && kk <= 21) {
    return digits + std::string(static_cast<size_t>(k), '0') + ".0";
  }
  if (kk > 0 && kk <= 21) {
    return digits.substr(0, static_cast<size_t>(kk)) + "." + digits.substr(static_cast<size_t>(kk));
  }
  if (kk > -6 && kk <= 0) {
    return "0." + std::string(static_cast<size_t>(-kk), '0') + digits;
  }
  const std::string exponent = "e" + std::to_string(kk - 1);
  if (length == 1) {
    return digits + exponent;
  }
  return digits.substr(0, 1) + "." + digits.substr(1) + exponent;
}

}  // namespace

std::string FormatJsonDouble(double value) {
  // A non-finite number has no JSON form; 0.0 keeps the document readable.
  if (!std::isfinite(value)) {
    return "0.0";
  }
  if (value == 0.0) {
    return std::signbit(value) ? "-0.0" : "0.0";
  }
  const std::string sign = value < 0.0 ? "-" : "";
  return sign + LayOut(ShortestDigits(std::fabs(value)));
}

bool WriteJsonDouble(JsonWriter& writer, double value) {
  const std::string text = FormatJsonDouble(value);
  return writer.RawValue(text.data(), text.size(), rapidjson::kNumberType);
}

}  // namespace Orvane::Mosaira
