// Writes a contact sheet of every built-in preview, as the registry holds it, to an SVG file:
// frames filled and numbered, sliding points red, crossing points green, move buttons as bars.
// Usage: tiletta_registry_sheet OUT.svg
#include <cstdio>
#include <fstream>
#include <string>

#include "layout/LayoutRegistry.h"

namespace Orvane::Mosaira {
namespace {

constexpr int kScale = 2;
constexpr int kColumns = 13;
constexpr int kCell = kLayoutPreviewSize * kScale + 30;
const char* const kFills[] = {"#2b88cd", "#e07a5f", "#81b29a", "#f2cc8f", "#6d597a",
                              "#3d405b", "#e5989b", "#8ecae6", "#b5838d"};

std::string Place(const GridLayoutModel& layout, const std::string& id, int ox, int oy) {
  const PointModel* p = layout.findPointCopy(id);
  const PointPosition pos = p != nullptr ? p->getPosition() : PointPosition{};
  return std::to_string(ox + pos.x * kScale) + "," + std::to_string(oy + pos.y * kScale);
}

void WritePreview(std::ofstream& out, const GridLayoutModel& layout, int ox, int oy) {
  out << "<text x=\"" << ox << "\" y=\"" << oy - 5 << "\" font-size=\"12\">" << layout.id << "</text>\n";
  int k = 0;
  for (const auto& frame : layout.frames) {
    out << "<polygon fill=\"" << kFills[k++ % 9] << "\" fill-opacity=\"0.6\" stroke=\"#222\" points=\"";
    for (const std::string& id : frame->polygon) out << Place(layout, id, ox, oy) << " ";
    out << "\"/>\n";
  }
  for (const auto& [id, point] : layout.pointCopies) {
    if (point->kind == PointKind::kAbsolute) continue;
    const PointPosition pos = point->getPosition();
    out << "<circle r=\"2.5\" fill=\"" << (point->kind == PointKind::kSlider ? "#d00" : "#090") << "\" cx=\""
        << ox + pos.x * kScale << "\" cy=\"" << oy + pos.y * kScale << "\"/>\n";
  }
  for (const auto& [id, button] : layout.moveButtons) {
    out << "<polyline stroke=\"#000\" stroke-width=\"3\" points=\"" << Place(layout, button->displayPoints[0], ox, oy)
        << " " << Place(layout, button->displayPoints[1], ox, oy) << "\"/>\n";
  }
}

int Run(const char* path) {
  const LayoutRegistry& registry = LayoutRegistry::instance();
  const int rows = static_cast<int>((registry.previews.size() + kColumns - 1) / kColumns);
  std::ofstream out(path);
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kColumns * kCell + 20 << "\" height=\""
      << rows * kCell + 20 << "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  for (std::size_t i = 0; i < registry.previews.size(); ++i) {
    const int col = static_cast<int>(i) % kColumns;
    const int row = static_cast<int>(i) / kColumns;
    WritePreview(out, *registry.previews[i], 20 + col * kCell, 30 + row * kCell);
  }
  out << "</svg>\n";
  out.close();
  if (!out || registry.previews.empty()) {
    std::fprintf(stderr, "could not write %s\n", path);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace Orvane::Mosaira

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.svg\n", argv[0]);
    return 2;
  }
  return Orvane::Mosaira::Run(argv[1]);
}
