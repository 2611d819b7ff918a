// The simulated host's own OpenGL context: made current on the sending thread before every
// command, like a real host whose user interface draws with OpenGL, so that tests can prove the
// plug-in leaves it current again. Plugs into SimulatedHost through its command hook:
//
//   auto gl = HostGlContext::Create();
//   host.SetCommandHook(gl.get());
//   ... commands ...
//   EXPECT_TRUE(gl->CommandsThatChangedContext().empty());
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "host/SimulatedHost.h"
#include "platform/GlContext.h"

namespace Orvane::Mosaira {

class HostGlContext : public CommandHook {
 public:
  // Makes a driver-default context on the shared display (left current on the calling thread);
  // null when the driver offers none.
  static std::unique_ptr<HostGlContext> Create();

  HostGlContext(const HostGlContext&) = delete;
  HostGlContext& operator=(const HostGlContext&) = delete;

  // Makes the host's context current on the calling thread.
  void BeforeCommand(PF_Cmd cmd) noexcept override;

  // Records `cmd` when the host's context is no longer the current one.
  void AfterCommand(PF_Cmd cmd) noexcept override;

  // True when the host's context is current on the calling thread.
  bool IsCurrent() const noexcept;

  // Every command after which the host's context was not current, in order.
  std::vector<PF_Cmd> CommandsThatChangedContext() const;

  void* NativeContext() const noexcept { return context_->NativeContext(); }

 private:
  explicit HostGlContext(std::unique_ptr<Platform::GlContext> context) : context_(std::move(context)) {}

  std::unique_ptr<Platform::GlContext> context_;
  mutable std::mutex mutex_;
  std::vector<PF_Cmd> changedBy_;
};

}  // namespace Orvane::Mosaira
