// The process-wide registry of the built-in layouts: the parsed template text, the templates' ids in
// template order and one small preview layout per template.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "layout/GridLayoutModel.h"
#include "layout/LayoutJson.h"

namespace Orvane::Mosaira {

// Width and height, in pixels, of every preview layout (the chooser's thumbnails).
inline constexpr int kLayoutPreviewSize = 60;

// One listed template: its id ("2-1") and its position in the document's root array.
struct LayoutIdEntry {
  std::string id;
  int32_t position = 0;
};

class LayoutRegistry {
 public:
  // The registry of the built-in template text, built on the first call (thread-safe) and never freed.
  // Throws what the constructor throws; the next call then tries again.
  static LayoutRegistry& instance();

  // Parses `text` (one JSON array of layout objects) and builds a preview of every listed template.
  // A parse error or a root that is not an array leaves the registry empty. Elements that are not
  // objects, or whose "id" is not a string holding a hyphen, are passed over. Throws
  // std::invalid_argument("invalid stoi argument") when the part of an id before its first hyphen does
  // not begin with a decimal integer, std::out_of_range("stoi argument out of range") when it
  // overflows, and what GridLayoutModel's constructor throws for a template it cannot read.
  explicit LayoutRegistry(const std::string& text);
  ~LayoutRegistry();

  LayoutRegistry(const LayoutRegistry&) = delete;
  LayoutRegistry& operator=(const LayoutRegistry&) = delete;

  // The built-in template text: its pieces joined once per process, in table order. The string lives
  // until destroyTemplateText.
  static const std::string& joinTemplateText();

  // Frees the joined text; only for library unload (a later join gives an empty text).
  static void destroyTemplateText();

  // The template object of list entry `listIndex` (the document element at that entry's position),
  // or null when there is no such entry. Every reader of a template goes through this, so list
  // positions and document positions never drift apart.
  const JsonValue* templateAt(std::size_t listIndex) const;

  rapidjson::Document document;
  std::vector<LayoutIdEntry> layoutIds;  // listed templates in template order
  // previews[i] is template layoutIds[i] at kLayoutPreviewSize x kLayoutPreviewSize, with index i.
  std::vector<std::unique_ptr<GridLayoutModel>> previews;
};

}  // namespace Orvane::Mosaira
