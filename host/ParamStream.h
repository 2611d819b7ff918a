// One parameter of one effect instance as the host keeps it: the definition the effect added, the
// static value, keyframes, the dynamic HIDDEN flag and the collapse flag of its twirl.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdk/aegp_suites.h"
#include "sdk/pf_params.h"

namespace Orvane::Mosaira {

// A point in time as the host passes it: `value` units of 1/`scale` seconds.
struct HostTime {
  A_long value = 0;
  A_u_long scale = 30;
  double Seconds() const { return scale == 0 ? 0.0 : double(value) / double(scale); }
};

struct Keyframe {
  double seconds = 0.0;
  PF_ParamDefUnion value{};
};

class ParamStream {
 public:
  ParamStream() = default;
  // A stream for a definition as added: the static value is the definition's own, HIDDEN is
  // seeded from PF_PUI_INVISIBLE and the collapse flag from PF_ParamFlag_COLLAPSE_TWIRLY.
  explicit ParamStream(const PF_ParamDef& def);

  const PF_ParamDef& Definition() const { return def_; }
  PF_ParamType Type() const { return def_.param_type; }

  // The value at time `seconds`: the static value without keyframes; with keyframes, the first
  // before the first, the last after the last, linear between two for sliders and points (points
  // rounded to the nearest 16.16 step), otherwise the earlier one held.
  PF_ParamDefUnion ValueAt(double seconds) const;
  const PF_ParamDefUnion& StaticValue() const { return value_; }

  // Takes the value fields of `value` for this stream's type (nothing else of the union). With
  // keyframes, the keyframe at `seconds` is set (made when absent); otherwise the static value.
  void SetValue(const PF_ParamDefUnion& value, double seconds);
  // True when `a` and `b` hold different values for this stream's type.
  bool Differs(const PF_ParamDefUnion& a, const PF_ParamDefUnion& b) const;

  // The definition as handed to the effect in a command: the definition with the value at
  // `seconds` and a cleared id / change-flag word.
  PF_ParamDef ForCommand(double seconds) const;
  // Scales a point value by a downsampling factor (num/den per axis); other types unchanged.
  static void ScalePoint(PF_ParamDef* def, PF_RationalScale x, PF_RationalScale y);

  // Keyframes in time order. AddKeyframe replaces one at the same time.
  void AddKeyframe(double seconds, const PF_ParamDefUnion& value);
  bool DeleteKeyframe(size_t index);
  const std::vector<Keyframe>& Keyframes() const { return keyframes_; }

  AEGP_DynStreamFlags DynamicFlags() const { return dynFlags_; }
  void SetDynamicFlag(AEGP_DynStreamFlags flag, bool set);
  bool Hidden() const { return (dynFlags_ & AEGP_DynStreamFlag_HIDDEN) != 0; }
  bool Collapsed() const { return collapsed_; }

  // The user-interface fields PF_UpdateParamUI may change: flags, ui_flags and name. The value,
  // type and dynamic flags stay.
  void UpdateUi(const PF_ParamDef& from);

  // For a project read back: replaces the pieces one by one.
  void RestoreState(const PF_ParamDefUnion& value, std::vector<Keyframe> keyframes,
                    AEGP_DynStreamFlags dynFlags, bool collapsed, PF_ParamFlags flags,
                    PF_ParamUIFlags uiFlags);

 private:
  PF_ParamDef def_{};
  PF_ParamDefUnion value_{};
  std::vector<Keyframe> keyframes_;
  AEGP_DynStreamFlags dynFlags_ = 0;
  bool collapsed_ = false;
};

// Copies the value fields of `from` for parameter type `type` into `to`, leaving ranges and
// defaults of `to` alone.
void CopyValueFields(PF_ParamType type, const PF_ParamDefUnion& from, PF_ParamDefUnion* to);

}  // namespace Orvane::Mosaira
