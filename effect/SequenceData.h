// An effect instance's state in the host's sequence data, in its two forms.
//
// Live form (UnFlatSequenceData): a C++ object constructed in a host handle of exactly its size;
// it owns the instance's layout. Flat form (FlatSequenceData): a self-contained byte record the
// host stores in projects, little-endian:
//   offset 0  8 bytes  type word, written 0, ignored on reading
//   offset 8  1 byte   isFlat: 1 flat, 0 live, any other value is no record
//   offset 9  7 bytes  reserved, written 0
//   offset 16 8 bytes  text length including its NUL, written, never read
//   offset 24 n bytes  JSON text, then one NUL
// Every command decides the form by the isFlat byte, read as a byte, never by the type word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "layout/GridLayoutModel.h"
#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

class SequenceDataBase {
 public:
  SequenceDataBase(const SequenceDataBase&) = delete;
  SequenceDataBase& operator=(const SequenceDataBase&) = delete;
  virtual ~SequenceDataBase() = default;

  // Deletes the layout the record owns, if any; true when the record can own one.
  virtual bool releaseLayout() = 0;

  bool isFlat = false;

 protected:
  explicit SequenceDataBase(bool flat) : isFlat(flat) {}
};

class UnFlatSequenceData;

// Constructs an empty live record in `bytes`: sizeof(UnFlatSequenceData) bytes, aligned for it
// (a locked handle of that size).
UnFlatSequenceData* CreateLiveRecord(void* bytes);

// Releases the record's layout and destroys the record in place; its bytes may then be disposed
// of. Null is allowed.
void DestroyLiveRecord(UnFlatSequenceData* record) noexcept;

// The live record. It lives in the bytes of a host handle: made there by CreateLiveRecord and
// ended by DestroyLiveRecord, the only way to make or end one.
class UnFlatSequenceData final : public SequenceDataBase {
 public:
  bool releaseLayout() override;

  // Writes {"scrollStart":..,"interacting":..[,"layout":{..}]} without white space. A scrollStart
  // that is not finite is written as 0.0; a layout that cannot be written as valid JSON is left
  // out. A layout still waiting for a layer size is written back as it was read.
  void toJson(std::string& text) const;

  // Replaces the contents with the state in `text` (at most `length` bytes, stopping at a NUL),
  // building the layout at the layer size of `inData`; at a layer size of zero the layout's text is
  // kept and the layout is built by the first LayoutFor with a real size. Text that is not one JSON
  // object, a layout that cannot be built and members of the wrong type or out of range are passed
  // over: the record then lacks that part. Numbers are read exactly as written. Never throws for
  // bad text.
  void fromJson(const PF_InData* inData, const char* text, size_t length);

  // The layout at the layer size of `inData`: built first from kept text when the layer now has a
  // real size, or rebuilt at the layer's size (the same shape in fractions of it) when the layer
  // was resized since the layout was made. A layout rebuilt so keeps the size its point
  // parameters were written at in `pointParamsSize`. An empty layer (a side of 0) leaves the layout
  // as it is. Null when there is no layout or it cannot be built.
  GridLayoutModel* LayoutFor(const PF_InData* inData);

  // Replaces the layout (null for none), dropping any kept layout text; the new layout's size is
  // taken as settled and its point parameters as written at it.
  void ReplaceLayout(std::unique_ptr<GridLayoutModel> fresh);

  // True when the live record's bytes at `bytes` were constructed in this process at that address
  // (not a byte copy, not a file). Reads the stamp as bytes, so any memory may be asked.
  static bool IsOwnRecord(const void* bytes);

  float scrollStart = 0.0f;
  bool interacting = false;
  std::unique_ptr<GridLayoutModel> layout;
  // Set when the layout was rebuilt from saved text at the current layer size. Saved text holds
  // fractions of the layout's size while the point parameters hold layer pixels at the size the
  // layer had when they were written, so the next reading of the parameters first finds that
  // size (ParamSync). Never saved.
  bool layoutSizeUnsettled = false;
  // The layer size the point parameters hold their pixels at, when it is not the layout's own
  // size: the layer was resized since the effect last wrote them. {0, 0} when they are at the
  // layout's size. Reading them scales them to the layout; writing them (PushPointsToParams)
  // clears it, unless they hold keyframes, which are then written at this size. Never saved:
  // the parameters and the layout's fractions tell it again.
  LayoutSize pointParamsSize;

  // Guards the record's fields (the layout above all) for one command at a time: renders,
  // pre-renders, parameter changes and events of one instance may arrive on different threads.
  // Recursive, so a host that calls back into the effect on the same thread does not deadlock.
  std::recursive_mutex& mutex() const { return mutex_; }

 private:
  friend UnFlatSequenceData* CreateLiveRecord(void* bytes);
  friend void DestroyLiveRecord(UnFlatSequenceData* record) noexcept;

  UnFlatSequenceData();
  ~UnFlatSequenceData() override = default;

  static size_t StampOffset();
  // Rebuilds the layout at `size` when it stands at another one (see LayoutFor).
  void ResizeLayout(LayoutSize size);

  uintptr_t stamp_ = 0;  // this process's key mixed with the record's address
  std::string pendingLayout_;  // layout JSON read at a layer size of zero, not yet built
  mutable std::recursive_mutex mutex_;
};

// The flat record's shape. It is written and read as bytes, never constructed as an object.
class FlatSequenceData final : public SequenceDataBase {
 public:
  static constexpr size_t kIsFlatOffset = 8;
  static constexpr size_t kTextLengthOffset = 16;
  static constexpr size_t kHeaderSize = 24;  // the text starts here; a record is n + 25 bytes

  FlatSequenceData() : SequenceDataBase(true) {}
  bool releaseLayout() override { return false; }

  // Bytes a flat record of the text needs.
  static size_t RecordSize(const std::string& text) { return text.size() + kHeaderSize + 1; }
  // Writes the whole record for `text` into `dest` of RecordSize(text) bytes.
  static void Write(void* dest, const std::string& text);
};

enum class RecordKind { kNone, kLive, kFlat };

// What `size` bytes at `bytes` hold: a flat record (isFlat byte 1 and room for the header and a
// text), this process's own live record (isFlat byte 0, the right size and a valid stamp), or no
// record. Null bytes hold no record.
RecordKind ClassifyRecord(const void* bytes, uint64_t size);

// The live record of the instance, found through in_data's sequence data and its size (asked of
// the utility callbacks), or null when there is none, it is flat, foreign or too small.
UnFlatSequenceData* FindLiveRecord(const PF_InData* inData);

}  // namespace Orvane::Mosaira
