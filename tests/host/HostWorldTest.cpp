#include "host/HostWorld.h"

#include <gtest/gtest.h>

#include <memory>

#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

TEST(HostWorldLayout, PixelsAreAlphaFirstAtRowOffsets) {
  HostWorld w(2, 2, PF_PixelFormat_ARGB32, 4);
  w.Pixel8(1, 1) = {10, 20, 30, 40};
  const auto& b = w.Bytes();
  const size_t at = size_t(w.RowBytes()) + 4;
  EXPECT_EQ(b[at], 10);
  EXPECT_EQ(b[at + 3], 40);
  EXPECT_TRUE(w.PaddingIntact());
  const_cast<uint8_t&>(b[8]) = 0;  // first padding byte of row 0
  EXPECT_FALSE(w.PaddingIntact());
}

TEST(HostWorldLayout, UnknownFormatOrEmptySizeGivesEmptyWorld) {
  HostWorld bad(4, 4, 0x12345678);
  EXPECT_EQ(bad.Width(), 0);
  EXPECT_EQ(bad.World()->data, nullptr);
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(bad.World(), &f), PF_Err_NONE);
  EXPECT_EQ(f, 0x12345678);
  HostWorld empty(0, 5, PF_PixelFormat_ARGB32);
  EXPECT_EQ(empty.Height(), 0);
}

// Rows are padded per format; the world reports its own format and refuses a missing answer.
TEST(HostWorldFormat, ReportsEachLayoutAndRefusesStrangers) {
  const struct {
    PF_PixelFormat format;
    A_long padding, rowBytes;
    bool deep;
  } cases[] = {{PF_PixelFormat_ARGB32, 4, 16, false}, {PF_PixelFormat_ARGB64, 8, 32, true},
               {PF_PixelFormat_ARGB128, 16, 64, true}};
  for (const auto& c : cases) {
    HostWorld w(3, 2, c.format, c.padding);
    EXPECT_EQ(w.RowBytes(), c.rowBytes);
    EXPECT_EQ((w.World()->world_flags & PF_WorldFlag_DEEP) != 0, c.deep);
    EXPECT_TRUE(w.PaddingIntact());
    PF_PixelFormat f = 0;
    EXPECT_EQ(HostGetPixelFormat(w.World(), &f), PF_Err_NONE);
    EXPECT_EQ(f, c.format);
    EXPECT_EQ(HostGetPixelFormat(w.World(), nullptr), PF_Err_BAD_CALLBACK_PARAM);
  }
  PF_EffectWorld stranger{};
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(&stranger, &f), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(HostGetPixelFormat(nullptr, &f), PF_Err_BAD_CALLBACK_PARAM);
}

// A copy of the world's record is served while it describes the world's pixels and the world lives.
TEST(HostWorldFormat, CopiedRecordCountsAsTheSameWorldWhileItLives) {
  auto w = std::make_unique<HostWorld>(3, 2, PF_PixelFormat_ARGB64, 8);
  PF_EffectWorld copy = *w->World();
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(&copy, &f), PF_Err_NONE);
  EXPECT_EQ(f, PF_PixelFormat_ARGB64);
  PF_Pixel16* p = nullptr;
  EXPECT_EQ(HostGetPixelData16(&copy, nullptr, &p), PF_Err_NONE);
  copy.rowbytes += 8;  // no longer describes the same pixels
  EXPECT_EQ(HostGetPixelFormat(&copy, &f), PF_Err_BAD_CALLBACK_PARAM);
  copy.rowbytes -= 8;
  w.reset();
  EXPECT_EQ(HostGetPixelFormat(&copy, &f), PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace Orvane::Mosaira
