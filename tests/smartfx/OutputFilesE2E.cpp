// `tiletta` treats the files it writes (-o, --project) as a shell redirect would; a render it
// cannot finish says why, exits non-zero and writes nothing.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/PngFile.h"

namespace {

// How the command's process is started.
struct Child {
  bool unprivileged = false;  // as user 65534 when running as root
  mode_t umask = 022;
  rlim_t fileSize = RLIM_INFINITY;
  rlim_t data = RLIM_INFINITY;
  rlim_t addressSpace = RLIM_INFINITY;
};

struct CommandRun {
  int status = -1;  // -1: ended by a signal
  std::string errors;
};

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "tiletta_outputs_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0777);
    chmod(dir.c_str(), 0777);  // writable by the unprivileged user too
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string At(const std::string& name) const { return dir + "/" + name; }

  // Runs `tiletta` with the words of `args` (no quoting), started as `how` says.
  CommandRun Tiletta(const std::string& args, const Child& how = {}) const {
    std::vector<std::string> words{TILETTA_BINARY};
    std::istringstream in(args);
    for (std::string w; in >> w;) words.push_back(w);
    const std::string err = dir + "/stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open("/dev/null", O_WRONLY), log = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      dup2(out, 1);
      dup2(log, 2);
      umask(how.umask);
      const rlimit size{how.fileSize, how.fileSize}, data{how.data, how.data};
      const rlimit space{how.addressSpace, how.addressSpace};
      setrlimit(RLIMIT_FSIZE, &size);
      setrlimit(RLIMIT_DATA, &data);
      setrlimit(RLIMIT_AS, &space);
      if (how.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
      std::vector<char*> argv;
      for (std::string& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(98);
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(err)};
    std::remove(err.c_str());
    return run;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static int ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
  }
  // Names in the folder that start with `prefix`.
  int Count(const std::string& prefix) const {
    int n = 0;
    DIR* d = opendir(dir.c_str());
    for (dirent* e = d ? readdir(d) : nullptr; e != nullptr; e = readdir(d)) {
      n += std::string(e->d_name).rfind(prefix, 0) == 0;
    }
    if (d) closedir(d);
    return n;
  }

  std::string dir;
  const std::string render = "render --layout 2-1 --size 64x48 -o ";
};

// A file this user may not write is refused before anything is done, and stays as it was.
TEST_F(OutputFiles, WriteProtectedTargetIsRefused) {
  const std::string out = At("locked.png");
  std::ofstream(out) << "keep";
  chmod(out.c_str(), 0444);
  const CommandRun run = Tiletta(render + out, Child{true});
  EXPECT_EQ(run.status, 4) << run.errors;
  EXPECT_NE(run.errors.find("Permission denied"), std::string::npos) << run.errors;
  EXPECT_EQ(Read(out), "keep");
}

// Through a symbolic link the write goes to the file it names, made when missing; the link stays.
// A link into a missing folder and a link loop are refused.
TEST_F(OutputFiles, LinksAreFollowedAsARedirectFollowsThem) {
  const struct { const char* link; const char* to; int status; const char* message; const char* made; } cases[] = {
      {"dangling.png", "made.png", 0, "", "made.png"},
      {"into-missing.png", "missing/out.png", 4, "no such folder", nullptr},
      {"loop.png", "loop.png", 4, "Too many levels of symbolic links", nullptr}};
  for (const auto& c : cases) {
    ASSERT_EQ(symlink(c.to, At(c.link).c_str()), 0);
    const CommandRun run = Tiletta(render + At(c.link));
    EXPECT_EQ(run.status, c.status) << c.link << "\n" << run.errors;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.link << "\n" << run.errors;
    struct stat st {};
    EXPECT_TRUE(lstat(At(c.link).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << c.link;
    if (c.made) {
      EXPECT_NE(Orvane::Mosaira::ReadPngWorld(At(c.made), PF_PixelFormat_ARGB32, {}, nullptr), nullptr);
    }
  }
}

// A new file gets 0666 less the umask; a replaced file keeps its mode.
TEST_F(OutputFiles, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirMode) {
  const std::string fresh = At("fresh.png"), kept = At("kept.png"), project = At("p.proj");
  std::ofstream(kept) << "old";
  chmod(kept.c_str(), 0600);
  ASSERT_EQ(Tiletta(render + fresh + " --project " + project, Child{false, 027}).status, 0);
  ASSERT_EQ(Tiletta(render + kept, Child{false, 0}).status, 0);
  EXPECT_EQ(ModeOf(fresh), 0640);
  EXPECT_EQ(ModeOf(project), 0640);
  EXPECT_EQ(ModeOf(kept), 0600);
  EXPECT_NE(Read(kept), "old");
}

// -o and --project naming one file, by name, through a link or as hard links, is bad usage: the
// picture would replace the project or the other way round.
TEST_F(OutputFiles, PictureAndProjectInOneFileIsBadUsage) {
  const std::string project = At("p.proj"), link = At("link.proj"), hard = At("hard.proj");
  ASSERT_EQ(Tiletta(render + At("first.png") + " --project " + project).status, 0);
  const std::string saved = Read(project);
  ASSERT_EQ(symlink(project.c_str(), link.c_str()), 0);
  ASSERT_EQ(::link(project.c_str(), hard.c_str()), 0);
  for (const std::string& out : {project, link, hard, At("new.proj")}) {
    const std::string same = out == At("new.proj") ? out : project;
    const CommandRun run = Tiletta(render + out + " --project " + same);
    EXPECT_EQ(run.status, 2) << out << "\n" << run.errors;
    EXPECT_NE(run.errors.find("name the same file"), std::string::npos) << run.errors;
  }
  EXPECT_EQ(Read(project), saved);
}

// A write that fails part way (here past the file-size limit) says why in the system's words,
// leaves the file that was there and no new file beside it.
TEST_F(OutputFiles, FailedWriteSaysWhyAndLeavesNothingBehind) {
  const std::string out = At("big.png");
  std::ofstream(out) << "keep";
  Child limited;
  limited.fileSize = 2000;
  const CommandRun run = Tiletta("render --layout 9-1 --size 320x240 -o " + out, limited);
  EXPECT_EQ(run.status, 4) << run.errors;
  EXPECT_NE(run.errors.find("File too large"), std::string::npos) << run.errors;
  EXPECT_EQ(Read(out), "keep");
  EXPECT_EQ(Count(".big.png"), 0);
}

// An instance wider than the driver draws (from a project) is reported by the plug-in: the command
// shows its message and fails, writing nothing.
TEST_F(OutputFiles, FrameThePluginCannotRenderIsAFailureWithItsMessage) {
  const std::string project = At("wide.proj"), out = At("wide.png");
  ASSERT_EQ(Tiletta(render + At("narrow.png") + " --project " + project).status, 0);
  std::string text = Read(project);
  const auto width = text.find("\"width\":64");
  ASSERT_NE(width, std::string::npos);
  text.replace(width, 10, "\"width\":16385");
  std::ofstream(project) << text;
  const CommandRun run = Tiletta("render --project " + project + " -o " + out);
  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_NE(run.errors.find("cannot render a frame of 16385 x 48"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::ifstream(out).good());
}

// Every name the folder takes can be written, up to its limit of 255 bytes, by the picture and by
// the project a drag saves; a longer name is refused before any work, the drag not lost after it.
TEST_F(OutputFiles, NamesUpToTheFolderLimitAreWritten) {
  for (const size_t length : {248, 255, 256}) {
    const std::string png = At(std::string(length - 4, 'o') + ".png"), project = At(std::string(length - 5, 'p') + ".proj");
    const CommandRun picture = Tiletta(render + png), drag = Tiletta(
        "drag --layout 3-1 --size 320x180 --from 160,150 --to 180,160 --project " + project);
    const int status = length <= 255 ? 0 : 4;
    EXPECT_EQ(picture.status, status) << length << "\n" << picture.errors;
    EXPECT_EQ(drag.status, status) << length << "\n" << drag.errors;
    if (length > 255) {
      EXPECT_NE(drag.errors.find("File name too long"), std::string::npos) << drag.errors;
      continue;
    }
    EXPECT_NE(Orvane::Mosaira::ReadPngWorld(png, PF_PixelFormat_ARGB32, {}, nullptr), nullptr) << length;
    EXPECT_NE(Read(project).find("\"plugin\""), std::string::npos) << length;
  }
  EXPECT_EQ(Count("."), 2);  // "." and "..": no new file left beside any target
}

// SIGINT, SIGTERM or SIGHUP while the picture is being written end the command by that signal;
// the new file beside the target goes with it, and the target stays as it was.
TEST_F(OutputFiles, EndingSignalsDuringAWriteLeaveNoNewFile) {
  const std::string out = At("slow.png");
  std::ofstream(out) << "keep";
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl(TILETTA_BINARY, TILETTA_BINARY, "chooser", "--size", "2500x2500", "-o", out.c_str(), nullptr);
      _exit(98);
    }
    // A new file beside the target shows that the write has begun.
    int raw = 0;
    bool sent = false;
    while (waitpid(pid, &raw, WNOHANG) == 0) {
      if (!sent && Count(".slow.png") > 0) sent = kill(pid, sig) == 0;
      usleep(500);
    }
    ASSERT_TRUE(sent) << "signal " << sig << ": the write ended before it was seen";
    EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == sig) << sig;
    EXPECT_EQ(Count(".slow.png"), 0) << sig;
    EXPECT_EQ(Read(out), "keep") << sig;
  }
  // Started with SIGHUP ignored (as under nohup), the command writes on through one.
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGHUP, SIG_IGN);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(TILETTA_BINARY, TILETTA_BINARY, "chooser", "--size", "2500x2500", "-o", out.c_str(), nullptr);
    _exit(98);
  }
  int raw = 0;
  bool sent = false;
  while (waitpid(pid, &raw, WNOHANG) == 0) {
    if (!sent && Count(".slow.png") > 0) sent = kill(pid, SIGHUP) == 0;
    usleep(500);
  }
  ASSERT_TRUE(sent) << "the write ended before it was seen";
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);
  EXPECT_NE(Read(out), "keep");
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's own mappings count against a data limit
// Nine 4096 x 4096 layers need about 3.3 GB at 8 bits (each layer's world, and its texture in the
// driver in single floats; 3.17 GB measured at the peak); under a 1.1 GB data limit the render is
// refused before any layer is made.
TEST_F(OutputFiles, RenderBeyondTheMemoryItMayUseIsRefusedFirst) {
  const std::string layer = At("solid.png");
  {
    Orvane::Mosaira::HostWorld solid(4096, 4096, PF_PixelFormat_ARGB32);
    ASSERT_TRUE(Orvane::Mosaira::WritePng(solid, layer, nullptr));
  }
  std::string layers;
  for (int k = 0; k < 9; ++k) layers += " --layer " + layer;
  Child limited;
  limited.data = rlim_t(1100) << 20;
  const CommandRun run = Tiletta("render --layout 9-1 --size 1920x1080" + layers + " -o " + At("out.png"), limited);
  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_NE(run.errors.find("needs about 3.3 GB; the process's data limit is 1.2 GB"), std::string::npos)
      << run.errors;
}

