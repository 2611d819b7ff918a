// Keeps the plug-in library loaded for the whole test process, as a real host keeps an effect
// loaded until it quits. The simulated hosts of the tests each open and close it; without this pin
// every close would unload it and its process-wide singletons (never freed by design) would show
// up as leaks under LeakSanitizer.
#include <dlfcn.h>

#include "tests/effect/PluginFixture.h"

namespace Orvane::Mosaira::testing {
namespace {

const bool kPluginPinned = dlopen(kPluginPath, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE) != nullptr;

}  // namespace
}  // namespace Orvane::Mosaira::testing
