// The Windows copy of AtomicFile: the same contract through std::filesystem (no links to follow,
// no modes to keep); the new file is named after the process and a counter, and replaces the
// target with a rename that overwrites it.
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/AtomicFile.h"

namespace Orvane::Mosaira {
namespace {

namespace fs = std::filesystem;

std::string TargetProblem(const std::string& target) {
  if (target.empty() || target.back() == '/' || target.back() == '\\') return "not a file name";
  std::error_code ec;
  const fs::file_status st = fs::status(target, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    return fs::is_directory(st) ? "is a folder" : "not a regular file";
  }
  fs::path folder = fs::path(target).parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::is_directory(folder, ec)) return "no such folder";
  return "";
}

std::string NewName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const fs::path path(target);
  return (path.parent_path() / ("." + path.filename().string() + "." + std::to_string(GetCurrentProcessId()) +
                                "." + std::to_string(counter++)))
      .string();
}

}  // namespace

// The command line that installs these handlers is built for Linux only; here there is nothing
// to install.
void RemoveNewFilesOnEndingSignals() {}

bool CheckWritableTarget(const std::string& path, std::string* error) {
  const std::string why = TargetProblem(path);
  if (!why.empty() && error) *error = "cannot write " + path + ": " + why;
  return why.empty();
}

bool SameTarget(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  const fs::path ca = fs::weakly_canonical(a, ec), cb = fs::weakly_canonical(b, ec);
  return ca == cb;
}

AtomicFile::AtomicFile(const std::string& path) : target_(path), shown_(path) {
  const std::string why = TargetProblem(target_);
  if (!why.empty()) {
    Fail(why);
    return;
  }
  temp_ = NewName(target_);
  file_ = std::fopen(temp_.c_str(), "wb");
  if (file_ == nullptr) {
    temp_.clear();
    Fail("cannot open a new file");
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) std::fclose(file_);
  std::error_code ec;
  if (!temp_.empty()) fs::remove(temp_, ec);
}

std::string AtomicFile::WriteFailure() const { return writeErrno_ != 0 ? std::strerror(writeErrno_) : ""; }

void AtomicFile::Fail(const std::string& why) {
  if (error_.empty()) error_ = "cannot write " + shown_ + ": " + why;
}

bool AtomicFile::Commit() {
  if (file_ == nullptr) {
    Fail("not open");
    return false;
  }
  const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
  if (!written && errno != 0) writeErrno_ = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed) {
    Fail(writeErrno_ != 0 ? std::strerror(writeErrno_) : "write failed");
    return false;
  }
  if (!MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot replace the file");
    return false;
  }
  temp_.clear();
  return true;
}

}  // namespace Orvane::Mosaira
