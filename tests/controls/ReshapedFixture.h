// A reshaped layout to resize: "3-1" at 1920 x 1080 with button B2 dragged 100 px to the right
// (P7 and P8 at x = 1060), through the plug-in in the simulated host, and a scratch project file
// of this process's own to save it in.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

#include "host/ProjectFile.h"
#include "tests/controls/ControlsFixture.h"

namespace Orvane::Mosaira::Testing {

class ReshapedFixture : public ControlsFixture {
 protected:
  // `name` makes the project file's name.
  void StartReshaped(const std::string& name) {
    StartInstance(1920, 1080, "3-1");
    pointP6 = PointParamAt(1920, 540);
    pointP8 = PointParamAt(960, 1080);
    ASSERT_NE(pointP6, 0);
    ASSERT_NE(pointP8, 0);
    Drag({960, 810}, {1060, 860});  // B2 moves along x only
    path = ::testing::TempDir() + name + "_" + std::to_string(getpid()) + ".proj";
  }
  void TearDown() override {
    std::remove(path.c_str());
    ControlsFixture::TearDown();
  }

  // Saves the project and opens it again; with a width, the saved layer size is edited to
  // width x height before it is opened. The opened instance gets the fixture's layers.
  InstanceId SaveAndOpen(A_long width = 0, A_long height = 0) {
    std::string error;
    EXPECT_TRUE(host.SaveProject(path, &error)) << error;
    if (width > 0) {
      Project project;
      EXPECT_TRUE(ReadProjectFile(path, SimulatedHost::kMaxLayerSide, &project, &error)) << error;
      project.instances.at(0).width = width;
      project.instances.at(0).height = height;
      EXPECT_TRUE(WriteProjectFile(path, project, &error)) << error;
    }
    EXPECT_TRUE(host.OpenProject(path, &error)) << error;
    const InstanceId opened = host.Instances().back();
    UseLayers(opened);
    return opened;
  }

  PF_ParamIndex pointP6 = 0, pointP8 = 0;
  std::string path;
};

}  // namespace Orvane::Mosaira::Testing
