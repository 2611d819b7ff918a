// Writing a file the user named without ever losing what was there: the bytes go to a new file
// beside the target, which replaces the target only once it is complete.
#pragma once

#include <cstdio>
#include <string>

namespace Orvane::Mosaira {

// Whether `path` can be written as a new or replaced regular file: its folder exists and is
// writable, and it is not a folder, device, pipe or other special file (through a symbolic link,
// the file the link names). False with the reason in *error ("cannot write PATH: ...").
bool CheckWritableTarget(const std::string& path, std::string* error);

// One write of one file. The constructor makes a new file in the target's folder (the folder of
// the file a symbolic link names, so the link stays a link); Commit() closes it and renames it
// over the target. The target is never removed or truncated: when anything fails, or Commit() is
// never called, only the new file goes away.
class AtomicFile {
 public:
  explicit AtomicFile(const std::string& path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // The stream to write; null when the new file could not be made (the reason in Error()).
  FILE* File() const { return file_; }
  // Flushes, closes and renames into place. False, with the reason in Error(), when any write
  // failed or the rename did; the target is then as it was.
  bool Commit();
  const std::string& Error() const { return error_; }

 private:
  void Fail(const std::string& why);

  std::string target_;  // the path that is replaced (links resolved)
  std::string shown_;   // the path as the caller named it, for messages
  std::string temp_;
  FILE* file_ = nullptr;
  int mode_ = 0644;
  std::string error_;
};

}  // namespace Orvane::Mosaira
