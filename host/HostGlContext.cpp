#include "host/HostGlContext.h"

#include "platform/ContextState.h"

namespace Orvane::Mosaira {

std::unique_ptr<HostGlContext> HostGlContext::Create() {
  auto context = Platform::GlContext::Create(nullptr, Platform::ContextProfile::kDriverDefault);
  if (context == nullptr) return nullptr;
  return std::unique_ptr<HostGlContext>(new HostGlContext(std::move(context)));
}

void HostGlContext::BeforeCommand(PF_Cmd) noexcept { context_->MakeCurrent(); }

void HostGlContext::AfterCommand(PF_Cmd cmd) noexcept {
  if (IsCurrent()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  changedBy_.push_back(cmd);
}

bool HostGlContext::IsCurrent() const noexcept {
  return Platform::CurrentContextState().context == context_->NativeContext();
}

std::vector<PF_Cmd> HostGlContext::CommandsThatChangedContext() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return changedBy_;
}

}  // namespace Orvane::Mosaira
