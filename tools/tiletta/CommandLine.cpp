#include "tools/tiletta/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Orvane::Mosaira::Cli {

long ParseInt(const std::string& text, long lo, long hi, const char* what) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi) {
    throw UsageError(std::string(what) + ": expected a whole number from " + std::to_string(lo) + " to " +
                     std::to_string(hi) + ", got \"" + text + "\"");
  }
  return v;
}

namespace {

// A bound as a user would write it ("0.05", not "0.050000").
std::string Shortest(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace

double ParseDouble(const std::string& text, double lo, double hi, const char* what) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v) || v < lo || v > hi) {
    throw UsageError(std::string(what) + ": expected a number from " + Shortest(lo) + " to " + Shortest(hi) +
                     ", got \"" + text + "\"");
  }
  return v;
}

PixelSize ParseSize(const std::string& text) {
  auto x = text.find_first_of("xX");
  if (x == std::string::npos) throw UsageError("--size: expected WxH, got \"" + text + "\"");
  PixelSize s;
  s.width = static_cast<int>(ParseInt(text.substr(0, x), 1, 16384, "--size width"));
  s.height = static_cast<int>(ParseInt(text.substr(x + 1), 1, 16384, "--size height"));
  return s;
}

const std::string& ArgReader::value(const std::string& name) {
  if (done()) throw UsageError(name + " needs a value");
  return next();
}

const std::string& ArgReader::path(const std::string& name) {
  const std::string& v = value(name);
  if (v.empty()) throw UsageError(name + " needs a file name, got \"\"");
  return v;
}

}  // namespace Orvane::Mosaira::Cli