// Under an address-space limit below what the software driver reserves, every session is refused
// before the driver starts (it would fail half-way or crash), saying what a render needs.
TEST_F(OutputFiles, AddressSpaceLimitIsCheckedBeforeTheDriverStarts) {
  Child limited;
  limited.addressSpace = rlim_t(500) << 20;
  const CommandRun run = Tiletta("render --layout 9-1 --size 1920x1080 -o " + At("out.png"), limited);
  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_NE(run.errors.find("a 1920x1080 8-bit render needs about 0.3 GB besides its layers"), std::string::npos)
      << run.errors;
  EXPECT_NE(run.errors.find("address-space limit (ulimit -v) is 0.5 GB"), std::string::npos) << run.errors;
  const CommandRun chooser = Tiletta("chooser -o " + At("out.png"), limited);
  EXPECT_EQ(chooser.status, 1) << chooser.errors;
  EXPECT_NE(chooser.errors.find("reserves about"), std::string::npos) << chooser.errors;
  EXPECT_EQ(Count("out.png"), 0);
}
#endif

// A project this user can neither read nor write is refused as unreadable input (3), first.
TEST_F(OutputFiles, ProjectThatCannotBeReadIsUnreadableInput) {
  const std::string project = At("locked.proj");
  ASSERT_EQ(Tiletta(render + At("first.png") + " --project " + project).status, 0);
  chmod(project.c_str(), 0);
  const CommandRun run = Tiletta(render + At("second.png") + " --project " + project, Child{true});
  EXPECT_EQ(run.status, 3) << run.errors;
  EXPECT_NE(run.errors.find("cannot read " + project + ": Permission denied"), std::string::npos) << run.errors;
}

}  // namespace
