#include "host/Pipl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host/PluginLibrary.h"

namespace Orvane::Mosaira {
namespace {

// Builds property lists the way the resource tools lay them out.
class PiplBuilder {
 public:
  PiplBuilder& Raw(const std::string& key, std::vector<uint8_t> data, uint32_t length) {
    Code("8BIM");
    Code(key);
    Word(0);
    Word(length);
    data.resize((data.size() + 3) & ~size_t(3), 0);
    props_.insert(props_.end(), data.begin(), data.end());
    ++count_;
    return *this;
  }
  PiplBuilder& Prop(const std::string& key, std::vector<uint8_t> data) {
    const uint32_t length = uint32_t((data.size() + 3) & ~size_t(3));
    return Raw(key, std::move(data), length);
  }
  PiplBuilder& Str(const std::string& key, const std::string& s) {
    std::vector<uint8_t> d{uint8_t(s.size())};
    d.insert(d.end(), s.begin(), s.end());
    return Prop(key, d);
  }
  PiplBuilder& Kind(const std::string& kind) {
    return Prop("kind", {uint8_t(kind[3]), uint8_t(kind[2]), uint8_t(kind[1]), uint8_t(kind[0])});
  }
  PiplBuilder& Entry(const std::string& s) {
    std::vector<uint8_t> d(s.begin(), s.end());
    d.push_back(0);
    return Prop("8664", d);
  }
  PiplBuilder& Long(const std::string& key, uint32_t v) {
    return Prop(key, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out{1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(count_ >> (8 * i)));
    out.insert(out.end(), props_.begin(), props_.end());
    return out;
  }

 private:
  void Code(const std::string& c) { props_.insert(props_.end(), c.rbegin(), c.rend()); }
  void Word(uint32_t v) {
    for (int i = 0; i < 4; ++i) props_.push_back(uint8_t(v >> (8 * i)));
  }
  std::vector<uint8_t> props_;
  uint32_t count_ = 0;
};

PiplBuilder Effect() {
  PiplBuilder b;
  b.Kind("eFKT").Str("name", "Tiletta").Str("catg", "Kestrelle").Entry("EntryPointFunc");
  b.Long("eVER", 0x00080001).Long("eGLO", 0x04008000).Long("eGL2", 0x00001400);
  b.Str("eMNA", "QV_Tiletta");
  return b;
}

TEST(PiplParse, ValidEffectDecodesItsFields) {
  PiplInfo info;
  ASSERT_EQ(ParsePipl(Effect().Bytes(), &info), PiplError::kNone);
  EXPECT_EQ(info.properties.size(), 8u);
  EXPECT_EQ(std::vector<std::string>({info.kind, info.name, info.category, info.entryPoint, info.matchName}),
            std::vector<std::string>({"eFKT", "Tiletta", "Kestrelle", "EntryPointFunc", "QV_Tiletta"}));
  EXPECT_EQ(std::vector<uint32_t>({info.effectVersion, info.outFlags, info.outFlags2}),
            std::vector<uint32_t>({0x00080001u, 0x04008000u, 0x00001400u}));
}

TEST(PiplParse, TruncatedAtEveryLengthIsRefusedWithoutOverrun) {
  const std::vector<uint8_t> full = Effect().Bytes();
  for (size_t n = 0; n < full.size(); ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + n);
    PiplInfo info;
    EXPECT_NE(ParsePipl(cut, &info), PiplError::kNone) << "length " << n;
  }
}

TEST(PiplParse, LengthsBeyondTheirDataAreRefused) {
  PiplInfo info;
  // A string's length byte of 200 inside four bytes of data.
  EXPECT_EQ(ParsePipl(PiplBuilder().Prop("name", {200, 'a', 'b', 'c'}).Bytes(), &info), PiplError::kTruncated);
  // An entry point without its terminating NUL.
  EXPECT_EQ(ParsePipl(PiplBuilder().Prop("8664", {'E', 'n', 't', 'r'}).Bytes(), &info), PiplError::kTruncated);
  EXPECT_EQ(ParsePipl(PiplBuilder().Raw("name", {4, 'a', 'b', 'c'}, 0xFFFFFFFFu).Bytes(), &info),
            PiplError::kTruncated);
}

TEST(PiplParse, WrongHeaderOrVendorIsRefused) {
  PiplInfo info;
  auto bytes = Effect().Bytes();
  bytes[0] = 2;
  EXPECT_EQ(ParsePipl(bytes, &info), PiplError::kBadHeader);
  bytes = Effect().Bytes();
  bytes[10] = 'X';  // first byte of the first vendor code
  EXPECT_EQ(ParsePipl(bytes, &info), PiplError::kBadVendor);
}

TEST(PluginPipl, UnreadableOrForeignFilesAreRefused) {
  EXPECT_EQ(ReadPluginPipl("/nonexistent/libnothing.so").error, PiplError::kFileUnreadable);
  EXPECT_EQ(ReadPluginPipl(testing::TempDir()).error, PiplError::kFileUnreadable);
  EXPECT_EQ(ReadPluginPipl("/proc/self/exe").error, PiplError::kNoSection);
  std::ifstream in(TILETTA_FAKE_PLUGIN_PATH, std::ios::binary);
  const std::string library((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = testing::TempDir() + "not_a_plugin.so";
  std::ofstream(path, std::ios::binary) << "just some text, long enough to look like a header of something";
  EXPECT_EQ(ReadPluginPipl(path).error, PiplError::kNotElf64);
  std::ofstream(path, std::ios::binary) << library.substr(0, 200);
  EXPECT_NE(ReadPluginPipl(path).error, PiplError::kNone);
  std::remove(path.c_str());
}

TEST(PluginLibraryLoad, EntryPointIsFoundAndMissingLibraryReported) {
  PluginLibrary lib;
  std::string error;
  ASSERT_TRUE(lib.Open(TILETTA_FAKE_PLUGIN_PATH, &error)) << error;
  EXPECT_NE(lib.Symbol("EntryPointFunc"), nullptr);
  EXPECT_EQ(lib.Symbol("NoSuchSymbol"), nullptr);
  PluginLibrary missing;
  EXPECT_FALSE(missing.Open("/nonexistent/libnothing.so", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(missing.Symbol("EntryPointFunc"), nullptr);
}

}  // namespace
}  // namespace Orvane::Mosaira
