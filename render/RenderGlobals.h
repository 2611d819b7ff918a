// The renderer's process-wide OpenGL objects, made at global set-up and released at global set-down.
// The effect shell calls these two functions and nothing else of the renderer at those commands.
#pragma once

namespace Orvane::Mosaira {

// Makes the root OpenGL context and the process-wide passes of global set-up, with the calling
// thread's own context saved first and restored afterwards. When they exist already (set-up again
// without set-down), the old ones are released first and replaced. Throws (AESDK_OpenGL_Fault, or an
// integer host error) on failure, after releasing what it made and restoring the caller's context.
void RenderGlobalSetup();

// Releases every OpenGL object of the renderer, every per-thread context and the root context,
// restoring the caller's context afterwards. Safe when set-up never ran or failed; never throws.
void RenderGlobalSetdown() noexcept;

}  // namespace Orvane::Mosaira
