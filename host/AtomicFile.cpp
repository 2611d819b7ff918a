#include "host/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Orvane::Mosaira {
namespace {

// The file a chain of symbolic links ends at; `path` itself when it is no link or the link
// dangles (the link is then replaced, as writing through it would create its target anyway).
std::string Resolved(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string out(real);
  std::free(real);
  return out;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Empty when the resolved target may be written; else why not.
std::string TargetProblem(const std::string& target) {
  if (target.empty() || target.back() == '/') return "not a file name";
  struct stat st {};
  if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    return S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
  }
  const std::string folder = FolderOf(target);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "no such folder";
  if (access(folder.c_str(), W_OK) != 0) return "folder not writable";
  return "";
}

}  // namespace

bool CheckWritableTarget(const std::string& path, std::string* error) {
  const std::string why = TargetProblem(Resolved(path));
  if (!why.empty() && error) *error = "cannot write " + path + ": " + why;
  return why.empty();
}

AtomicFile::AtomicFile(const std::string& path) : target_(Resolved(path)), shown_(path) {
  const std::string why = TargetProblem(target_);
  if (!why.empty()) {
    Fail(why);
    return;
  }
  struct stat st {};
  if (stat(target_.c_str(), &st) == 0) mode_ = int(st.st_mode & 07777);
  std::string pattern = FolderOf(target_) + "/." + NameOf(target_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    Fail(std::strerror(errno));
    return;
  }
  temp_ = name.data();
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    close(fd);
    Fail("cannot open a new file");
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temp_.empty()) unlink(temp_.c_str());
}

void AtomicFile::Fail(const std::string& why) {
  if (error_.empty()) error_ = "cannot write " + shown_ + ": " + why;
}

bool AtomicFile::Commit() {
  if (file_ == nullptr) {
    Fail("not open");
    return false;
  }
  const bool written = std::fflush(file_) == 0 && !std::ferror(file_) && fchmod(fileno(file_), mode_t(mode_)) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed) {
    Fail("write failed");
    return false;
  }
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
    Fail(std::strerror(errno));
    return false;
  }
  temp_.clear();
  return true;
}

}  // namespace Orvane::Mosaira
