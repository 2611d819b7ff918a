// How the registry reads a template text: the built-in one and malformed ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "layout/BuiltinTemplates.h"
#include "tests/registry/RegistryFixtures.h"

namespace Orvane::Mosaira::testing {
namespace {

constexpr const char* kFrame = R"("frames":[{"id":"F1","polygon":["LEFT_TOP","RIGHT_TOP","RIGHT_BOTTOM","LEFT_BOTTOM"]}])";

std::string Layout(const std::string& id) {
  return std::string("{") + kFrame + R"(,"id":")" + id + R"(","points":[]})";
}

TEST(TemplateText, JoinedTextIsThePiecesInOrder) {
  const std::string& text = LayoutRegistry::joinTemplateText();
  std::string joined;
  for (const char* piece : kLayoutTemplatePieces) {
    const std::size_t n = std::strlen(piece);
    ASSERT_GT(n, 0u);
    EXPECT_LE(n, 13955u);
    EXPECT_EQ(piece[n - 1], '\n') << "every piece ends at a line end";
    joined += piece;
  }
  EXPECT_EQ(text, joined);
  EXPECT_EQ(text.size(), kLayoutTemplateTextBytes);
}

TEST(TemplateText, JoinedOnceAndAscii) {
  const std::string& first = LayoutRegistry::joinTemplateText();
  const std::string& second = LayoutRegistry::joinTemplateText();
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(first.size(), kLayoutTemplateTextBytes) << "a second join must not append again";
  for (char c : first) ASSERT_LT(static_cast<unsigned char>(c), 128u);
}

TEST(TemplateText, PrettyPrintedWithTwoSpaceIndent) {
  const std::string& text = LayoutRegistry::joinTemplateText();
  ASSERT_GE(text.size(), 6u);
  EXPECT_EQ(text.substr(0, 6), "[\n  {\n");
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

TEST(RegistryBuild, BuiltinTextParsesToAllTemplates) {
  const LayoutRegistry& registry = Builtin();
  ASSERT_FALSE(registry.document.HasParseError()) << "offset " << registry.document.GetErrorOffset();
  ASSERT_TRUE(registry.document.IsArray());
  EXPECT_EQ(registry.document.Size(), 104u);
  EXPECT_EQ(registry.layoutIds.size(), 104u);
  EXPECT_EQ(registry.previews.size(), 104u);
}

TEST(RegistryBuild, BuiltinIdsInTemplateOrder) {
  const LayoutRegistry& registry = Builtin();
  const std::vector<std::string> expected = ExpectedIds();
  ASSERT_EQ(registry.layoutIds.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(registry.layoutIds[i].id, expected[i]);
    EXPECT_EQ(registry.layoutIds[i].position, static_cast<int32_t>(i));
  }
}

TEST(RegistryBuild, PreviewIMatchesEntryI) {
  const LayoutRegistry& registry = Builtin();
  for (std::size_t i = 0; i < registry.previews.size(); ++i) {
    const GridLayoutModel& preview = *registry.previews[i];
    EXPECT_EQ(preview.index, static_cast<int32_t>(i));
    EXPECT_EQ(preview.id, registry.layoutIds[i].id);
    EXPECT_EQ(preview.width, kLayoutPreviewSize);
    EXPECT_EQ(preview.height, kLayoutPreviewSize);
    const JsonValue* json = registry.templateAt(i);
    ASSERT_NE(json, nullptr);
    EXPECT_STREQ((*json)["id"].GetString(), registry.layoutIds[i].id.c_str());
  }
}

TEST(RegistryBuild, TemplateAtPastTheEndIsNull) {
  EXPECT_EQ(Builtin().templateAt(104), nullptr);
  EXPECT_EQ(Builtin().templateAt(static_cast<std::size_t>(-1)), nullptr);
}

TEST(RegistryBuild, ParseErrorLeavesItEmpty) {
  const LayoutRegistry registry("[{\"id\": \"1-1\",");
  EXPECT_TRUE(registry.document.HasParseError());
  EXPECT_TRUE(registry.layoutIds.empty());
  EXPECT_TRUE(registry.previews.empty());
  EXPECT_EQ(registry.templateAt(0), nullptr);
}

TEST(RegistryBuild, RootThatIsNoArrayLeavesItEmpty) {
  const LayoutRegistry registry(Layout("1-1"));
  EXPECT_TRUE(registry.layoutIds.empty());
  EXPECT_TRUE(registry.previews.empty());
}

TEST(RegistryBuild, EmptyTextLeavesItEmpty) {
  const LayoutRegistry registry("");
  EXPECT_TRUE(registry.layoutIds.empty());
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

TEST(RegistryBuild, IdWithoutLeadingNumberThrows) {
  EXPECT_THROW(LayoutRegistry("[" + Layout("x-1") + "]"), std::invalid_argument);
  EXPECT_THROW(LayoutRegistry("[" + Layout("-1") + "]"), std::invalid_argument);
  EXPECT_THROW(LayoutRegistry("[" + Layout("+-1") + "]"), std::invalid_argument);
}

TEST(RegistryBuild, IdNumberOutOfRangeThrows) {
  EXPECT_THROW(LayoutRegistry("[" + Layout("2147483648-1") + "]"), std::out_of_range);
  EXPECT_THROW(LayoutRegistry("[" + Layout("99999999999999999999999-1") + "]"), std::out_of_range);
}

TEST(RegistryBuild, IdNumberReadLikeStoi) {
  const LayoutRegistry registry("[" + Layout(" 7x-1") + "," + Layout("2147483647-1") + "," +
                                Layout("007-7-7") + "]");
  EXPECT_EQ(registry.layoutIds.size(), 3u);
}

TEST(RegistryBuild, TemplateWithBadCoordinateThrows) {
  const std::string bad = std::string("[{") + kFrame +
                          R"(,"id":"1-1","points":[{"id":"P5","x":"abc","y":0}]}])";
  EXPECT_THROW(LayoutRegistry{bad}, std::invalid_argument);
}

TEST(RegistryInstance, SameObjectFromEveryThread) {
  std::vector<const LayoutRegistry*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < seen.size(); ++k) {
    threads.emplace_back([&seen, k] { seen[k] = &LayoutRegistry::instance(); });
  }
  for (std::thread& t : threads) t.join();
  for (const LayoutRegistry* r : seen) EXPECT_EQ(r, &LayoutRegistry::instance());
}

}  // namespace
}  // namespace Orvane::Mosaira::testing
