// Owners of the host calls that come in pairs: a suite acquired through SPBasic and released, a
// handle made and disposed of, a handle locked and unlocked, a parameter checked out and checked
// in. Each pair is one object, so every way out of a command (exceptions included) closes what it
// opened. The owners are not copyable; the suite tables they hand out are valid while they live.
#pragma once

#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"

namespace Orvane::Mosaira {

// Thrown (as a plain integer) when a suite cannot be acquired; the entry point answers
// PF_Err_BAD_CALLBACK_PARAM.
inline constexpr A_Err kMissingSuiteError = A_Err_MISSING_SUITE;

// Holds one suite of type `Suite` from acquisition to destruction. Construction throws
// kMissingSuiteError when the host has no basic suite, refuses the suite or hands out a null
// table (that one is given back, so the host's count stays paired). `name` must outlive the
// holder (the sdk's k...Suite constants do).
template <typename Suite>
class ScopedSuite {
 public:
  ScopedSuite(const PF_InData* inData, const char* name, A_long version)
      : basic_(inData ? inData->pica_basicP : nullptr), name_(name), version_(version) {
    if (!basic_ || !basic_->AcquireSuite || !basic_->ReleaseSuite) throw kMissingSuiteError;
    const void* table = nullptr;
    if (basic_->AcquireSuite(name_, version_, &table) != A_Err_NONE) throw kMissingSuiteError;
    suite_ = static_cast<const Suite*>(table);
    if (!suite_) {
      basic_->ReleaseSuite(name_, version_);
      throw kMissingSuiteError;
    }
  }
  ~ScopedSuite() { basic_->ReleaseSuite(name_, version_); }

  ScopedSuite(const ScopedSuite&) = delete;
  ScopedSuite& operator=(const ScopedSuite&) = delete;

  const Suite* operator->() const { return suite_; }
  const Suite& get() const { return *suite_; }

 private:
  SPBasicSuite* basic_;
  const char* name_;
  A_long version_;
  const Suite* suite_ = nullptr;
};

// A new handle of `size` bytes, disposed of when the owner ends unless Release() handed it on.
// get() is null when the host could not make it.
class OwnedHandle {
 public:
  OwnedHandle(const PF_HandleSuite2& suite, A_u_longlong size)
      : suite_(suite), handle_(suite.host_new_handle(size)) {}
  ~OwnedHandle() {
    if (handle_) suite_.host_dispose_handle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  PF_Handle get() const { return handle_; }
  // Gives the handle up: the caller (or the host it is handed to) owns it now.
  PF_Handle Release() {
    PF_Handle handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  const PF_HandleSuite2& suite_;
  PF_Handle handle_;
};

// A handle locked for the owner's lifetime. bytes() is null when the handle is null or the host
// could not lock it; only a successful lock is unlocked.
class ScopedHandleLock {
 public:
  ScopedHandleLock(const PF_HandleSuite2& suite, PF_Handle handle)
      : suite_(suite), handle_(handle), bytes_(handle ? suite.host_lock_handle(handle) : nullptr) {}
  ~ScopedHandleLock() {
    if (bytes_) suite_.host_unlock_handle(handle_);
  }
  ScopedHandleLock(const ScopedHandleLock&) = delete;
  ScopedHandleLock& operator=(const ScopedHandleLock&) = delete;

  void* bytes() const { return bytes_; }

 private:
  const PF_HandleSuite2& suite_;
  PF_Handle handle_;
  void* bytes_;
};

// One parameter checked out at the command's time (in_data's current_time, time_step and
// time_scale) and checked in when the owner ends, or earlier by CheckIn(). error() is the
// checkout's result (PF_Err_BAD_CALLBACK_PARAM when the host gives no checkout or check-in
// callback); a failed checkout reads as a zeroed definition and is never checked in.
class CheckedOutParam {
 public:
  CheckedOutParam(const PF_InData* inData, PF_ParamIndex index) : inData_(inData) {
    const PF_InteractCallbacks& inter = inData->inter;
    if (!inter.checkout_param || !inter.checkin_param) return;
    error_ = inter.checkout_param(inData->effect_ref, index, inData->current_time,
                                  inData->time_step, inData->time_scale, &def_);
    out_ = error_ == PF_Err_NONE;
    if (!out_) def_ = PF_ParamDef{};  // whatever a failing host wrote is not a value
  }
  ~CheckedOutParam() { CheckIn(); }
  CheckedOutParam(const CheckedOutParam&) = delete;
  CheckedOutParam& operator=(const CheckedOutParam&) = delete;

  // Checks the parameter in now when it is out; the check-in's result (0 when it was not out).
  PF_Err CheckIn() {
    if (!out_) return PF_Err_NONE;
    out_ = false;
    return inData_->inter.checkin_param(inData_->effect_ref, &def_);
  }

  bool ok() const { return error_ == PF_Err_NONE; }
  PF_Err error() const { return error_; }
  const PF_ParamDef& def() const { return def_; }
  PF_ParamDef& def() { return def_; }

 private:
  const PF_InData* inData_;
  PF_ParamDef def_{};
  PF_Err error_ = PF_Err_BAD_CALLBACK_PARAM;
  bool out_ = false;
};

}  // namespace Orvane::Mosaira
