// Writing a file the user named without ever losing what was there: the bytes go to a new file
// beside the target, which replaces the target only once it is complete.
//
// The target is found as a shell redirect finds it: symbolic links are followed to the file they
// name (made when it does not exist yet; the link stays a link), a link loop or a missing folder is
// refused. A replaced file keeps its mode; a new one gets 0666 less the process's umask.
#pragma once

#include <cstdio>
#include <string>

namespace Orvane::Mosaira {

// Whether `path` can be written as a new or replaced regular file: its folder exists and is
// writable, it is not a folder, device, pipe or other special file, and an existing file is
// writable by this process (through symbolic links, all of this of the file the links name).
// False with the reason in *error ("cannot write PATH: ...", in the system's words where it has
// them).
bool CheckWritableTarget(const std::string& path, std::string* error);

// Whether writing `a` and writing `b` would write the same file: when both exist, the same device
// and inode (through links and hard links alike); otherwise the same path once links are followed
// and folders made absolute.
bool SameTarget(const std::string& a, const std::string& b);

// Installs handlers of SIGINT, SIGTERM and SIGHUP that remove the new files of every AtomicFile
// being written, then end the process by the same signal as before. A signal the process was
// started with ignored (nohup, a background job) stays ignored. For a program that writes files
// the user named and has no handlers of its own for those signals.
void RemoveNewFilesOnEndingSignals();

// One write of one file. The constructor makes a new file in the target's folder (the folder of
// the file a symbolic link names, so the link stays a link); Commit() closes it and renames it
// over the target. The target is never removed or truncated: when anything fails, or Commit() is
// never called, only the new file goes away. The new file is named "." + the target's name +
// six random characters, the name shortened where the folder's limit on names needs it.
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
  // The system's words for the first write to File() that failed ("No space left on device");
  // empty while none has.
  std::string WriteFailure() const;

 private:
  void Fail(const std::string& why);
  void Open();

  std::string target_;  // the path that is replaced (links resolved)
  std::string shown_;   // the path as the caller named it, for messages
  std::string temp_;
  int slot_ = -1;        // where the signal handlers find temp_'s name
  FILE* file_ = nullptr;
  int fd_ = -1;          // the new file's descriptor, written through file_
  int writeErrno_ = 0;   // the first failed write's errno
  int mode_ = 0644;
  std::string error_;

  friend struct AtomicFileStream;
};

}  // namespace Orvane::Mosaira
