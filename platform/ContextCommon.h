// What the EGL and WGL branches of GlContext share: binding handles, the per-thread selected
// handle and the one-shot fault of the tests. Internal to platform/.
#pragma once

#include "platform/GlContext.h"
#include "platform/GlContextTesting.h"

namespace Orvane::Mosaira::Platform::detail {

// A handle never given before in this process; never 0.
BindingHandle NewHandle();

// True (and the fault consumed) when a test asked the next creation to fail at `step`.
bool Faulted(ContextStep step);

// Records `handle` as the calling thread's selected context after it was made current, and
// selects it in glbinding when glbinding knows it (`initialized`); otherwise nothing counts as
// selected.
void SelectAfterMakeCurrent(BindingHandle handle, bool initialized) noexcept;

}  // namespace Orvane::Mosaira::Platform::detail
