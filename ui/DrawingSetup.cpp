#include "ui/DrawingSetup.h"

#include <cstdio>

namespace Orvane::Mosaira {
namespace {

void ReportMissingSuite(PF_OutData* outData, const char* name, A_long version) {
  if (!outData) return;
  outData->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  std::snprintf(outData->return_msg, sizeof(outData->return_msg),
                "Not able to acquire AEFX Suite-%s-%d", name, static_cast<int>(version));
}

void Release(const PF_InData* inData, const char* name, A_long version, void* suite) {
  if (suite) inData->pica_basicP->ReleaseSuite(name, version);
}

template <typename Suite>
PF_Err AcquireInto(const PF_InData* inData, PF_OutData* outData, const char* name, A_long version,
                   Suite** slot) {
  const void* table = nullptr;
  const PF_Err err = AEFX_AcquireSuite(inData, outData, name, version, &table);
  *slot = static_cast<Suite*>(const_cast<void*>(table));
  return err;
}

}  // namespace

PF_Err AEFX_AcquireSuite(const PF_InData* inData, PF_OutData* outData, const char* name,
                         A_long version, const void** suite) {
  *suite = nullptr;
  SPBasicSuite* basic = inData ? inData->pica_basicP : nullptr;
  if (basic && basic->AcquireSuite && basic->ReleaseSuite &&
      basic->AcquireSuite(name, version, suite) == A_Err_NONE) {
    if (*suite) return PF_Err_NONE;
    basic->ReleaseSuite(name, version);  // acquired but unusable: keep the count paired
  }
  *suite = nullptr;
  ReportMissingSuite(outData, name, version);
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_AcquireDrawbotSuites(const PF_InData* inData, PF_OutData* outData,
                                 DRAWBOT_Suites* suites) {
  *suites = DRAWBOT_Suites{};
  PF_Err err = AcquireInto(inData, outData, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1,
                           &suites->drawbot_suiteP);
  if (!err) {
    err = AcquireInto(inData, outData, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1,
                      &suites->supplier_suiteP);
  }
  if (!err) {
    err = AcquireInto(inData, outData, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2,
                      &suites->surface_suiteP);
  }
  if (!err) {
    err = AcquireInto(inData, outData, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1,
                      &suites->path_suiteP);
  }
  return err;
}

void AEFX_ReleaseDrawbotSuites(const PF_InData* inData, DRAWBOT_Suites* suites) noexcept {
  Release(inData, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, suites->drawbot_suiteP);
  Release(inData, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, suites->supplier_suiteP);
  Release(inData, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, suites->surface_suiteP);
  Release(inData, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, suites->path_suiteP);
  *suites = DRAWBOT_Suites{};
}

DrawingSession::DrawingSession(const PF_InData* inData, PF_OutData* outData,
                               const PF_EventExtra& extra)
    : drawbot_(inData, outData) {
  if (drawbot_.error() != PF_Err_NONE) return;
  customUi_ = std::make_unique<ScopedSuite<PF_EffectCustomUISuite1>>(
      inData, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
  if (!(*customUi_)->PF_GetDrawingReference) throw kMissingSuiteError;
  referenceError_ = (*customUi_)->PF_GetDrawingReference(extra.contextH, &drawRef_);
  if (referenceError_ != PF_Err_NONE) drawRef_ = nullptr;
}

}  // namespace Orvane::Mosaira
