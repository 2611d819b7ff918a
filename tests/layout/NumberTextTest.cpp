#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>

#include "LayoutFixtures.h"
#include "layout/DecimalString.h"
#include "layout/JsonNumber.h"

namespace Orvane::Mosaira {
namespace {

std::string RapidJsonText(double value) {
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  writer.Double(value);
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::string DigitsMasked(std::string text) {
  for (char& c : text) {
    c = (c >= '0' && c <= '9') ? '#' : c;
  }
  return text;
}

struct Formatted {
  double value;
  const char* text;
};

void ExpectFormatted(std::initializer_list<Formatted> cases) {
  for (const Formatted& c : cases) EXPECT_EQ(FormatJsonDouble(c.value), c.text) << c.value;
}

TEST(FormatJsonDouble, ByInputClass) {
  const double inf = std::numeric_limits<double>::infinity();
  // Single-precision values use the shortest digits of the widened double.
  ExpectFormatted({{0.33f, "0.33000001311302185"}, {0.1f, "0.10000000149011612"}});
  // Integral values keep a zero fraction.
  ExpectFormatted({{1.0, "1.0"}, {100.0, "100.0"}, {1e20, "100000000000000000000.0"}});
  // Large and small magnitudes use RapidJSON's exponent layout.
  ExpectFormatted({{1e21, "1e21"}, {1.5e300, "1.5e300"}, {0.000001, "0.000001"}, {1.5e-7, "1.5e-7"},
                   {5e-324, "5e-324"}});
  ExpectFormatted({{-0.5, "-0.5"}, {-1e-7, "-1e-7"}, {-0.0, "-0.0"}});
  // Non-finite values write zero.
  ExpectFormatted({{std::numeric_limits<double>::quiet_NaN(), "0.0"}, {inf, "0.0"}, {-inf, "0.0"}});
}

TEST(FormatJsonDouble, RandomValuesReadBackExactlyAndAreNeverLongerThanRapidJson) {
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 20000; ++i) {
    const double value = std::ldexp(unit(random), exponent(random));
    const std::string ours = FormatJsonDouble(value);
    const std::string theirs = RapidJsonText(value);
    ASSERT_EQ(std::strtod(ours.c_str(), nullptr), value) << ours;
    ASSERT_LE(ours.size(), theirs.size()) << ours << " vs " << theirs;
    // With as many digits as RapidJSON's, the layout (sign, point, exponent) must be RapidJSON's.
    if (ours.size() == theirs.size()) {
      ASSERT_EQ(DigitsMasked(ours), DigitsMasked(theirs));
    }
  }
}

TEST(StringToDouble, ReadsTheLeadingNumberOnly) {
  const std::pair<const char*, double> cases[] = {
      {"0.5", 0.5},        {"+0.25", 0.25},     {".75", 0.75},       {"1e2", 100.0}, {"-0.5", -0.5},
      {"  -2", -2.0},      {" \t\n0.5abc", 0.5}, {"0.5 0.7", 0.5},    {"1e", 1.0},
      {"0,5", 0.0},  // a comma is never a decimal point
      {"0x10", 0.0},  // hexadecimal reads only its leading zero
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StringToDouble(text), value) << text;
}

// Switches LC_NUMERIC to a German locale (decimal comma) built into a temporary folder, and back.
class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string folder = ::testing::TempDir() + "tiletta_layout_locale";
    const std::string build = "mkdir -p " + folder + " && localedef -i de_DE -f UTF-8 " + folder +
                              "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) {
      GTEST_SKIP() << "no German locale could be built here";
    }
    setenv("LOCPATH", folder.c_str(), 1);
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
      GTEST_SKIP() << "German locale not usable";
    }
  }
  void TearDown() override {
    if (!saved_.empty()) {
      std::setlocale(LC_NUMERIC, saved_.c_str());
    }
  }

 private:
  std::string saved_;
};

TEST_F(CommaLocale, CoordinateStringsReadTheSame) {
  ASSERT_EQ(std::stod("0,5"), 0.5);  // the locale is really in force
  EXPECT_EQ(StringToDouble("0.5"), 0.5);
  EXPECT_EQ(StringToDouble("0,5"), 0.0);
  auto layout = testing::MakeLayout(R"({"points":[{"id":"P","x":"0.25","y":"0.5"}]})", 1920.0, 1080.0);
  EXPECT_EQ(layout->findPoint("P")->x, 480.0f);
  EXPECT_EQ(layout->findPoint("P")->y, 540.0f);
  EXPECT_NE(testing::ToJsonText(*layout).find(R"("x":0.25,"y":0.5)"), std::string::npos);
}

void ExpectInvalid(const char* text) {
  try {
    StringToDouble(text);
    ADD_FAILURE() << "no exception for \"" << text << "\"";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "invalid stod argument") << text;
  }
}

TEST(StringToDouble, NoNumberThrowsInvalidArgument) {
  for (const char* text : {"", "   ", "abc", "-", "+-1", ".", "nan", "inf", "-infinity"}) ExpectInvalid(text);
}

TEST(StringToDouble, OutOfRangeThrowsOutOfRange) {
  try {
    StringToDouble("1e400");
    ADD_FAILURE() << "no exception";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "stod argument out of range");
  }
  EXPECT_THROW(StringToDouble("-1e400"), std::out_of_range);
}

}  // namespace
}  // namespace Orvane::Mosaira
