// PNG layers read as stored and written without ever losing the file the user named.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "host/PngFile.h"

namespace Orvane::Mosaira {
namespace {

std::string Hex(const char* text) {
  std::string out;
  for (const char* p = text; p[0] && p[1]; p += 2) out += char(std::stoi(std::string(p, 2), nullptr, 16));
  return out;
}

// Grey ramps 11, 66, 129, 192, 243 without a gamma chunk, stored at 8 and at 16 bits (v * 257).
const std::string kGreyRamp8 = Hex(
    "89504e470d0a1a0a0000000d494844520000000500000001080000000033953b2f0000000e4944415478da63e0766a3cf019"
    "00053b028233e76c3d0000000049454e44ae426082");
const std::string kGreyRamp16 = Hex(
    "89504e470d0a1a0a0000000d49484452000000050000000110000000006305e76c000000134944415478da63e0e676726a6c"
    "3c70e0f36700125e0503d1b1a78d0000000049454e44ae426082");
// One 16-bit pixel: red 1000, green 2000, blue 3000, alpha 65535.
const std::string kFineRgba16 = Hex(
    "89504e470d0a1a0a0000000d49484452000000010000000110060000004f8518ca000000114944415478da63607ec17e817b"
    "c7ffff0010040484cfd710140000000049454e44ae426082");
// 68 bytes that declare 30000 x 30000 RGBA pixels.
const std::string kDeclares30000 = Hex(
    "89504e470d0a1a0a0000000d49484452000075300000753008060000006627f8ba0000000b4944415478da6360800300000b"
    "0001a02ec8850000000049454e44ae426082");

std::string BigEndian(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// 2 x 1 RGB pixels (200, 100, 50); the same with its image data's CRC zeroed.
const std::string kRgb = Hex(
    "89504e470d0a1a0a0000000d49484452000000020000000108020000007b40e8dd0000000d4944415478da633891620444"
    "000ac502bdf6008ac50000000049454e44ae426082");
const std::string kRgbBadDataCrc = Hex(
    "89504e470d0a1a0a0000000d49484452000000020000000108020000007b40e8dd0000000d4944415478da633891620444"
    "000ac502bd000000000000000049454e44ae426082");
// 4 x 1 pixels at 2 bits, indices 0 1 2 1 into red, green, blue; tRNS gives alpha 0 and 128 to
// the first two. The same palette without tRNS and with a last index of 3, beyond it.
const std::string kPaletteAlpha = Hex(
    "89504e470d0a1a0a0000000d49484452000000040000000102030000008452e75e00000009504c5445ff000000ff000000"
    "ff2d4acd8a0000000274524e5300809b2b4e180000000a4944415478da63900400001b001a835af7200000000049454e44"
    "ae426082");
const std::string kPaletteIndexBeyond = Hex(
    "89504e470d0a1a0a0000000d49484452000000040000000102030000008452e75e00000009504c5445ff000000ff000000"
    "ff2d4acd8a0000000a4944415478da63900500001f001e486248400000000049454e44ae426082");
// Headers of 0 x 0, 0 x 5 and 5 x 0 pixels.
const std::string kEmpty[] = {
    Hex("89504e470d0a1a0a0000000d4948445200000000000000000802000000b4e9eb45000000084944415478da03000000"
        "00016fddc9910000000049454e44ae426082"),
    Hex("89504e470d0a1a0a0000000d4948445200000000000000050802000000e4247af60000000b4944415478da63600002"
        "0000050001e9fadcd80000000049454e44ae426082"),
    Hex("89504e470d0a1a0a0000000d494844520000000500000000080200000052c02001000000084944415478da03000000"
        "00016fddc9910000000049454e44ae426082")};

std::unique_ptr<HostWorld> Decode(const std::string& bytes, PF_PixelFormat format, std::string* error = nullptr,
                                  PngLimits limits = {}) {
  return DecodePngWorld(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), format, limits, error);
}

TEST(PngRead, SixteenBitRampReadsAsTheEightBitOneWithoutGamma) {
  const auto eight = Decode(kGreyRamp8, PF_PixelFormat_ARGB64);
  const auto sixteen = Decode(kGreyRamp16, PF_PixelFormat_ARGB64);
  ASSERT_TRUE(eight && sixteen);
  for (A_long x = 0; x < 5; ++x) {
    EXPECT_EQ(sixteen->Pixel16(x, 0).red, eight->Pixel16(x, 0).red) << x;
    EXPECT_EQ(sixteen->Pixel16(x, 0).alpha, 32768);
  }
}

TEST(PngRead, SixteenBitSamplesKeepTheirPrecisionInDeepWorlds) {
  const auto deep = Decode(kFineRgba16, PF_PixelFormat_ARGB64);
  const auto real = Decode(kFineRgba16, PF_PixelFormat_ARGB128);
  const auto narrow = Decode(kFineRgba16, PF_PixelFormat_ARGB32);
  ASSERT_TRUE(deep && real && narrow);
  EXPECT_EQ(deep->Pixel16(0, 0).red, 500);  // 1000 of 65535 is 500 of 32768
  EXPECT_EQ(deep->Pixel16(0, 0).green, 1000);
  EXPECT_FLOAT_EQ(real->PixelFloat(0, 0).blue, 3000.0f / 65535.0f);
  EXPECT_EQ(narrow->Pixel8(0, 0).blue, 12);
}

TEST(PngRead, DeclaredSizeIsRefusedBeforeDecoding) {
  struct Case {
    const char* what;
    PngLimits limits;
    const char* message;
  };
  for (const Case& c : {Case{"too short for what it declares", {}, "too short"},
                        Case{"side over the limit", {20000, 1e12}, "larger than"},
                        Case{"pixel count over the limit", {30000, 1e8}, "larger than"}}) {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Decode(kDeclares30000, PF_PixelFormat_ARGB32, &error, c.limits), nullptr) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << c.what;
  }
}

TEST(PngRead, PaletteTransparencyGivesAlpha) {
  const auto world = Decode(kPaletteAlpha, PF_PixelFormat_ARGB32);
  ASSERT_TRUE(world);
  const int alpha[4] = {0, 128, 255, 128};
  for (A_long x = 0; x < 4; ++x) EXPECT_EQ(world->Pixel8(x, 0).alpha, alpha[x]) << x;
  EXPECT_EQ(world->Pixel8(2, 0).blue, 255);
}

TEST(PngRead, DamagedAndEmptyFilesSayWhy) {
  const struct { const char* what; std::string bytes; const char* message; } cases[] = {
      {"0 x 0", kEmpty[0], "empty image"},
      {"0 x 5", kEmpty[1], "empty image"},
      {"5 x 0", kEmpty[2], "empty image"},
      {"image data CRC", kRgbBadDataCrc, "checksum"},
      {"index beyond the palette", kPaletteIndexBeyond, "palette index"}};
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(Decode(c.bytes, PF_PixelFormat_ARGB32, &error), nullptr) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

// A 2 MB profile, or three 2 MB text chunks (CRCs worked out for these bodies), are skipped,
// not a reason to refuse the picture.
TEST(PngRead, LargeAncillaryChunksAreSkipped) {
  const struct { const char* type; std::string head; char fill; uint32_t crc; int count; } chunks[] = {
      {"iCCP", std::string("icc\0\0", 5), '\0', 0xb3330f24u, 1},
      {"tEXt", std::string("Comment\0", 8), 'x', 0x5f77089au, 3}};
  for (const auto& c : chunks) {
    const std::string body = c.head + std::string(2000000, c.fill);
    std::string chunks;
    for (int k = 0; k < c.count; ++k) chunks += BigEndian(uint32_t(body.size())) + c.type + body + BigEndian(c.crc);
    const std::string path = testing::TempDir() + "png_chunk_" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << kRgb.substr(0, 33) + chunks + kRgb.substr(33);
    std::string error;
    const auto world = ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, &error);
    unlink(path.c_str());
    ASSERT_TRUE(world) << c.type << ": " << error;
    EXPECT_EQ(world->Pixel8(1, 0).red, 200) << c.type;
  }
}

// A chunk of 2 GB (a sparse file) is never read whole: skipped when the layer does not need it,
// refused when it is image data its 2 x 1 pixels cannot need.
TEST(PngRead, HugeChunksAreNeverReadWhole) {
  const struct { const char* type; bool read; } cases[] = {{"tEXt", true}, {"IDAT", false}};
  for (const auto& c : cases) {
    const std::string path = testing::TempDir() + "png_huge_" + std::to_string(getpid());
    const uint32_t length = 0x7ffffff0u;
    std::ofstream(path, std::ios::binary) << kRgb.substr(0, 33) + BigEndian(length) + c.type;
    ASSERT_EQ(truncate(path.c_str(), off_t(33 + 8) + length + 4), 0);
    std::ofstream(path, std::ios::binary | std::ios::app) << kRgb.substr(33);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    std::string error;
    const auto world = ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, &error);
    getrusage(RUSAGE_SELF, &after);
    unlink(path.c_str());
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 << 10) << c.type;  // kB
    if (c.read) {
      ASSERT_TRUE(world) << c.type << ": " << error;
      EXPECT_EQ(world->Pixel8(1, 0).red, 200);
    } else {
      EXPECT_FALSE(world) << c.type;
      EXPECT_NE(error.find("more image data"), std::string::npos) << error;
    }
  }
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xffffffffu;
  for (const char c : bytes) {
    crc ^= uint8_t(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// The file at `path` with its image data cut into chunks of `size` bytes.
std::string Rechunked(const std::string& path, size_t size) {
  std::ifstream in(path, std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string head, data, tail;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = size_t(uint8_t(png[at])) << 24 | size_t(uint8_t(png[at + 1])) << 16 |
                          size_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]);
    const std::string type = png.substr(at + 4, 4), chunk = png.substr(at, length + 12);
    if (type == "IDAT") {
      data += png.substr(at + 8, length);
    } else {
      (data.empty() ? head : tail) += chunk;
    }
    at += length + 12;
  }
  std::string out = png.substr(0, 8) + head;
  for (size_t at = 0; at < data.size(); at += size) {
    const std::string body = "IDAT" + data.substr(at, size);
    out += BigEndian(uint32_t(body.size() - 4)) + body + BigEndian(Crc32(body));
  }
  return out + tail;
}

