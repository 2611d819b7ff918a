// How the registry reads a template text: the built-in one and malformed ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "layout/BuiltinTemplates.h"
#include "tests/registry/RegistryFixtures.h"

namespace Orvane::Mosaira::testing {
namespace {

constexpr const char* kFrame = R"("frames":[{"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","RIGHT_BOTTOM","LEFT_BOTTOM"]}])";

std::string Layout(const std::string& id) {
  return std::string("{") + kFrame + R"(,"id":")" + id + R"(","points":[]})";
}

TEST(TemplateText, CarriesTheTemplateFileByteForByte) {
  std::ifstream file(TILETTA_TEMPLATES_JSON, std::ios::binary);
  ASSERT_TRUE(file) << TILETTA_TEMPLATES_JSON;
  const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // Joined once: a second join hands back the same text rather than appending again.
  const std::string& text = LayoutRegistry::joinTemplateText();
  EXPECT_EQ(text, expected);
  EXPECT_EQ(&LayoutRegistry::joinTemplateText(), &text);
  EXPECT_EQ(text.size(), kLayoutTemplateTextBytes);
}

// Unload frees the text; run in a child process so the other tests keep theirs.
TEST(TemplateTextDeathTest, DestroyFreesTheJoinedText) {
  EXPECT_EXIT(
      {
        LayoutRegistry::joinTemplateText();
        LayoutRegistry::destroyTemplateText();
        const std::string& after = LayoutRegistry::joinTemplateText();
        std::exit(after.empty() && after.capacity() < 64 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(RegistryBuild, BuiltinTextGivesEveryTemplateInOrder) {
  const LayoutRegistry& registry = Builtin();
  ASSERT_FALSE(registry.document.HasParseError()) << "offset " << registry.document.GetErrorOffset();
  const std::vector<std::string> expected = ExpectedIds();
  ASSERT_EQ(registry.layoutIds.size(), expected.size());
  ASSERT_EQ(registry.previews.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(registry.layoutIds[i].id, expected[i]);
    EXPECT_EQ(registry.layoutIds[i].position, static_cast<int32_t>(i));
    const GridLayoutModel& preview = *registry.previews[i];
    EXPECT_EQ(preview.index, static_cast<int32_t>(i));
    EXPECT_EQ(preview.id, expected[i]);
    EXPECT_EQ(preview.width, kLayoutPreviewSize);
    EXPECT_EQ(preview.height, kLayoutPreviewSize);
    const JsonValue* json = registry.templateAt(i);
    ASSERT_NE(json, nullptr);
    EXPECT_STREQ((*json)["id"].GetString(), expected[i].c_str());
  }
  EXPECT_EQ(registry.templateAt(expected.size()), nullptr);
  EXPECT_EQ(registry.templateAt(static_cast<std::size_t>(-1)), nullptr);
}

TEST(RegistryBuild, UnparsableOrNonArrayTextLeavesItEmpty) {
  for (const std::string& text : {std::string("[{\"id\": \"1-1\","), Layout("1-1"), std::string()}) {
    const LayoutRegistry registry(text);
    EXPECT_TRUE(registry.layoutIds.empty()) << text;
    EXPECT_TRUE(registry.previews.empty()) << text;
    EXPECT_EQ(registry.templateAt(0), nullptr) << text;
  }
}

// Elements that are passed over must not shift later entries onto the wrong document element.
TEST(RegistryBuild, SkippedElementsKeepPositionsInStep) {
  const std::string text = "[" + Layout("1-1") + ", 7, " + R"({"id": 3})" + ", " + Layout("nohyphen") + ", " +
                           Layout("2-1") + ", " + Layout("2-2") + "]";
  const LayoutRegistry registry(text);
  ASSERT_EQ(registry.layoutIds.size(), 3u);
  EXPECT_EQ(registry.layoutIds[0].position, 0);
  EXPECT_EQ(registry.layoutIds[1].position, 4);
  EXPECT_EQ(registry.layoutIds[2].position, 5);
  for (std::size_t i = 0; i < 3; ++i) {
    const JsonValue* json = registry.templateAt(i);
    ASSERT_NE(json, nullptr);
    EXPECT_STREQ((*json)["id"].GetString(), registry.layoutIds[i].id.c_str());
    EXPECT_EQ(registry.previews[i]->id, registry.layoutIds[i].id);
    EXPECT_EQ(registry.previews[i]->index, static_cast<int32_t>(i));
  }
}

// The number before the hyphen is read like std::stoi: leading blanks and zeros and trailing text
// pass; no number, or one beyond an int, throws.
TEST(RegistryBuild, IdNumberReadLikeStoi) {
  const LayoutRegistry registry("[" + Layout(" 7x-1") + "," + Layout("2147483647-1") + "," +
                                Layout("007-7-7") + "]");
  EXPECT_EQ(registry.layoutIds.size(), 3u);
  for (const char* id : {"x-1", "-1", "+-1"}) {
    EXPECT_THROW(LayoutRegistry("[" + Layout(id) + "]"), std::invalid_argument) << id;
  }
  for (const char* id : {"2147483648-1", "99999999999999999999999-1"}) {
    EXPECT_THROW(LayoutRegistry("[" + Layout(id) + "]"), std::out_of_range) << id;
  }
}

TEST(RegistryBuild, TemplateWithBadCoordinateThrows) {
  const std::string bad = std::string("[{") + kFrame +
                          R"(,"id":"1-1","points":[{"id":"P5","x":"abc","y":0}]}])";
  EXPECT_THROW(LayoutRegistry{bad}, std::invalid_argument);
}

}  // namespace
}  // namespace Orvane::Mosaira::testing
