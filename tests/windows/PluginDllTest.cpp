// The Windows plug-in file as a host finds it: a DLL named .aex whose only export is
// EntryPointFunc, carrying the property resource (type PiPL, id 16000) with the exact bytes of
// the Linux library's ".pipl" section; and what the host's resource reader says of other files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "effect/PiplBytes.h"
#include "host/Pipl.h"

namespace Orvane::Mosaira {
namespace {

// The names in the export directory of a loaded module.
std::vector<std::string> ExportedNames(HMODULE module) {
  const auto* base = reinterpret_cast<const uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return {};
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> out;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) out.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  return out;
}

std::string OwnExecutable() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(PluginDll, OnlyExportIsTheEntryPoint) {
  HMODULE module = LoadLibraryA(TILETTA_PLUGIN_PATH);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ExportedNames(module), std::vector<std::string>{"EntryPointFunc"});
  EXPECT_NE(GetProcAddress(module, "EntryPointFunc"), nullptr);
  FreeLibrary(module);
}

TEST(PluginDll, ResourceHoldsTheSameBytesAsTheLinuxSection) {
  const PiplResult read = ReadPluginPipl(TILETTA_PLUGIN_PATH);
  ASSERT_EQ(read.error, PiplError::kNone) << PiplErrorText(read.error);
  EXPECT_EQ(read.bytes, std::vector<uint8_t>(kPiplBytes.begin(), kPiplBytes.end()));
  EXPECT_EQ(read.info.entryPoint, "EntryPointFunc");
  EXPECT_EQ(read.info.matchName, "QV_Tiletta");
}

TEST(PluginDllResourceReader, FilesThatAreNoPluginGiveTheirError) {
  const std::string text = "not-a-library.txt";
  std::ofstream(text) << "plain text, no library";
  const struct {
    std::string path;
    PiplError want;
  } cases[] = {
      {"missing.aex", PiplError::kFileUnreadable},
      {text, PiplError::kNotElf64},
      {OwnExecutable(), PiplError::kNoSection},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadPluginPipl(c.path).error, c.want) << c.path;
  DeleteFileA(text.c_str());
}

}  // namespace
}  // namespace Orvane::Mosaira