// Image data in many small chunks (2000 x 2000 pixels of noise, which deflate cannot shrink, in
// 128-byte chunks: their framing alone is more than the margin for the data) reads whole.
TEST(PngRead, ImageDataInManySmallChunksIsRead) {
  HostWorld noise(2000, 2000, PF_PixelFormat_ARGB32);
  uint32_t seed = 1;
  for (A_long y = 0; y < 2000; ++y) {
    for (A_long x = 0; x < 2000; ++x) {
      seed = seed * 1664525u + 1013904223u;
      noise.Pixel8(x, y) = {A_u_char(seed >> 24), A_u_char(seed >> 16), A_u_char(seed >> 8), A_u_char(seed)};
    }
  }
  const std::string path = testing::TempDir() + "png_small_chunks_" + std::to_string(getpid());
  ASSERT_TRUE(WritePng(noise, path, nullptr));
  const std::string rechunked = Rechunked(path, 128);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << rechunked;
  std::string error;
  const auto world = ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, &error);
  unlink(path.c_str());
  ASSERT_TRUE(world) << error;
  for (const A_long at : {0, 777, 1999}) {
    const PF_Pixel8 a = world->Pixel8(at, at), b = noise.Pixel8(at, at);
    EXPECT_EQ(std::tie(a.alpha, a.red, a.green, a.blue), std::tie(b.alpha, b.red, b.green, b.blue)) << at;
  }
}

