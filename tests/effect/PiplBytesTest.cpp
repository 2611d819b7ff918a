#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "effect/PiplBytes.h"

namespace Orvane::Mosaira {
namespace {

// The resource written out by hand, property by property.
std::vector<uint8_t> ExpectedPipl() {
  std::vector<uint8_t> b = {1, 0, 0, 0, 0, 0, 12, 0, 0, 0};
  auto text = [&b](const std::string& s) { b.insert(b.end(), s.begin(), s.end()); };
  auto header = [&](const std::string& reversedKey, uint8_t length) {
    text("MIB8");
    text(reversedKey);
    b.insert(b.end(), {0, 0, 0, 0, length, 0, 0, 0});
  };
  header("dnik", 4);
  text("TKFe");
  header("eman", 8);
  b.push_back(7);
  text("Tiletta");
  header("gtac", 12);
  b.push_back(9);
  text("Kestrelle");
  b.insert(b.end(), {0, 0});
  header("4668", 16);
  text("EntryPointFunc");
  b.insert(b.end(), {0, 0});
  header("RVPe", 4);
  b.insert(b.end(), {2, 0, 0, 0});
  header("RVSe", 4);
  b.insert(b.end(), {13, 0, 15, 0});
  header("REVe", 4);
  b.insert(b.end(), {0x01, 0x00, 0x08, 0x00});
  header("FNIe", 2);
  b.insert(b.end(), {0, 0, 0, 0});
  header("OLGe", 4);
  b.insert(b.end(), {0x00, 0x80, 0x00, 0x04});
  header("2LGe", 4);
  b.insert(b.end(), {0x00, 0x14, 0x00, 0x00});
  header("LFea", 4);
  b.insert(b.end(), {8, 0, 0, 0});
  header("ANMe", 12);
  b.push_back(10);
  text("QV_Tiletta");
  b.push_back(0);
  return b;
}

TEST(PiplBytes, MatchesHandWrittenResource) {
  const std::vector<uint8_t> expected = ExpectedPipl();
  ASSERT_EQ(expected.size(), kPiplSize);
  EXPECT_EQ(std::vector<uint8_t>(kPiplBytes.begin(), kPiplBytes.end()), expected);
}

}  // namespace
}  // namespace Orvane::Mosaira
