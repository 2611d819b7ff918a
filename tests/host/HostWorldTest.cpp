#include "host/HostWorld.h"

#include <gtest/gtest.h>

#include "host/SimulatedHost.h"

namespace Orvane::Mosaira {
namespace {

TEST(HostWorldLayout, RowBytesIncludePaddingPerFormat) {
  HostWorld w8(3, 2, PF_PixelFormat_ARGB32, 4);
  HostWorld w16(3, 2, PF_PixelFormat_ARGB64, 8);
  HostWorld w32(3, 2, PF_PixelFormat_ARGB128, 16);
  EXPECT_EQ(w8.RowBytes(), 16);
  EXPECT_EQ(w16.RowBytes(), 32);
  EXPECT_EQ(w32.RowBytes(), 64);
  EXPECT_TRUE(w16.World()->world_flags & PF_WorldFlag_DEEP);
  EXPECT_FALSE(w8.World()->world_flags & PF_WorldFlag_DEEP);
  EXPECT_TRUE(w8.PaddingIntact());
}

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

TEST(HostWorldFormat, ReportsEachLayoutAndRefusesStrangers) {
  for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
    HostWorld w(1, 1, format);
    PF_PixelFormat f = 0;
    EXPECT_EQ(HostGetPixelFormat(w.World(), &f), PF_Err_NONE);
    EXPECT_EQ(f, format);
    EXPECT_EQ(HostGetPixelFormat(w.World(), nullptr), PF_Err_BAD_CALLBACK_PARAM);
  }
  PF_EffectWorld stranger{};
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(&stranger, &f), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(HostGetPixelFormat(nullptr, &f), PF_Err_BAD_CALLBACK_PARAM);
}

TEST(HostWorldPixelData, AddressOnlyForMatchingDepth) {
  HostWorld w8(2, 2, PF_PixelFormat_ARGB32), w16(2, 2, PF_PixelFormat_ARGB64);
  PF_Pixel8* p8 = nullptr;
  PF_Pixel16* p16 = nullptr;
  EXPECT_EQ(HostGetPixelData8(w8.World(), nullptr, &p8), PF_Err_NONE);
  EXPECT_EQ(static_cast<void*>(p8), static_cast<void*>(w8.World()->data));
  EXPECT_EQ(HostGetPixelData16(w16.World(), nullptr, &p16), PF_Err_NONE);
  EXPECT_NE(p16, nullptr);
  EXPECT_EQ(HostGetPixelData8(w16.World(), nullptr, &p8), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(p8, nullptr);
  EXPECT_EQ(HostGetPixelData16(w8.World(), nullptr, &p16), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(p16, nullptr);
  int dummy = 0;
  EXPECT_EQ(HostGetPixelData8(w8.World(), &dummy, &p8), PF_Err_BAD_CALLBACK_PARAM);
}

struct Visit {
  std::vector<std::pair<A_long, A_long>> seen;
  A_long failAt = -1;
};

PF_Err Record(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out) {
  auto* v = static_cast<Visit*>(refcon);
  v->seen.push_back({x, y});
  if (out) *out = {in->alpha, in->red * 2, in->green, in->blue};
  return A_long(v->seen.size()) == v->failAt ? PF_Err_OUT_OF_MEMORY : PF_Err_NONE;
}

TEST(HostWorldIterate, VisitsEveryPixelRowByRow) {
  HostWorld src(3, 2, PF_PixelFormat_ARGB128, 16), dst(3, 2, PF_PixelFormat_ARGB128);
  src.PixelFloat(2, 1) = {1.0f, 0.25f, 0.0f, 0.0f};
  Visit v;
  ASSERT_EQ(HostIterateFloat(nullptr, 0, 2, src.World(), nullptr, &v, Record, dst.World()), PF_Err_NONE);
  ASSERT_EQ(v.seen.size(), 6u);
  EXPECT_EQ(v.seen[5], (std::pair<A_long, A_long>{2, 1}));
  EXPECT_EQ(dst.PixelFloat(2, 1).red, 0.5f);
  EXPECT_TRUE(src.PaddingIntact());
}

TEST(HostWorldIterate, AreaIsClippedToBothWorlds) {
  HostWorld src(4, 4, PF_PixelFormat_ARGB128), dst(2, 3, PF_PixelFormat_ARGB128);
  Visit v;
  const PF_Rect area{-5, 1, 10, 10};
  HostIterateFloat(nullptr, 0, 4, src.World(), &area, &v, Record, dst.World());
  EXPECT_EQ(v.seen.size(), 4u);  // x 0..1, y 1..2
}

TEST(HostWorldIterate, CallbackErrorStopsTheWalk) {
  HostWorld src(4, 4, PF_PixelFormat_ARGB128);
  Visit v;
  v.failAt = 3;
  EXPECT_EQ(HostIterateFloat(nullptr, 0, 4, src.World(), nullptr, &v, Record, nullptr), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(v.seen.size(), 3u);
}

TEST(HostWorldIterate, NonFloatWorldsAreRefused) {
  HostWorld w8(2, 2, PF_PixelFormat_ARGB32), w32(2, 2, PF_PixelFormat_ARGB128);
  Visit v;
  EXPECT_EQ(HostIterateFloat(nullptr, 0, 2, w8.World(), nullptr, &v, Record, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(HostIterateFloat(nullptr, 0, 2, w32.World(), nullptr, &v, Record, w8.World()), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(HostIterateFloat(nullptr, 0, 2, w32.World(), nullptr, &v, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(v.seen.empty());
}

TEST(HostWorldFormat, CopiedRecordCountsAsTheSameWorld) {
  HostWorld w(3, 2, PF_PixelFormat_ARGB64, 8);
  PF_EffectWorld copy = *w.World();
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(&copy, &f), PF_Err_NONE);
  EXPECT_EQ(f, PF_PixelFormat_ARGB64);
  PF_Pixel16* p = nullptr;
  EXPECT_EQ(HostGetPixelData16(&copy, nullptr, &p), PF_Err_NONE);
  copy.rowbytes += 8;  // no longer describes the same pixels
  EXPECT_EQ(HostGetPixelFormat(&copy, &f), PF_Err_BAD_CALLBACK_PARAM);
}

TEST(HostWorldLifetime, DestroyedWorldIsNoLongerServed) {
  PF_EffectWorld stale{};
  {
    HostWorld w(2, 2, PF_PixelFormat_ARGB32);
    stale = *w.World();
  }
  PF_PixelFormat f = 0;
  EXPECT_EQ(HostGetPixelFormat(&stale, &f), PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace Orvane::Mosaira
