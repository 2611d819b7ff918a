// Argument reading shared by the tiletta commands. Every reader throws UsageError with a message
// a user can act on; main prints it and exits with status 2.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace Orvane::Mosaira::Cli {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct PixelSize {
  int width = 0;
  int height = 0;
};

// "WxH" with both sides from 1 to 16384.
PixelSize ParseSize(const std::string& text);
// A whole decimal number within [lo, hi]; `what` names the option in the message.
long ParseInt(const std::string& text, long lo, long hi, const char* what);
// A finite decimal number within [lo, hi].
double ParseDouble(const std::string& text, double lo, double hi, const char* what);

// Walks argv with one-token lookahead for option values.
class ArgReader {
 public:
  ArgReader(int argc, char** argv, int first) : args_(argv + first, argv + argc) {}
  bool done() const { return pos_ >= args_.size(); }
  const std::string& next() { return args_[pos_++]; }
  // The value after option `name`; throws when it is missing.
  const std::string& value(const std::string& name);

 private:
  std::vector<std::string> args_;
  size_t pos_ = 0;
};

}  // namespace Orvane::Mosaira::Cli
