// The library's only export and its property resource.
#include "effect/Dispatch.h"
#include "effect/PiplBytes.h"

namespace Orvane::Mosaira {

// The resource bytes in their own ELF section, kept although nothing refers to them.
extern const std::array<uint8_t, kPiplSize> kPiplSection;
__attribute__((section(".pipl"), used)) const std::array<uint8_t, kPiplSize> kPiplSection =
    kPiplBytes;

}  // namespace Orvane::Mosaira

extern "C" __attribute__((visibility("default"))) PF_Err EntryPointFunc(
    PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
    PF_LayerDef* output, void* extra) {
  return Orvane::Mosaira::DispatchCommand(cmd, in_data, out_data, params, output, extra);
}
