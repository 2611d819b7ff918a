// The renderer's whole transfer road driven through the simulated host: a small effect of the
// test's own sets the renderer up and down at the global commands and, at a command of an
// instance, uploads a host world, draws it through the layer stack and reads it back into
// another host world, with the host's own OpenGL context current around every command.
#include <glbinding/gl33core/gl.h>
#include <gtest/gtest.h>

#include <functional>

#include "host/HostGlContext.h"
#include "host/HostWorld.h"
#include "host/SimulatedHost.h"
#include "render/OpenGLContext.h"
#include "render/OpenglFboRenderer.h"
#include "render/PixelTransfer.h"
#include "render/RenderGlobals.h"
#include "tests/render/GlTestSupport.h"
#include "tests/support/HostWorldPixels.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

using Testing::Argb;
using Testing::GetArgb;
using Testing::SetArgb;
using Testing::WhiteOf;

std::function<void(PF_InData*)> job;

PF_Err FakeEntry(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef*[], PF_LayerDef*, void*) {
  try {
    switch (cmd) {
      case PF_Cmd_GLOBAL_SETUP:
        RenderGlobalSetup();
        break;
      case PF_Cmd_GLOBAL_SETDOWN:
        RenderGlobalSetdown();
        break;
      case PF_Cmd_PARAMS_SETUP:
        out->num_params = 1;
        break;
      case PF_Cmd_SEQUENCE_SETUP:
      case PF_Cmd_SEQUENCE_RESETUP:
        out->sequence_data = in->utils->host_new_handle(4);
        break;
      case PF_Cmd_SEQUENCE_SETDOWN:
        if (in->sequence_data != nullptr) in->utils->host_dispose_handle(in->sequence_data);
        out->sequence_data = nullptr;
        break;
      case PF_Cmd_UPDATE_PARAMS_UI:
        if (job) job(in);
        break;
      default:
        break;
    }
  } catch (PF_Err err) {
    return err;
  } catch (...) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return PF_Err_NONE;
}

PF_PixelFormat FormatOf(PF_InData* in, const PF_EffectWorld* world) {
  const void* table = nullptr;
  if (in->pica_basicP->AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &table) != 0) throw PF_Err{13};
  PF_PixelFormat format = PF_PixelFormat_INVALID;
  static_cast<const PF_WorldSuite2*>(table)->PF_GetPixelFormat(world, &format);
  in->pica_basicP->ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
  return format;
}

// Upload, one flip into the lower layer, composite through the output pass, read back: what a
// render does around its frame drawing.
void RenderRoad(PF_InData* in, HostWorld* layer, HostWorld* output) {
  ScopedHostContext host;
  Testing::AcquireThreadContext();
  PixelLayout layout;
  if (!PixelLayoutOf(FormatOf(in, output->World()), &layout)) throw PF_Err{PF_Err_BAD_CALLBACK_PARAM};
  OpenglFboRenderer& renderer = Testing::Globals().renderer;
  const auto w = static_cast<std::uint32_t>(layer->Width());
  const auto h = static_cast<std::uint32_t>(layer->Height());
  renderer.resize(w, h, layout.storage);
  GLuint texture = UploadLayerTexture(FormatOf(in, layer->World()), layer->World(), in);
  glViewport(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h));
  renderer.pushLayer(false);
  glDisable(GL_BLEND);
  // A 16-bit texture samples at half the scale (see PixelTransfer.h); the frame drawing scales it.
  Testing::Globals().flipQuad.draw(texture, layout.code == PF_PixelFormat_ARGB64 ? 1.0f / kMultiplier16Bit : 1.0f);
  glDeleteTextures(1, &texture);
  renderer.composite(layout.multiplier);
  DownloadOutputWorld(layer->Width(), layer->Height(), output->World(), in, layout.code,
                      layout.bytesPerPixel, layout.transferType);
}

class HostRenderRoad : public ::testing::TestWithParam<PF_PixelFormat> {
 protected:
  void SetUp() override {
    Testing::InstallGlErrorCheck();
    hostGl = HostGlContext::Create();
    ASSERT_NE(hostGl, nullptr);
    host.SetCommandHook(hostGl.get());
    host.UseEntryPoint(FakeEntry);
    id = host.AddInstance(3, 2);
    ASSERT_NE(id, kNoInstance);
  }
  void TearDown() override {
    job = nullptr;
    host.Shutdown();
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(hostGl->CommandsThatChangedContext().empty());
  }
  std::unique_ptr<HostGlContext> hostGl;
  SimulatedHost host;
  InstanceId id = kNoInstance;
};

// Alpha-first input (A, R, G, B) with B at white comes out as (white, A, R, G), rows upside
// down: the channel order is the frame drawing's to map, the row order the flip pass's.
TEST_P(HostRenderRoad, KnownColoursComeBackThroughTheOutputPass) {
  const PF_PixelFormat format = GetParam();
  HostWorld layer(3, 2, format, 12);
  HostWorld output(3, 2, format, 12);
  const float white = WhiteOf(format);
  for (A_long y = 0; y < 2; ++y) {
    for (A_long x = 0; x < 3; ++x) {
      if (format == PF_PixelFormat_ARGB32) SetArgb(layer, x, y, {10.0f + x, 100.0f + y, 200, white});
      if (format == PF_PixelFormat_ARGB64) SetArgb(layer, x, y, {1000.0f * x + 1, 32768.0f - y, 12345, white});
      if (format == PF_PixelFormat_ARGB128) SetArgb(layer, x, y, {0.5f * x, 2.5f + y, -0.0f, white});
    }
  }
  PF_Err err = PF_Err_NONE;
  job = [&](PF_InData* in) {
    try {
      RenderRoad(in, &layer, &output);
    } catch (PF_Err e) {
      err = e;
    }
  };
  EXPECT_EQ(host.Send(id, PF_Cmd_UPDATE_PARAMS_UI), PF_Err_NONE);
  ASSERT_EQ(err, PF_Err_NONE);
  for (A_long y = 0; y < 2; ++y) {
    for (A_long x = 0; x < 3; ++x) {
      const Argb in = GetArgb(layer, x, y);
      const Argb want = {white, in[0], in[1], in[2]};
      const Argb got = GetArgb(output, x, 1 - y);
      // Linear sampling at pixel centres may carry a few units in the last place of a float.
      for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(got[c], want[c]) << x << "," << y << " channel " << c;
    }
  }
  EXPECT_TRUE(output.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, HostRenderRoad,
                         ::testing::Values(PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128));

TEST_P(HostRenderRoad, UnknownOutputFormatFailsWithoutWriting) {
  HostWorld layer(3, 2, GetParam(), 12);
  HostWorld output(3, 2, PF_PixelFormat_INVALID, 12);
  PF_Err err = PF_Err_NONE;
  job = [&](PF_InData* in) {
    ScopedHostContext host;
    Testing::AcquireThreadContext();
    try {
      DownloadOutputWorld(3, 2, output.World(), in, FormatOf(in, output.World()), 4,
                          GL_UNSIGNED_BYTE);
    } catch (PF_Err e) {
      err = e;
    }
  };
  host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace Orvane::Mosaira
