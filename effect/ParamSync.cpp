#include "effect/ParamSync.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "effect/GlobalSetup.h"
#include "effect/ParamIndices.h"
#include "effect/SequenceData.h"
#include "sdk/HostCalls.h"
#include "sdk/aegp_suites.h"
#include "ui/FixedPoint.h"

namespace Orvane::Mosaira {
namespace {

constexpr double kFixedOne = 65536.0;
constexpr double kFixedToPixels = 1.0 / kFixedOne;  // exactly 1.52587890625e-5

size_t Limit(size_t count, int32_t max) {
  return std::min(count, static_cast<size_t>(max));
}

// Layout pixels per parameter pixel on each axis: 1 when the parameters hold the layout's own
// pixels (no recorded size), else the layout's size over the size they were written at.
struct ParamScale {
  double x = 1.0, y = 1.0;
};

ParamScale ScaleOfParams(const GridLayoutModel& layout, LayoutSize paramsSize) {
  if (paramsSize.width <= 0.0 || paramsSize.height <= 0.0) return {};
  return {layout.width / paramsSize.width, layout.height / paramsSize.height};
}

void SyncPoint(PF_InData* inData, GridLayoutModel& layout, ParamScale scale, size_t i) {
  CheckedOutParam param(inData, kParamPointFirst + static_cast<int32_t>(i));
  if (!param.ok()) return;
  const std::string& id = layout.pointIds[i];
  PointModel* copy = layout.findPointCopy(id);
  if (!copy) return;
  const PointPosition current = copy->getPosition();
  const double tx = FixedToLayerPixels(param.def().u.td.x_value, inData->downsample_x) * scale.x;
  const double ty = FixedToLayerPixels(param.def().u.td.y_value, inData->downsample_y) * scale.y;
  const double dx = tx - current.x;
  const double dy = ty - current.y;
  // A zero downsampling numerator gives no position; moving by it would poison the layout.
  if (!std::isfinite(dx) || !std::isfinite(dy)) return;
  layout.movePoint(id, dx, dy);
}

void SyncSlider(PF_InData* inData, GridLayoutModel& layout, size_t i) {
  CheckedOutParam param(inData, kParamSliderFirst + static_cast<int32_t>(i));
  if (!param.ok()) return;
  const double percent = param.def().u.fs_d.value / 100.0;
  if (!std::isfinite(percent) || std::fabs(percent) > std::numeric_limits<float>::max()) return;
  layout.setSliderScalar(layout.sliderIds[i], static_cast<float>(percent));
}

// A layer side as an integer when it is within kSideSnap of one (sizes at save time were whole
// pixels; the parameters carry them through 16.16 rounding).
constexpr double kSideSnap = 0.01;
// How far a point parameter may lie from the size found before the size is not trusted.
constexpr double kSizeAgreementPx = 0.5;
// The smallest fraction of the layout a point may sit at to tell its size.
constexpr double kTellingFraction = 0.25;

double SnapSide(double side) {
  const double whole = std::round(side);
  return std::fabs(side - whole) <= kSideSnap ? whole : side;
}

// A free point's parameter in layer pixels and its place in fractions of the layout's size.
struct PointSample {
  double px, py;
  double fx, fy;
};

std::vector<PointSample> SamplePoints(PF_InData* inData, const GridLayoutModel& layout) {
  std::vector<PointSample> samples;
  const size_t count = Limit(layout.pointIds.size(), kPointParamCount);
  for (size_t i = 0; i < count; ++i) {
    CheckedOutParam param(inData, kParamPointFirst + static_cast<int32_t>(i));
    const PointModel* copy = layout.findPointCopy(layout.pointIds[i]);
    if (!param.ok() || !copy) continue;
    const PointPosition pos = copy->getPosition();
    samples.push_back({FixedToLayerPixels(param.def().u.td.x_value, inData->downsample_x),
                       FixedToLayerPixels(param.def().u.td.y_value, inData->downsample_y),
                       pos.x / layout.width, pos.y / layout.height});
  }
  return samples;
}

// The side that most points far enough along the axis tell (parameter / fraction), the smaller of
// two told equally often; infinity when no point tells one. A point that the layout held on its
// far edge (a value typed beyond the layer) tells a larger side than the others.
double MostToldSide(const std::vector<PointSample>& samples, bool alongX) {
  std::vector<double> told;
  for (const PointSample& s : samples) {
    const double fraction = alongX ? s.fx : s.fy;
    if (fraction >= kTellingFraction) told.push_back((alongX ? s.px : s.py) / fraction);
  }
  double best = std::numeric_limits<double>::infinity();
  size_t bestCount = 0;
  for (double side : told) {
    const auto count = static_cast<size_t>(std::count_if(told.begin(), told.end(), [&](double other) {
      return std::fabs(other - side) <= kSideSnap;
    }));
    if (count > bestCount || (count == bestCount && side < best)) {
      best = side;
      bestCount = count;
    }
  }
  return best;
}

// Whether a point's parameter (`param`, layer pixels) and its place (`fraction`) agree on `side`:
// the parameter lies at the place, or beyond the edge that the place is on (the layout held it
// there).
bool AgreesOn(double param, double fraction, double side) {
  if (std::fabs(param - fraction * side) <= kSizeAgreementPx) return true;
  return (fraction >= 1.0 && param > side) || (fraction <= 0.0 && param < 0.0);
}

// The layout size the parameters were written for: the side most points tell on each axis, which
// every point must then agree with. False when the points do not agree on one size (keyframed
// points read at another time, parameters the user changed since), or tell none.
bool SizeOfParams(const std::vector<PointSample>& samples, LayoutSize* size) {
  const double width = MostToldSide(samples, true), height = MostToldSide(samples, false);
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0.0 || height <= 0.0) return false;
  size->width = SnapSide(width);
  size->height = SnapSide(height);
  for (const PointSample& s : samples) {
    if (!AgreesOn(s.px, s.fx, size->width) || !AgreesOn(s.py, s.fy, size->height)) return false;
  }
  return true;
}

// A layout rebuilt from saved text stands at the current layer size, its point parameters at the
// size the layer had when they were written: the record notes their size, so that reading them
// scales them to the layout's and the saved shape keeps its place in the layer.
void SettleParamsSize(PF_InData* inData, UnFlatSequenceData& record) {
  record.layoutSizeUnsettled = false;
  LayoutSize size;
  if (!SizeOfParams(SamplePoints(inData, *record.layout), &size)) return;
  if (size.width == record.layout->width && size.height == record.layout->height) return;
  record.pointParamsSize = size;
}

void UpdateUi(const PF_ParamUtilsSuite3& utils, PF_InData* inData, PF_ParamIndex index,
              const PF_ParamDef* def) {
  utils.PF_UpdateParamUI(inData->effect_ref, index, def);  // errors are not reported
}

// Whether any of the first `count` point parameters has keyframes. A host that cannot tell (a
// suite, the effect or a stream missing) is taken to have some: writing at the parameters' own
// size reads back right either way, while taking keyframes for absent would leave any there at a
// size nothing reads them at.
bool AnyPointKeyframed(const PF_InData* inData, size_t count) {
  try {
    const ScopedSuite<AEGP_PFInterfaceSuite1> pfInterface(inData, kAEGPPFInterfaceSuite,
                                                          kAEGPPFInterfaceSuiteVersion1);
    const ScopedSuite<AEGP_EffectSuite2> effects(inData, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
    const ScopedSuite<AEGP_StreamSuite7> streams(inData, kAEGPStreamSuite, kAEGPStreamSuiteVersion7);
    const ScopedSuite<AEGP_KeyframeSuite3> keys(inData, kAEGPKeyframeSuite, kAEGPKeyframeSuiteVersion3);
    AEGP_EffectRefH effect = nullptr;
    if (pfInterface->AEGP_GetNewEffectForEffect(0, inData->effect_ref, &effect) !=
            A_Err_NONE ||
        !effect) {
      return true;
    }
    bool any = false;
    for (size_t i = 0; i < count && !any; ++i) {
      AEGP_StreamRefH stream = nullptr;
      const PF_ParamIndex index = kParamPointFirst + static_cast<int32_t>(i);
      if (streams->AEGP_GetNewEffectStreamByIndex(AegpPluginId(), effect, index, &stream) !=
              A_Err_NONE ||
          !stream) {
        any = true;
        break;
      }
      A_long keyframes = 0;
      any = keys->AEGP_GetStreamNumKFs(stream, &keyframes) != A_Err_NONE || keyframes > 0;
      streams->AEGP_DisposeStream(stream);
    }
    effects->AEGP_DisposeEffect(effect);
    return any;
  } catch (int) {
    return true;
  }
}

// The size to write the point parameters at: the layout's own, unless they hold keyframes written
// at another layer size (`paramsSize`). Writing the value at one time changes one keyframe, and
// the others keep their size: all of them stay at it, and are read scaled.
ParamScale PushScale(const PF_InData* inData, const GridLayoutModel& layout, LayoutSize paramsSize) {
  const ParamScale read = ScaleOfParams(layout, paramsSize);
  if (read.x == 1.0 && read.y == 1.0) return read;
  if (!AnyPointKeyframed(inData, Limit(layout.pointIds.size(), kPointParamCount))) return {};
  return {1.0 / read.x, 1.0 / read.y};
}

void PushPoints(const PF_ParamUtilsSuite3& utils, PF_InData* inData,
                const GridLayoutModel& layout, ParamScale scale, PF_ParamDef* params[]) {
  const size_t count = Limit(layout.pointIds.size(), kPointParamCount);
  for (size_t i = 0; i < count; ++i) {
    const PF_ParamIndex index = kParamPointFirst + static_cast<int32_t>(i);
    PF_ParamDef* def = params[index];
    if (!def) continue;
    const PointModel* copy = layout.findPointCopy(layout.pointIds[i]);
    const PointPosition pos = copy ? copy->getPosition() : PointPosition{};
    def->u.td.x_value = PixelsToFixed(pos.x * scale.x);
    def->u.td.y_value = PixelsToFixed(pos.y * scale.y);
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    UpdateUi(utils, inData, index, def);
  }
}

void PushSliders(const PF_ParamUtilsSuite3& utils, PF_InData* inData,
                 const GridLayoutModel& layout, PF_ParamDef* params[]) {
  const size_t count = Limit(layout.sliderIds.size(), kSliderParamCount);
  for (size_t i = 0; i < count; ++i) {
    const PF_ParamIndex index = kParamSliderFirst + static_cast<int32_t>(i);
    PF_ParamDef* def = params[index];
    if (!def) continue;
    const PointModel* copy = layout.findPointCopy(layout.sliderIds[i]);
    const float percent = (copy ? copy->scalar : 0.0f) * 100.0f;  // single precision, then widened
    def->u.fs_d.value = static_cast<double>(percent);
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    UpdateUi(utils, inData, index, def);
  }
}

// The instance's live record when it holds a layout, else null.
UnFlatSequenceData* RecordWithLayout(PF_InData* inData) {
  UnFlatSequenceData* record = FindLiveRecord(inData);
  return record && record->layout ? record : nullptr;
}

}  // namespace

double FixedToLayerPixels(PF_Fixed value, const PF_RationalScale& downsample) {
  const float factor = static_cast<float>(downsample.den) / static_cast<float>(downsample.num);
  return static_cast<double>(factor) * (static_cast<double>(value) * kFixedToPixels);
}

void PushPointsToParams(PF_InData* inData, PF_ParamDef* params[]) {
  UnFlatSequenceData* record = RecordWithLayout(inData);
  if (!record || !params) return;
  const ParamScale scale = PushScale(inData, *record->layout, record->pointParamsSize);
  const ScopedSuite<PF_ParamUtilsSuite3> utils(inData, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
  PushPoints(utils.get(), inData, *record->layout, scale, params);
  record->layoutSizeUnsettled = false;
  // Parameters written at the layout's own pixels leave no other size to find or keep.
  if (scale.x == 1.0 && scale.y == 1.0) record->pointParamsSize = LayoutSize{};
}

void PushSlidersToParams(PF_InData* inData, PF_ParamDef* params[]) {
  UnFlatSequenceData* record = RecordWithLayout(inData);
  if (!record || !params) return;
  const ScopedSuite<PF_ParamUtilsSuite3> utils(inData, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
  PushSliders(utils.get(), inData, *record->layout, params);
}

GridLayoutModel* SyncLayoutFromParams(PF_InData* inData, UnFlatSequenceData& record,
                                      SyncMode mode) {
  GridLayoutModel* layout = record.LayoutFor(inData);
  if (!layout) return nullptr;
  if (mode == SyncMode::kSyncAll || mode == SyncMode::kSyncPoints) {
    if (record.layoutSizeUnsettled) SettleParamsSize(inData, record);
    const ParamScale scale = ScaleOfParams(*layout, record.pointParamsSize);
    const size_t count = Limit(layout->pointIds.size(), kPointParamCount);
    for (size_t i = 0; i < count; ++i) SyncPoint(inData, *layout, scale, i);
    layout->setSpacing(layout->spacing);  // "Edge Inset" is not read here: the spacing stays
  }
  if (mode == SyncMode::kSyncAll || mode == SyncMode::kSyncSliders) {
    const size_t count = Limit(layout->sliderIds.size(), kSliderParamCount);
    for (size_t i = 0; i < count; ++i) SyncSlider(inData, *layout, i);
    for (const auto& frame : layout->frames) frame->computeInset(layout->spacing);
  }
  return layout;
}

void ApplyEdgeInset(GridLayoutModel* layout, float spacing) {
  // Bit-equal spacings give equal insets; NaN never compares equal and is re-inset every time.
  if (layout == nullptr || layout->spacing == spacing) return;
  layout->setSpacing(spacing);
}

}  // namespace Orvane::Mosaira
