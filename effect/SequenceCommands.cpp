#include "effect/SequenceCommands.h"

#include <cstring>
#include <string>

#include "effect/SequenceData.h"
#include "sdk/HostCalls.h"

namespace Orvane::Mosaira {
namespace {

using HandleSuite = ScopedSuite<PF_HandleSuite2>;

HandleSuite AcquireHandleSuite(const PF_InData* inData) {
  return HandleSuite(inData, kPFHandleSuite, kPFHandleSuiteVersion2);
}

RecordKind Classify(const PF_HandleSuite2& suite, PF_Handle handle) {
  if (!handle) return RecordKind::kNone;
  return ClassifyRecord(*handle, suite.host_get_handle_size(handle));
}

// Makes a handle holding a live record, filled from `flatText` when given; null when the handle
// cannot be made or locked. The handle is returned unlocked; on an exception nothing is left.
PF_Handle NewLiveRecordHandle(const PF_HandleSuite2& suite, const std::string* flatText,
                              const PF_InData* inData) {
  OwnedHandle handle(suite, sizeof(UnFlatSequenceData));
  const ScopedHandleLock lock(suite, handle.get());
  if (!lock.bytes()) return nullptr;
  UnFlatSequenceData* live = CreateLiveRecord(lock.bytes());
  try {
    if (flatText) live->fromJson(inData, flatText->data(), flatText->size());
  } catch (...) {
    DestroyLiveRecord(live);
    throw;
  }
  return handle.Release();
}

// Writes the flat record of `text` into a new handle, handed back unlocked; null when it cannot
// be made or locked (nothing is left behind).
PF_Handle NewFlatRecordHandle(const PF_HandleSuite2& suite, const std::string& text) {
  OwnedHandle handle(suite, FlatSequenceData::RecordSize(text));
  const ScopedHandleLock lock(suite, handle.get());
  if (!lock.bytes()) return nullptr;
  FlatSequenceData::Write(lock.bytes(), text);
  return handle.Release();
}

// A byte copy of a whole handle, handed back unlocked; null when it cannot be made or locked.
PF_Handle CopyHandle(const PF_HandleSuite2& suite, PF_Handle source) {
  const uint64_t size = suite.host_get_handle_size(source);
  const ScopedHandleLock from(suite, source);
  if (!from.bytes()) return nullptr;
  OwnedHandle copy(suite, size);
  const ScopedHandleLock to(suite, copy.get());
  if (!to.bytes()) return nullptr;
  std::memcpy(to.bytes(), from.bytes(), size);
  return copy.Release();
}

// The flat record's text, bounded by the handle's end, in *text. False when the handle cannot be
// locked: the text is then unknown, which is not the same as an empty one.
bool FlatText(const PF_HandleSuite2& suite, PF_Handle handle, std::string* text) {
  const uint64_t size = suite.host_get_handle_size(handle);
  const ScopedHandleLock lock(suite, handle);
  if (!lock.bytes()) return false;
  text->clear();
  if (size <= FlatSequenceData::kHeaderSize) return true;
  const char* start = static_cast<const char*>(lock.bytes()) + FlatSequenceData::kHeaderSize;
  text->assign(start, strnlen(start, size - FlatSequenceData::kHeaderSize));
  return true;
}

}  // namespace

PF_Err HandleSequenceSetup(PF_InData* inData, PF_OutData* outData) {
  HandleSuite suite = AcquireHandleSuite(inData);
  PF_Handle handle = NewLiveRecordHandle(suite.get(), nullptr, inData);
  if (!handle) return PF_Err_OUT_OF_MEMORY;
  outData->sequence_data = handle;
  return PF_Err_NONE;
}

PF_Err SequenceResetup(PF_InData* inData, PF_OutData* outData) {
  if (!inData->sequence_data) return HandleSequenceSetup(inData, outData);
  PF_Handle old = inData->sequence_data;
  outData->sequence_data = old;
  // A live record goes back as it is, with no handle work: the handle suite is not needed.
  if (FindLiveRecord(inData)) return PF_Err_NONE;
  HandleSuite suite = AcquireHandleSuite(inData);
  const RecordKind kind = Classify(suite.get(), old);
  if (kind == RecordKind::kLive) return PF_Err_NONE;

  // A flat record that cannot be read stays as it is: replacing it by an empty live record would
  // throw the saved layout away. Bytes that are no record hold nothing to keep: the instance
  // starts afresh, or it would stay without a layout for good.
  std::string text;
  if (kind == RecordKind::kFlat && !FlatText(suite.get(), old, &text)) return PF_Err_NONE;
  PF_Handle fresh =
      NewLiveRecordHandle(suite.get(), kind == RecordKind::kFlat ? &text : nullptr, inData);
  if (!fresh) return PF_Err_NONE;  // the flat record stays the instance's data
  outData->sequence_data = fresh;
  suite->host_dispose_handle(old);
  inData->sequence_data = nullptr;
  return PF_Err_NONE;
}

PF_Err SequenceFlatten(PF_InData* inData, PF_OutData* outData) {
  if (!inData->sequence_data) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  HandleSuite suite = AcquireHandleSuite(inData);
  PF_Handle old = inData->sequence_data;
  const RecordKind kind = Classify(suite.get(), old);
  if (kind == RecordKind::kNone) return PF_Err_NONE;
  if (kind == RecordKind::kFlat) {
    outData->sequence_data = old;
    return PF_Err_NONE;
  }
  auto* live = static_cast<UnFlatSequenceData*>(*old);
  std::string text;
  live->toJson(text);
  PF_Handle flat = NewFlatRecordHandle(suite.get(), text);
  if (!flat) return PF_Err_INTERNAL_STRUCT_DAMAGED;  // the live record stays untouched
  outData->sequence_data = flat;
  DestroyLiveRecord(live);
  suite->host_dispose_handle(old);
  inData->sequence_data = nullptr;
  return PF_Err_NONE;
}

PF_Err GetFlattenedSequenceData(PF_InData* inData, PF_OutData* outData) {
  if (!inData->sequence_data) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  HandleSuite suite = AcquireHandleSuite(inData);
  PF_Handle own = inData->sequence_data;
  const RecordKind kind = Classify(suite.get(), own);
  if (kind == RecordKind::kNone) return PF_Err_NONE;

  PF_Handle copy = nullptr;
  if (kind == RecordKind::kFlat) {
    // The text of a flat record is not a live object: hand out a copy of the record itself.
    copy = CopyHandle(suite.get(), own);
  } else {
    std::string text;
    static_cast<const UnFlatSequenceData*>(*own)->toJson(text);
    copy = NewFlatRecordHandle(suite.get(), text);
  }
  // A copy that cannot be made or locked is an error: answering 0 would silently drop the
  // instance from the host's save.
  if (!copy) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  outData->sequence_data = copy;
  return PF_Err_NONE;
}

PF_Err SequenceSetdown(PF_InData* inData) {
  HandleSuite suite = AcquireHandleSuite(inData);
  PF_Handle handle = inData->sequence_data;
  if (!handle) return PF_Err_NONE;
  if (Classify(suite.get(), handle) == RecordKind::kLive) {
    DestroyLiveRecord(static_cast<UnFlatSequenceData*>(*handle));
  }
  suite->host_dispose_handle(handle);
  return PF_Err_NONE;
}

}  // namespace Orvane::Mosaira
