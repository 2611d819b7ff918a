#include "host/ParamStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Orvane::Mosaira {
namespace {

PF_Fixed LerpFixed(PF_Fixed a, PF_Fixed b, double t) {
  const double v = std::round(double(a) + (double(b) - double(a)) * t);
  return PF_Fixed(std::clamp(v, double(std::numeric_limits<PF_Fixed>::min()),
                             double(std::numeric_limits<PF_Fixed>::max())));
}

PF_Fixed ScaleFixed(PF_Fixed v, PF_RationalScale s) {
  // A zero denominator is no scale the host could mean; keep the value as it is.
  if (s.den == 0) return v;
  const double scaled = std::round(double(v) * double(s.num) / double(s.den));
  return PF_Fixed(std::clamp(scaled, double(std::numeric_limits<PF_Fixed>::min()),
                             double(std::numeric_limits<PF_Fixed>::max())));
}

}  // namespace

void CopyValueFields(PF_ParamType type, const PF_ParamDefUnion& from, PF_ParamDefUnion* to) {
  switch (type) {
    case PF_Param_FLOAT_SLIDER: to->fs_d.value = from.fs_d.value; break;
    case PF_Param_POINT:
      to->td.x_value = from.td.x_value;
      to->td.y_value = from.td.y_value;
      break;
    case PF_Param_POPUP: to->pd.value = from.pd.value; break;
    default: break;  // layers and groups carry no value of their own here
  }
}

ParamStream::ParamStream(const PF_ParamDef& def) : def_(def), value_(def.u) {
  def_.uu.id = def.uu.id;
  if (def.ui_flags & PF_PUI_INVISIBLE) dynFlags_ |= AEGP_DynStreamFlag_HIDDEN;
  collapsed_ = (def.flags & PF_ParamFlag_COLLAPSE_TWIRLY) != 0;
}

PF_ParamDefUnion ParamStream::ValueAt(double seconds) const {
  if (keyframes_.empty()) return value_;
  if (seconds <= keyframes_.front().seconds) return keyframes_.front().value;
  if (seconds >= keyframes_.back().seconds) return keyframes_.back().value;
  auto next = std::upper_bound(keyframes_.begin(), keyframes_.end(), seconds,
                               [](double s, const Keyframe& k) { return s < k.seconds; });
  const Keyframe& b = *next;
  const Keyframe& a = *(next - 1);
  PF_ParamDefUnion out = a.value;
  const double t = (seconds - a.seconds) / (b.seconds - a.seconds);
  if (Type() == PF_Param_FLOAT_SLIDER) {
    out.fs_d.value = a.value.fs_d.value + (b.value.fs_d.value - a.value.fs_d.value) * t;
  } else if (Type() == PF_Param_POINT) {
    out.td.x_value = LerpFixed(a.value.td.x_value, b.value.td.x_value, t);
    out.td.y_value = LerpFixed(a.value.td.y_value, b.value.td.y_value, t);
  }
  return out;
}

void ParamStream::SetValue(const PF_ParamDefUnion& value, double seconds) {
  if (keyframes_.empty()) {
    CopyValueFields(Type(), value, &value_);
    return;
  }
  PF_ParamDefUnion v = ValueAt(seconds);
  CopyValueFields(Type(), value, &v);
  AddKeyframe(seconds, v);
}

bool ParamStream::Differs(const PF_ParamDefUnion& a, const PF_ParamDefUnion& b) const {
  switch (Type()) {
    case PF_Param_FLOAT_SLIDER:
      // Bitwise, so that a NaN written by the effect counts as a change once, not forever.
      return std::memcmp(&a.fs_d.value, &b.fs_d.value, sizeof(double)) != 0;
    case PF_Param_POINT: return a.td.x_value != b.td.x_value || a.td.y_value != b.td.y_value;
    case PF_Param_POPUP: return a.pd.value != b.pd.value;
    default: return false;
  }
}

PF_ParamDef ParamStream::ForCommand(double seconds) const {
  PF_ParamDef out = def_;
  out.u = def_.u;
  CopyValueFields(Type(), ValueAt(seconds), &out.u);
  out.uu.change_flags = 0;
  return out;
}

void ParamStream::ScalePoint(PF_ParamDef* def, PF_RationalScale x, PF_RationalScale y) {
  if (def->param_type != PF_Param_POINT) return;
  def->u.td.x_value = ScaleFixed(def->u.td.x_value, x);
  def->u.td.y_value = ScaleFixed(def->u.td.y_value, y);
}

void ParamStream::AddKeyframe(double seconds, const PF_ParamDefUnion& value) {
  Keyframe k;
  k.seconds = seconds;
  k.value = def_.u;
  CopyValueFields(Type(), value, &k.value);
  auto it = std::lower_bound(keyframes_.begin(), keyframes_.end(), seconds,
                             [](const Keyframe& e, double s) { return e.seconds < s; });
  if (it != keyframes_.end() && it->seconds == seconds) {
    *it = k;
  } else {
    keyframes_.insert(it, k);
  }
}

bool ParamStream::DeleteKeyframe(size_t index) {
  if (index >= keyframes_.size()) return false;
  // The last keyframe's value stays as the static value, as a host does when animation is removed.
  if (keyframes_.size() == 1) value_ = keyframes_.front().value;
  keyframes_.erase(keyframes_.begin() + std::ptrdiff_t(index));
  return true;
}

void ParamStream::SetDynamicFlag(AEGP_DynStreamFlags flag, bool set) {
  dynFlags_ = set ? (dynFlags_ | flag) : (dynFlags_ & ~flag);
}

void ParamStream::UpdateUi(const PF_ParamDef& from) {
  def_.flags = from.flags;
  def_.ui_flags = from.ui_flags;
  std::memcpy(def_.name, from.name, sizeof def_.name);
  def_.name[sizeof def_.name - 1] = '\0';
  collapsed_ = (from.flags & PF_ParamFlag_COLLAPSE_TWIRLY) != 0;
}

void ParamStream::RestoreState(const PF_ParamDefUnion& value, std::vector<Keyframe> keyframes,
                               AEGP_DynStreamFlags dynFlags, bool collapsed, PF_ParamFlags flags,
                               PF_ParamUIFlags uiFlags) {
  CopyValueFields(Type(), value, &value_);
  keyframes_.clear();
  for (const Keyframe& k : keyframes) AddKeyframe(k.seconds, k.value);
  dynFlags_ = dynFlags;
  collapsed_ = collapsed;
  def_.flags = flags;
  def_.ui_flags = uiFlags;
}

}  // namespace Orvane::Mosaira
