// The `tiletta` picture commands given a damaged project: each refuses it with the input status
// (3), naming the file and what is wrong, and leaves the file as it was; a project without a
// layout is refused by `render` as usage (2), one whose layer is empty as nothing to render (1),
// never written as a blank picture. A plug-in path naming a huge file is refused from
// its header.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "effect/ParamIndices.h"
#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "tiletta_damaged_" + std::to_string(::getpid()) + "_" + name;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct CommandRun {
  int status = -1;  // -1 when the command did not exit (a crash)
  std::string errors;
};

CommandRun Tiletta(const std::string& args, const std::string& env = "") {
  const std::string err = TempPath("stderr.txt");
  const std::string command = env + " " + TILETTA_BINARY + " " + args + " >/dev/null 2>" + err;
  const int raw = std::system(command.c_str());
  CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Contents(err)};
  std::remove(err.c_str());
  return run;
}

void SetLayouts(Project* p, A_long choice) { p->instances.at(0).streams.at(kParamLayouts).value.pd.value = choice; }

TEST(DamagedProject, EveryPictureCommandRefusesItByName) {
  const std::string good = TempPath("good.proj"), out = TempPath("out.png");
  ASSERT_EQ(Tiletta("render --layout 3-1 --size 64x48 --project " + good + " -o " + out).status, 0);
  Project saved;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(good, SimulatedHost::kMaxLayerSide, &saved, &error)) << error;
  const struct {
    const char* name;
    std::function<void(Project*)> damage;
    int status;
    const char* says;
  } cases[] = {
      {"layout beyond the list", [](Project* p) { SetLayouts(p, 106); }, 3, "choice 106 out of range"},
      {"layout far beyond", [](Project* p) { SetLayouts(p, 1000); }, 3, "choice 1000 out of range"},
      {"largest layout value", [](Project* p) { SetLayouts(p, 2147483647); }, 3, "out of range"},
      {"layout zero", [](Project* p) { SetLayouts(p, 0); }, 3, "choice 0 out of range"},
      {"layout negative", [](Project* p) { SetLayouts(p, -1); }, 3, "choice -1 out of range"},
      {"layout key beyond the list",
       [](Project* p) {
         PF_ParamDefUnion key{};
         key.pd.value = 200;
         p->instances.at(0).streams.at(kParamLayouts).keyframes.push_back({1.0, key});
       },
       3, "keyframe value: pop-up choice 200"},
      {"no instance", [](Project* p) { p->instances.clear(); }, 3, "no instance"},
      {"no layout", [](Project* p) { SetLayouts(p, kLayoutsNone); }, 2, "has no layout"},
      {"empty layer", [](Project* p) { p->instances.at(0).width = p->instances.at(0).height = 0; }, 1,
       "nothing to render"},
  };
  const std::string commands[] = {"render -o " + out, "overlay -o " + out, "chooser -o " + out,
                                  "drag --from 10,10 --to 20,20"};
  for (const auto& c : cases) {
    Project damaged = saved;
    c.damage(&damaged);
    const std::string path = TempPath("damaged.proj");
    ASSERT_TRUE(WriteProjectFile(path, damaged, &error)) << error;
    const std::string before = Contents(path);
    for (const std::string& command : commands) {
      if (c.status != 3 && command.rfind("render", 0) != 0) continue;  // only `render` needs a picture
      const CommandRun run = Tiletta(command + " --project " + path);
      EXPECT_EQ(run.status, c.status) << c.name << ": " << command << "\n" << run.errors;
      EXPECT_NE(run.errors.find(path), std::string::npos) << c.name << ": " << command << "\n" << run.errors;
      EXPECT_NE(run.errors.find(c.says), std::string::npos) << c.name << ": " << command << "\n" << run.errors;
      EXPECT_EQ(Contents(path), before) << c.name << ": " << command;
    }
    std::remove(path.c_str());
  }
  std::remove(good.c_str());
  std::remove(out.c_str());
}

// A sparse 8 GB file with a library's first bytes: refused by what its header says, without
// reading (or making room for) the whole file.
TEST(DamagedPluginFile, HugeFileIsRefusedFromItsHeader) {
  const std::string plugin = TempPath("huge.so");
  {
    std::ifstream in(TILETTA_PLUGIN_PATH, std::ios::binary);
    char header[64] = {};
    in.read(header, sizeof header);
    std::ofstream(plugin, std::ios::binary).write(header, sizeof header);
  }
  ASSERT_EQ(truncate(plugin.c_str(), off_t(8) << 30), 0);
  const CommandRun run = Tiletta("render --layout 3-1 --size 64x48 -o " + TempPath("out.png"),
                                 "TILETTA_PLUGIN=" + plugin);
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_NE(run.errors.find("property resource"), std::string::npos) << run.errors;
  EXPECT_LT(children.ru_maxrss, 1 << 20);  // kB: reading the file whole took 8 GB
  std::remove(plugin.c_str());
}

}  // namespace
}  // namespace Orvane::Mosaira
