// What the front end reads of the plug-in's flattened sequence data: whether an instance holds a
// layout, and which. The plug-in drops a stored layout it cannot rebuild; saving the instance
// afterwards would erase the layout from the project, so the front end compares what the project
// stored with what the opened instance holds before it does anything else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ProjectFile.h"
#include "host/SimulatedHost.h"
#include "layout/LayoutJson.h"
#include "layout/LayoutGeometry.h"

namespace Orvane::Mosaira::Cli {

// The layout of the instance as its flattened sequence data shows it (asked of the plug-in with
// PF_Cmd_GET_FLATTENED_SEQUENCE_DATA): its "id", "(unnamed)" for a layout without one; empty when
// the instance holds no layout. Throws RenderError when the plug-in cannot hand out the copy.
std::string HeldLayoutId(SimulatedHost& host, InstanceId id);

// Throws InputError naming `path` and what is damaged when `stored` (instance `number`, from 1, of
// the project) held a layout (in its sequence data, or chosen in "Layouts") and the instance
// opened from it, `id`, holds none, or holds it without some of its elements or without frames.
void CheckLayoutKept(SimulatedHost& host, InstanceId id, const ProjectInstance& stored, int number,
                     const std::string& path);

// Where a point coordinate (or a sliding point's "scalar") of the layout object `layout` cannot be
// used at `size`, as
// `points[2] ("P7") "x": 1e+308 is beyond what a layout can hold at 320x180`; empty when every
// coordinate reads.
std::string BadCoordinate(const JsonValue& layout, LayoutSize size);

}  // namespace Orvane::Mosaira::Cli
