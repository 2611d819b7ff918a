#include "layout/LayoutRegistry.h"

#include <cctype>
#include <climits>
#include <mutex>
#include <stdexcept>

#include "layout/BuiltinTemplates.h"

namespace Orvane::Mosaira {
namespace {

std::string& TemplateText() {
  static std::string text;
  return text;
}

// The integer that `text` begins with, read as the standard string-to-int conversion reads it
// (leading white space, an optional sign, the longest run of digits). Only the check matters: the
// value is not used.
void CheckLeadingInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t digitsStart = i;
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) throw std::out_of_range("stoi argument out of range");
  }
  if (i == digitsStart) throw std::invalid_argument("invalid stoi argument");
  if (!negative && value > INT_MAX) throw std::out_of_range("stoi argument out of range");
}

// The id of a template element, or false when the element is not listed.
bool ListedId(const JsonValue& element, std::string& id) {
  const auto member = element.FindMember("id");
  if (member == element.MemberEnd() || !member->value.IsString()) return false;
  id.assign(member->value.GetString(), member->value.GetStringLength());
  return id.find('-') != std::string::npos;
}

}  // namespace

LayoutRegistry& LayoutRegistry::instance() {
  // Made with new and never deleted: the previews stay valid for every caller until the process ends.
  static LayoutRegistry* registry = new LayoutRegistry(joinTemplateText());
  return *registry;
}

LayoutRegistry::LayoutRegistry(const std::string& text) {
  if (!ParseOwnJson(&document, text.c_str(), text.size()) || !document.IsArray()) return;

  const LayoutSize previewSize{kLayoutPreviewSize, kLayoutPreviewSize};
  const rapidjson::SizeType count = document.Size();
  for (rapidjson::SizeType position = 0; position < count; ++position) {
    const JsonValue& element = document[position];
    std::string id;
    if (!element.IsObject() || !ListedId(element, id)) continue;
    CheckLeadingInt(id.substr(0, id.find('-')));
    // The list index, not the document position, numbers the preview: it is what "Layouts" selects.
    const auto listIndex = static_cast<int32_t>(layoutIds.size());
    auto preview = std::make_unique<GridLayoutModel>(element, previewSize, listIndex);
    layoutIds.push_back({std::move(id), static_cast<int32_t>(position)});
    previews.push_back(std::move(preview));
  }
}

LayoutRegistry::~LayoutRegistry() = default;

const std::string& LayoutRegistry::joinTemplateText() {
  static std::once_flag joined;
  std::call_once(joined, [] {
    std::string& text = TemplateText();
    text.reserve(kLayoutTemplateTextBytes);
    for (const char* piece : kLayoutTemplatePieces) text.append(piece);
  });
  return TemplateText();
}

void LayoutRegistry::destroyTemplateText() {
  std::string().swap(TemplateText());
}

const JsonValue* LayoutRegistry::templateAt(std::size_t listIndex) const {
  if (listIndex >= layoutIds.size()) return nullptr;
  return &document[static_cast<rapidjson::SizeType>(layoutIds[listIndex].position)];
}

}  // namespace Orvane::Mosaira
