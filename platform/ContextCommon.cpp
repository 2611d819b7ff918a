#include "platform/ContextCommon.h"

#include <glbinding/Binding.h>

#include <atomic>

namespace Orvane::Mosaira::Platform {
namespace {

std::atomic<int> injectedFault{static_cast<int>(ContextStep::kNone)};
std::atomic<BindingHandle> contextsMade{0};
thread_local BindingHandle currentHandle = 0;

}  // namespace

namespace detail {

// glbinding's table of handles is one for the process, while every library linking this layer
// (the plug-in, a test, a tool) has a counter of its own: each copy starts its run of handles at
// a point scrambled from the address of its own counter, so the runs of two copies do not meet.
BindingHandle NewHandle() {
  const auto base = static_cast<BindingHandle>(reinterpret_cast<std::uintptr_t>(&contextsMade) *
                                               static_cast<std::uintptr_t>(0x9E3779B97F4A7C15ull));
  BindingHandle handle = 0;
  while (handle == 0) handle = base + contextsMade.fetch_add(1) + 1;
  return handle;
}

bool Faulted(ContextStep step) {
  int expected = static_cast<int>(step);
  return injectedFault.compare_exchange_strong(expected, static_cast<int>(ContextStep::kNone));
}

void SelectAfterMakeCurrent(BindingHandle handle, bool initialized) noexcept {
  if (!initialized) {
    currentHandle = 0;
    return;
  }
  currentHandle = handle;
  glbinding::Binding::useContext(handle);
}

}  // namespace detail

void InjectContextFault(ContextStep step) noexcept { injectedFault.store(static_cast<int>(step)); }

BindingHandle CurrentBindingHandle() noexcept { return currentHandle; }

void ForgetCurrentBindingHandle() noexcept { currentHandle = 0; }

void GlContext::InitializeBinding() const {
  glbinding::Binding::initialize(handle_, true, false);
  glbinding::Binding::useContext(handle_);
  initialized_.store(true);
  currentHandle = handle_;
}

}  // namespace Orvane::Mosaira::Platform
