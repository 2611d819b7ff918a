// Argument reading and failures shared by the tiletta commands. Every reader throws UsageError with
// a message a user can act on; main prints each CommandError as "tiletta: <message>" and exits
// with its status.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace Orvane::Mosaira::Cli {

// One exit status per kind of failure (listed in `tiletta --help`).
enum class ExitStatus : int {
  kOk = 0,
  kFailed = 1,            // the plug-in or the host failed (also as the plug-in's error message
                          // says), the host's checks found a fault, or memory would not suffice
  kUsage = 2,             // unknown option, bad or missing value, options the layout cannot take,
                          // -o and --project naming one file
  kUnreadableInput = 3,   // a --layer, --json or --project file cannot be read or is damaged
  kUnwritableOutput = 4,  // -o or the --project file cannot be written, or its write failed
};

struct CommandError : std::runtime_error {
  CommandError(ExitStatus s, const std::string& message) : std::runtime_error(message), status(s) {}
  ExitStatus status;
};

struct UsageError : CommandError {
  explicit UsageError(const std::string& message) : CommandError(ExitStatus::kUsage, message) {}
};

struct InputError : CommandError {
  explicit InputError(const std::string& message) : CommandError(ExitStatus::kUnreadableInput, message) {}
};

struct OutputError : CommandError {
  explicit OutputError(const std::string& message) : CommandError(ExitStatus::kUnwritableOutput, message) {}
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
  // The same for an option naming a file: an empty name is refused too.
  const std::string& path(const std::string& name);

 private:
  std::vector<std::string> args_;
  size_t pos_ = 0;
};

}  // namespace Orvane::Mosaira::Cli
