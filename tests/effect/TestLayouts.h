// Layouts for tests, in the layout JSON format.
#pragma once

#include <memory>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira::testing {

// Three frames: a top band over two bottom frames split at sliding point P7 on vector V1.
inline constexpr char kLayout31Json[] = R"({
  "frames": [
    {"id": "F1", "polygon": ["LEFT_TOP", "RIGHT_TOP", "P6", "P5"]},
    {"id": "F2", "polygon": ["P5", "P7", "P8", "LEFT_BOTTOM"]},
    {"id": "F3", "polygon": ["P7", "P6", "RIGHT_BOTTOM", "P8"]}
  ],
  "id": "3-1",
  "moveButtons": [
    {"direction": "UP_DOWN", "displayPoints": ["P5", "P6"], "id": "B1", "moveWith": []},
    {"direction": "LEFT_RIGHT", "displayPoints": ["P7", "P8"], "id": "B2", "moveWith": []}
  ],
  "points": [
    {"id": "P5", "x": 0, "y": 0.5},
    {"id": "P6", "x": 1, "y": 0.5},
    {"id": "P7", "scalar": 0.5, "vector": "V1"},
    {"id": "P8", "x": 0.5, "y": 1}
  ],
  "vectors": [{"end": "P6", "id": "V1", "start": "P5"}]
})";

std::unique_ptr<GridLayoutModel> MakeLayout(const char* json, double width, double height,
                                            int32_t index);

// Makes an empty live record for `in` (through sequence set-up) and gives it `layout`.
void InstallLayout(PF_InData& in, PF_OutData& out, std::unique_ptr<GridLayoutModel> layout);

}  // namespace Orvane::Mosaira::testing
