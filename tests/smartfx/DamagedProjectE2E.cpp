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
#include <vector>

#include "effect/ParamIndices.h"
#include "host/PngFile.h"
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
  std::string printed;
};

CommandRun Tiletta(const std::string& args, const std::string& env = "") {
  const std::string err = TempPath("stderr.txt"), out = TempPath("stdout.txt");
  const std::string command = env + " " + TILETTA_BINARY + " " + args + " >" + out + " 2>" + err;
  const int raw = std::system(command.c_str());
  CommandRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Contents(err), Contents(out)};
  std::remove(err.c_str());
  std::remove(out.c_str());
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

// The flat record the plug-in stores for `text`: a 24-byte header with the isFlat byte set, then
// the text and its NUL.
std::vector<uint8_t> FlatRecord(const std::string& text) {
  std::vector<uint8_t> bytes(24 + text.size() + 1, 0);
  bytes[8] = 1;
  bytes[16] = uint8_t(text.size() + 1);
  bytes[17] = uint8_t((text.size() + 1) >> 8);
  for (size_t i = 0; i < text.size(); ++i) bytes[24 + i] = uint8_t(text[i]);
  return bytes;
}

std::string RecordText(const ProjectInstance& inst) {
  return std::string(inst.sequenceData.begin() + 24, inst.sequenceData.end() - 1);
}

// The first point's "x" of the stored layout replaced by `value`.
void SetFirstX(Project* p, const std::string& value) {
  std::string text = RecordText(p->instances.at(0));
  const size_t x = text.find("\"x\":");
  const size_t end = text.find_first_of(",}", x);
  text.replace(x + 4, end - x - 4, value);
  p->instances.at(0).sequenceData = FlatRecord(text);
}

// The stored layout with its first `from` replaced by `to`.
void ReplaceInRecord(Project* p, const std::string& from, const std::string& to) {
  std::string text = RecordText(p->instances.at(0));
  text.replace(text.find(from), from.size(), to);
  p->instances.at(0).sequenceData = FlatRecord(text);
}

// A reshaped layout the plug-in cannot rebuild (or rebuilds without some of its elements, or
// without frames), or sequence data that holds none while "Layouts"
// chooses one: every picture command refuses the project (3), names it and what is damaged, and
// leaves it byte for byte as it was, with no picture written (saving would erase the layout).
TEST(DamagedProject, LostStoredLayoutIsRefusedAndTheFileKept) {
  const std::string good = TempPath("reshaped.proj"), out = TempPath("lost.png");
  ASSERT_EQ(Tiletta("drag --layout 3-1 --size 320x180 --from 160,150 --to 180,160 --project " + good).status, 0);
  Project saved;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(good, SimulatedHost::kMaxLayerSide, &saved, &error)) << error;
  ASSERT_NE(RecordText(saved.instances.at(0)).find("\"layout\""), std::string::npos);
  const struct {
    const char* name;
    std::function<void(Project*)> damage;
    const char* says;
  } cases[] = {
      {"coordinate 1e308", [](Project* p) { SetFirstX(p, "1e308"); }, "\"x\": 1e+308 is beyond"},
      {"coordinate 1e38", [](Project* p) { SetFirstX(p, "1e38"); }, "cannot be rebuilt"},
      {"fraction 1e308", [](Project* p) { ReplaceInRecord(p, "\"scalar\":", "\"scalar\":1e308,\"was\":"); },
       "\"scalar\": 1e+308 is beyond"},
      {"coordinate text", [](Project* p) { SetFirstX(p, "\"abc\""); }, "\"abc\" is not a number"},
      {"junk bytes", [](Project* p) { p->instances.at(0).sequenceData = {0, 0, 0}; }, "(3 bytes) is no record"},
      {"empty data", [](Project* p) { p->instances.at(0).sequenceData.clear(); }, "(0 bytes) is no record"},
      {"no data",
       [](Project* p) {
         p->instances.at(0).hasSequenceData = false;
         p->instances.at(0).sequenceData.clear();
       },
       "sequence data is missing"},
      {"text no object", [](Project* p) { p->instances.at(0).sequenceData = FlatRecord("[1,"); }, "no JSON object"},
      {"record without layout",
       [](Project* p) { p->instances.at(0).sequenceData = FlatRecord("{\"scrollStart\":0.0}"); },
       "holds no layout"},
      {"repeated point id", [](Project* p) { ReplaceInRecord(p, "\"id\":\"P6\"", "\"id\":\"P5\""); },
       "lists 8 \"points\" but only 7"},
      {"no frames", [](Project* p) { ReplaceInRecord(p, "\"frames\":", "\"framez\":"); }, "no \"frames\""},
      {"frames no array", [](Project* p) { ReplaceInRecord(p, "\"frames\":", "\"frames\":{},\"z\":"); },
       "no \"frames\""},
  };
  const std::string commands[] = {"render -o " + out, "overlay -o " + out, "chooser -o " + out,
                                  "drag --from 160,150 --to 100,100 -o " + out};
  for (const auto& c : cases) {
    Project damaged = saved;
    c.damage(&damaged);
    const std::string path = TempPath("lost.proj");
    ASSERT_TRUE(WriteProjectFile(path, damaged, &error)) << error;
    const std::string before = Contents(path);
    for (const std::string& command : commands) {
      const CommandRun run = Tiletta(command + " --project " + path);
      EXPECT_EQ(run.status, 3) << c.name << ": " << command << "\n" << run.errors;
      EXPECT_NE(run.errors.find("cannot open " + path), std::string::npos) << c.name << ": " << run.errors;
      EXPECT_NE(run.errors.find(c.says), std::string::npos) << c.name << ": " << command << "\n" << run.errors;
      EXPECT_EQ(Contents(path), before) << c.name << ": " << command;
      EXPECT_NE(access(out.c_str(), F_OK), 0) << c.name << ": " << command << " wrote a picture";
      std::remove(out.c_str());
    }
    std::remove(path.c_str());
  }
  // An empty layer keeps its layout as text until it has a size: given one with --size, the same
  // damage is found before anything is drawn or saved.
  Project empty = saved;
  SetFirstX(&empty, "1e308");
  empty.instances.at(0).width = empty.instances.at(0).height = 0;
  const std::string emptyPath = TempPath("lost_empty.proj");
  ASSERT_TRUE(WriteProjectFile(emptyPath, empty, &error)) << error;
  const std::string emptyBefore = Contents(emptyPath);
  for (const std::string& command : {commands[0], commands[1], commands[3]}) {
    const CommandRun run = Tiletta(command + " --size 320x180 --project " + emptyPath);
    EXPECT_EQ(run.status, 3) << command << "\n" << run.errors;
    EXPECT_NE(run.errors.find("is beyond what a layout can hold at 320x180"), std::string::npos) << run.errors;
    EXPECT_EQ(Contents(emptyPath), emptyBefore) << command;
    EXPECT_NE(access(out.c_str(), F_OK), 0) << command << " wrote a picture";
    std::remove(out.c_str());
  }
  std::remove(emptyPath.c_str());
  // A stored coordinate that 320x180 holds and 400x225 does not (beyond single precision there):
  // the layer's new size keeps the layout as it was made, drawn scaled, and the project keeps its
  // reshaped layout.
  Project farOut = saved;
  SetFirstX(&farOut, "1e36");
  ASSERT_TRUE(WriteProjectFile(emptyPath, farOut, &error)) << error;
  const CommandRun resized = Tiletta("render --size 400x225 -o " + out + " --project " + emptyPath);
  EXPECT_EQ(resized.status, 0) << resized.errors;
  Project reread;
  ASSERT_TRUE(ReadProjectFile(emptyPath, SimulatedHost::kMaxLayerSide, &reread, &error)) << error;
  EXPECT_NE(RecordText(reread.instances.at(0)).find("\"id\":\"P8\",\"x\":0.5625"), std::string::npos)
      << RecordText(reread.instances.at(0));
  std::remove(emptyPath.c_str());
  // The undamaged project still opens and keeps its layout, and so does one whose layout lost
  // only its name: the plug-in rebuilds it whole, and the summary calls it unnamed.
  EXPECT_EQ(Tiletta("render -o " + out + " --project " + good).status, 0);
  Project unnamed = saved;
  ReplaceInRecord(&unnamed, "\"id\":\"3-1\"", "\"id\":\"\"");
  ASSERT_TRUE(WriteProjectFile(good, unnamed, &error)) << error;
  const CommandRun run = Tiletta("render -o " + out + " --project " + good);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.printed.find("layout (unnamed), 320x180"), std::string::npos) << run.printed;
  std::remove(good.c_str());
  std::remove(out.c_str());
}

