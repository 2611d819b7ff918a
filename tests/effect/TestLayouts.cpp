#include "tests/effect/TestLayouts.h"

#include <rapidjson/document.h>

#include <stdexcept>

#include "effect/SequenceCommands.h"
#include "effect/SequenceData.h"

namespace Orvane::Mosaira::testing {

std::unique_ptr<GridLayoutModel> MakeLayout(const char* json, double width, double height,
                                            int32_t index) {
  rapidjson::Document doc;
  doc.Parse(json);
  if (doc.HasParseError()) throw std::runtime_error("test layout does not parse");
  return std::make_unique<GridLayoutModel>(doc, LayoutSize{width, height}, index);
}

void InstallLayout(PF_InData& in, PF_OutData& out, std::unique_ptr<GridLayoutModel> layout) {
  if (!in.sequence_data) {
    if (HandleSequenceSetup(&in, &out) != PF_Err_NONE) throw std::runtime_error("no record");
    in.sequence_data = out.sequence_data;
  }
  UnFlatSequenceData* record = FindLiveRecord(&in);
  if (!record) throw std::runtime_error("no live record");
  record->layout = std::move(layout);
}

}  // namespace Orvane::Mosaira::testing