// Empty image-data chunks hold nothing, but their framing is held: beyond a bound as large as the
// data the image can need, the file is refused.
TEST(PngRead, EndlessEmptyChunksAreRefused) {
  std::string empties;
  for (int k = 0; k < 100000; ++k) empties += BigEndian(0) + "IDAT" + BigEndian(Crc32("IDAT"));
  const std::string path = testing::TempDir() + "png_empty_chunks_" + std::to_string(getpid());
  std::ofstream(path, std::ios::binary) << kRgb.substr(0, 33) + empties + kRgb.substr(33);
  std::string error;
  EXPECT_FALSE(ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, &error));
  EXPECT_NE(error.find("more chunks than its image data can need"), std::string::npos) << error;
  unlink(path.c_str());
}

TEST(PngRead, SpecialFilesAreNotRegularFiles) {
  const std::string fifo = testing::TempDir() + "png_fifo_" + std::to_string(getpid());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo}) {
    std::string error;
    EXPECT_EQ(ReadPngWorld(path, PF_PixelFormat_ARGB32, {}, &error), nullptr) << path;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  }
  unlink(fifo.c_str());
}

class PngWrite : public testing::Test {
 protected:
  void SetUp() override {
    dir = testing::TempDir() + "png_write_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0755);
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
  size_t Entries() const {
    size_t n = 0;
    DIR* d = opendir(dir.c_str());
    for (dirent* e = d ? readdir(d) : nullptr; e != nullptr; e = readdir(d)) n += e->d_name[0] != '.';
    if (d) closedir(d);
    return n;
  }
  std::string dir;
  HostWorld world{3, 2, PF_PixelFormat_ARGB128};
};

TEST_F(PngWrite, ThroughALinkReplacesTheLinkedFileAndKeepsTheLink) {
  const std::string target = dir + "/target.png", link = dir + "/link.png";
  std::fclose(std::fopen(target.c_str(), "w"));
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  world.PixelFloat(1, 1) = {1.0f, 1000.0f / 65535.0f, 0.0f, 1.0f};
  std::string error;
  ASSERT_TRUE(WritePng(world, link, &error)) << error;
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  const auto back = ReadPngWorld(target, PF_PixelFormat_ARGB128, {}, &error);
  ASSERT_NE(back, nullptr) << error;
  EXPECT_FLOAT_EQ(back->PixelFloat(1, 1).red, 1000.0f / 65535.0f);
  EXPECT_EQ(Entries(), 2u);  // no file left beside them
}

TEST_F(PngWrite, RefusedTargetsAreLeftAsTheyWere) {
  // A link to a pipe (a special file of the test's own, held open for reading so that nothing
  // blocks), a folder, a missing folder.
  const std::string pipe = dir + "/pipe", toPipe = dir + "/pipe.png", folder = dir + "/folder.png";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(symlink(pipe.c_str(), toPipe.c_str()), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  for (const std::string& path : {toPipe, folder, dir + "/missing/out.png"}) {
    std::string error;
    EXPECT_FALSE(WritePng(world, path, &error)) << path;
    EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
  }
  char byte = 0;
  EXPECT_LE(read(reader, &byte, 1), 0);  // nothing went into the pipe
  close(reader);
  struct stat st {};
  EXPECT_EQ(lstat(toPipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(stat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(Entries(), 3u);
}

}  // namespace
}  // namespace Orvane::Mosaira
