#include "effect/GlobalSetup.h"

#include <atomic>

#include "effect/SequenceData.h"
#include "sdk/HostCalls.h"
#include "render/Renderer.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {
namespace {

std::atomic<AEGP_PluginID> gAegpPluginId{0};

constexpr char kAboutFormat[] = "%s, v%d.%d\r%s";
constexpr char kAboutDescription[] =
    "Tiletta creates the Tiletta effect: up to nine layers arranged in a layout of polygonal "
    "frames.";
constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;

void DisposeGiven(const PF_InData* inData, PF_Handle handle) {
  const PF_UtilCallbacks* utils = inData->utils;
  if (!handle || !utils || !utils->host_dispose_handle) return;
  utils->host_dispose_handle(handle);
}

}  // namespace

AEGP_PluginID AegpPluginId() {
  return gAegpPluginId.load();
}

void HandleAbout(PF_InData* inData, PF_OutData* outData) {
  ScopedSuite<PF_ANSICallbacksSuite1> ansi(inData, kPFANSISuite, kPFANSISuiteVersion1);
  ansi->sprintf(outData->return_msg, kAboutFormat, kEffectName, kMajorVersion, kMinorVersion,
                kAboutDescription);
}

PF_Err HandleGlobalSetup(PF_InData* inData, PF_OutData* outData) {
  outData->my_version = kEffectVersion;
  outData->out_flags = kGlobalOutFlags;
  outData->out_flags2 = kGlobalOutFlags2;

  ScopedSuite<AEGP_UtilitySuite11> utility(inData, kAEGPUtilitySuite, kAEGPUtilitySuiteVersion11);
  AEGP_PluginID id = 0;
  // The registration's result is not needed to go on: the id stays 0 when it fails.
  utility->AEGP_RegisterWithAEGP(nullptr, kEffectMatchName, &id);
  gAegpPluginId.store(id);

  RenderGlobalSetup();
  return PF_Err_NONE;
}

PF_Err GlobalSetdown(PF_InData* inData, PF_OutData* outData) noexcept {
  RenderGlobalSetdown();
  if (!inData) return PF_Err_NONE;
  if (PF_Handle sequence = inData->sequence_data) {
    // A live record owns its layout: release it before its memory goes.
    DestroyLiveRecord(FindLiveRecord(inData));
    DisposeGiven(inData, sequence);
  }
  DisposeGiven(inData, inData->global_data);
  if (outData) {
    outData->sequence_data = nullptr;
    outData->global_data = nullptr;
  }
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
