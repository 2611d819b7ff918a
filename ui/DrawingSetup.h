// The drawing set-up of one draw event: the four Drawbot suites, the "PF Effect Custom UI Suite"
// and the event's drawing reference, held for the length of the handler and released on every
// way out.
#pragma once

#include <memory>

#include "sdk/HostCalls.h"
#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

// Acquires one suite without throwing. On failure (refused, or a null table, which is given back)
// *suite stays null, PF_OutFlag_DISPLAY_ERROR_MESSAGE is set in out_data (when given) with
// "Not able to acquire AEFX Suite-<name>-<version>" as its message, and the result is
// PF_Err_BAD_CALLBACK_PARAM.
PF_Err AEFX_AcquireSuite(const PF_InData* inData, PF_OutData* outData, const char* name,
                         A_long version, const void** suite);

// Acquires the Draw, Supplier, Surface and Path suites in that order, stopping at the first that
// fails; returns that acquisition's error. The suites acquired stay in `suites`.
PF_Err AEFX_AcquireDrawbotSuites(const PF_InData* inData, PF_OutData* outData,
                                 DRAWBOT_Suites* suites);

// Releases every suite of `suites` that is not null and nulls it. Never throws.
void AEFX_ReleaseDrawbotSuites(const PF_InData* inData, DRAWBOT_Suites* suites) noexcept;

// The Drawbot suites of one handler, released by the destructor.
class ScopedDrawbotSuites {
 public:
  ScopedDrawbotSuites(const PF_InData* inData, PF_OutData* outData)
      : inData_(inData), error_(AEFX_AcquireDrawbotSuites(inData, outData, &suites_)) {}
  ~ScopedDrawbotSuites() { AEFX_ReleaseDrawbotSuites(inData_, &suites_); }
  ScopedDrawbotSuites(const ScopedDrawbotSuites&) = delete;
  ScopedDrawbotSuites& operator=(const ScopedDrawbotSuites&) = delete;

  PF_Err error() const { return error_; }
  const DRAWBOT_Suites& suites() const { return suites_; }

 private:
  const PF_InData* inData_;
  DRAWBOT_Suites suites_{};
  PF_Err error_;
};

// The whole set-up. Construction acquires the Drawbot suites; when they are all there, it acquires
// the Custom UI suite (throws A_Err_MISSING_SUITE when it is missing; the Drawbot suites are
// released as the exception passes) and asks it for the drawing reference of the event's window.
class DrawingSession {
 public:
  DrawingSession(const PF_InData* inData, PF_OutData* outData, const PF_EventExtra& extra);
  DrawingSession(const DrawingSession&) = delete;
  DrawingSession& operator=(const DrawingSession&) = delete;

  // The Drawbot acquisition error; the handler draws nothing and answers it.
  PF_Err suiteError() const { return drawbot_.error(); }
  // The error of PF_GetDrawingReference (0 while the suites are missing).
  PF_Err referenceError() const { return referenceError_; }
  // True when the suites are there and the reference is not null: drawing may start.
  bool CanDraw() const { return drawbot_.error() == PF_Err_NONE && drawRef_ != nullptr; }
  DRAWBOT_DrawRef drawRef() const { return drawRef_; }
  const DRAWBOT_Suites& suites() const { return drawbot_.suites(); }

 private:
  ScopedDrawbotSuites drawbot_;
  std::unique_ptr<ScopedSuite<PF_EffectCustomUISuite1>> customUi_;
  DRAWBOT_DrawRef drawRef_ = nullptr;
  PF_Err referenceError_ = PF_Err_NONE;
};

}  // namespace Orvane::Mosaira