// A project cut short anywhere is refused (3) with where it ends, and left as it was.
TEST(DamagedProject, TruncatedProjectSaysWhereItEnds) {
  const std::string good = TempPath("whole.proj"), cut = TempPath("cut.proj"), out = TempPath("cut.png");
  ASSERT_EQ(Tiletta("render --layout 3-1 --size 64x48 --project " + good + " -o " + out).status, 0);
  const std::string whole = Contents(good);
  for (const size_t length : {size_t(1), size_t(30), whole.size() / 3, whole.size() / 2, whole.size() - 1}) {
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << whole.substr(0, length);
    const CommandRun run = Tiletta("render -o " + out + " --project " + cut);
    EXPECT_EQ(run.status, 3) << length << "\n" << run.errors;
    EXPECT_NE(run.errors.find("cannot open " + cut + ": not a project file: it ends early, after byte " +
                              std::to_string(length)),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(Contents(cut), whole.substr(0, length));
  }
  std::ofstream(cut, std::ios::binary | std::ios::trunc) << whole + "}";
  EXPECT_NE(Tiletta("render -o " + out + " --project " + cut).errors.find("at byte " + std::to_string(whole.size())),
            std::string::npos);
  for (const std::string& f : {good, cut, out}) std::remove(f.c_str());
}

// The summary line names the layout drawn: the reshaped 3-1 the instance holds, not the 1-2 a
// hand-edited keyframe of "Layouts" names at the current time; its third frame is filled.
TEST(DamagedProject, SummaryNamesTheLayoutDrawn) {
  const std::string path = TempPath("keyed.proj"), out = TempPath("keyed.png");
  ASSERT_EQ(Tiletta("drag --layout 3-1 --size 320x180 --from 160,150 --to 180,160 --project " + path).status, 0);
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &p, &error)) << error;
  PF_ParamDefUnion key{};
  key.pd.value = kLayoutsFirstLayout + 1;  // 1-2
  p.instances.at(0).streams.at(kParamLayouts).keyframes = {{0.0, key}, {5.0, key}};
  ASSERT_TRUE(WriteProjectFile(path, p, &error)) << error;
  const CommandRun run = Tiletta("render --project " + path + " -o " + out);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.printed.find("wrote " + out + ": layout 3-1, 320x180, 8-bit\n"), std::string::npos) << run.printed;
  const auto picture = ReadPngWorld(out, PF_PixelFormat_ARGB32, {}, nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Pixel8(280, 150).alpha, 255);  // frame 3, right of the moved divider
  EXPECT_EQ(picture->Pixel8(182, 150).alpha, 0);    // the gutter at the divider's new place
  std::remove(path.c_str());
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
