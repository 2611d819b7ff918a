#include "host/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

namespace Orvane::Mosaira {
namespace {

// As many links as the kernel follows before it calls the chain a loop.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at, existing or not (`path` itself when it is no link).
// Empty, with the system's reason in *why, for a loop or a link that cannot be read.
std::string FollowLinks(const std::string& path, std::string* why) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> text(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t length = readlink(current.c_str(), text.data(), text.size());
    if (length < 0 || size_t(length) >= text.size()) {
      *why = std::strerror(length < 0 ? errno : ENAMETOOLONG);
      return "";
    }
    const std::string next(text.data(), size_t(length));
    const std::string folder = FolderOf(current);
    current = next.empty() || next[0] == '/' || current.find('/') == std::string::npos ? next : folder + "/" + next;
  }
  *why = std::strerror(ELOOP);
  return "";
}

// Empty when the resolved target may be written; else why not.
std::string TargetProblem(const std::string& target) {
  if (target.empty() || target.back() == '/') return "not a file name";
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
    // As `>` would: a file this process may not write is refused, even though its folder would
    // let a new file be renamed over it.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return std::strerror(errno);
  } else if (errno != ENOENT) {
    return std::strerror(errno);
  }
  const std::string folder = FolderOf(target);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "no such folder";
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return "folder not writable";
  return "";
}

// Where a write to `path` lands; empty with the reason in *why when it may not be written.
std::string WritableTarget(const std::string& path, std::string* why) {
  const std::string target = FollowLinks(path, why);
  if (target.empty()) return "";
  *why = TargetProblem(target);
  return why->empty() ? target : "";
}

// The mode a new file gets: 0666 less the umask, read without changing it (other threads may
// be making files).
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) return mode_t(0666) & ~mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  const mode_t mask = umask(022);
  umask(mask);
  return mode_t(0666) & ~mask;
}

// The longest name the folder takes (255 where it cannot say).
size_t NameLimit(const std::string& folder) {
  const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? size_t(limit) : 255;
}

// --- New files removed on the signals that end a session ---------------------------------------
//
// The new files being written, in slots the signal handler reads: a slot's name is complete
// before its state turns kReady, and the handler uses only unlink, signal and raise.

enum SlotState : int { kFree = 0, kClaimed = 1, kReady = 2 };
constexpr int kSlots = 16;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct TempSlot {
  std::atomic<int> state{kFree};
  char name[PATH_MAX + 1];
};
TempSlot g_slots[kSlots];

void RemoveTempFilesAndEnd(int sig) {
  for (TempSlot& slot : g_slots) {
    if (slot.state.load() == kReady) unlink(slot.name);
  }
  signal(sig, SIG_DFL);
  raise(sig);
}

// The slot recording `name`, or -1 when every slot is taken or the name is too long (the file is
// then only removed by the destructor).
int RecordTemp(const std::string& name) {
  if (name.size() > PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kClaimed)) continue;
    std::memcpy(g_slots[i].name, name.c_str(), name.size() + 1);
    g_slots[i].state.store(kReady);
    return i;
  }
  return -1;
}

void ForgetTemp(int slot) {
  if (slot >= 0) g_slots[slot].state.store(kFree);
}

// The target as a path to compare: links followed, the folder made absolute.
std::string Canonical(const std::string& path) {
  std::string why;
  std::string target = FollowLinks(path, &why);
  if (target.empty()) target = path;
  char* folder = realpath(FolderOf(target).c_str(), nullptr);
  if (folder == nullptr) return target;
  std::string out = std::string(folder) + "/" + NameOf(target);
  std::free(folder);
  return out;
}

}  // namespace

// The new file's stream: every write goes straight to the descriptor, and the first failure's
// errno is kept, so that the message says why in the system's words.
struct AtomicFileStream {
  static ssize_t Write(void* cookie, const char* data, size_t size) {
    auto* file = static_cast<AtomicFile*>(cookie);
    size_t done = 0;
    while (done < size) {
      const ssize_t n = write(file->fd_, data + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (file->writeErrno_ == 0) file->writeErrno_ = n < 0 ? errno : EIO;
        return -1;
      }
      done += size_t(n);
    }
    return ssize_t(size);
  }
  static int Close(void* cookie) {
    auto* file = static_cast<AtomicFile*>(cookie);
    const int result = close(file->fd_);
    if (result != 0 && file->writeErrno_ == 0) file->writeErrno_ = errno;
    file->fd_ = -1;
    return result;
  }
};

