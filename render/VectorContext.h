// The process-wide vector-drawing context and the lock that gives one render at a time the
// renderer's process-wide objects.
//
// The framebuffer renderer, the flip pass and the vector-drawing context each hold the state of
// one render, and glbinding's per-context set-up is not safe against GL calls on other threads.
// Every render holds RenderLock() around its whole OpenGL work: from before its thread's context
// is fetched or made until the host's context is current again. Global set-up and set-down take
// it too.
#pragma once

#include <mutex>

struct NVGcontext;

namespace Orvane::Mosaira {

// The lock of all OpenGL work of the renderer; made on first use and never destroyed.
std::mutex& RenderLock() noexcept;

// The vector-drawing context of every render, or null outside set-up .. set-down and when it
// could not be made.
NVGcontext* VectorContext() noexcept;

// Makes the vector-drawing context on the OpenGL 3 back end with edge anti-aliasing. The root
// context must be current. Returns false (and keeps no context) when it cannot be made; a
// context made earlier is deleted first.
bool CreateVectorContext() noexcept;

// Makes the next CreateVectorContext fail as if the back end could not be made (one shot). For
// tests of global set-up's failure path.
void InjectVectorContextFault() noexcept;

// Deletes the vector-drawing context and its OpenGL objects; a context of its share group must
// be current. Does nothing without one.
void DeleteVectorContext() noexcept;

}  // namespace Orvane::Mosaira