void RemoveNewFilesOnEndingSignals() {
  for (int sig : kEndingSignals) {
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    struct sigaction inherited {};
    if (sigaction(sig, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &RemoveTempFilesAndEnd;
    sigemptyset(&action.sa_mask);
    for (int other : kEndingSignals) sigaddset(&action.sa_mask, other);
    sigaction(sig, &action, nullptr);
  }
}

bool CheckWritableTarget(const std::string& path, std::string* error) {
  std::string why;
  WritableTarget(path, &why);
  if (!why.empty() && error) *error = "cannot write " + path + ": " + why;
  return why.empty();
}

bool SameTarget(const std::string& a, const std::string& b) {
  std::string why;
  const std::string ta = FollowLinks(a, &why), tb = FollowLinks(b, &why);
  struct stat sa {}, sb {};
  if (!ta.empty() && !tb.empty() && stat(ta.c_str(), &sa) == 0 && stat(tb.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  return Canonical(a) == Canonical(b);
}

AtomicFile::AtomicFile(const std::string& path) : shown_(path) {
  std::string why;
  target_ = WritableTarget(path, &why);
  if (!why.empty()) {
    Fail(why);
    return;
  }
  struct stat st {};
  mode_ = int(stat(target_.c_str(), &st) == 0 ? st.st_mode & 07777 : NewFileMode());
  Open();
}

namespace {

// Six characters a new file's name ends with, from the letters and digits mkstemp uses.
std::string RandomSuffix() {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  thread_local std::mt19937_64 engine{std::random_device{}() ^ (uint64_t(getpid()) << 32) ^ counter++};
  std::string suffix(6, 'X');
  for (char& c : suffix) c = kChars[engine() % (sizeof kChars - 1)];
  return suffix;
}

}  // namespace

void AtomicFile::Open() {
  // "." and "." + six characters around the name: a name near the folder's limit is shortened,
  // so that every name the folder takes can be written.
  const std::string folder = FolderOf(target_);
  const size_t room = NameLimit(folder) > 8 ? NameLimit(folder) - 8 : 0;
  const std::string prefix = folder + "/." + NameOf(target_).substr(0, room) + ".";
  // The name is recorded for the signal handlers before the file is made, so that a signal on
  // any thread finds every file made (removing a name not yet made is harmless).
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    const std::string name = prefix + RandomSuffix();
    slot_ = RecordTemp(name);
    fd_ = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const int why = errno;
    if (fd_ >= 0) {
      temp_ = name;
      break;
    }
    ForgetTemp(slot_);
    slot_ = -1;
    if (why != EEXIST) {
      Fail(std::strerror(why));
      return;
    }
  }
  if (fd_ < 0) {
    Fail(std::strerror(EEXIST));
    return;
  }
  file_ = fopencookie(this, "wb", {nullptr, &AtomicFileStream::Write, nullptr, &AtomicFileStream::Close});
  if (file_ == nullptr) {
    Fail(std::strerror(errno));
    close(fd_);
    fd_ = -1;
  }
}

AtomicFile::~AtomicFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temp_.empty()) unlink(temp_.c_str());
  ForgetTemp(slot_);
}

void AtomicFile::Fail(const std::string& why) {
  if (error_.empty()) error_ = "cannot write " + shown_ + ": " + why;
}

std::string AtomicFile::WriteFailure() const { return writeErrno_ != 0 ? std::strerror(writeErrno_) : ""; }

bool AtomicFile::Commit() {
  if (file_ == nullptr) {
    Fail("not open");
    return false;
  }
  const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
  if (written && fchmod(fd_, mode_t(mode_)) != 0 && writeErrno_ == 0) writeErrno_ = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written || !closed || writeErrno_ != 0) {
    Fail(writeErrno_ != 0 ? std::strerror(writeErrno_) : "write failed");
    return false;
  }
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
    Fail(std::strerror(errno));
    return false;
  }
  temp_.clear();
  ForgetTemp(slot_);
  slot_ = -1;
  return true;
}

}  // namespace Orvane::Mosaira
