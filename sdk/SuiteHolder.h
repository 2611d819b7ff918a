// Scoped acquisition of host suites through SPBasic: a suite is held for one call and released on
// every way out, exceptions included.
#pragma once

#include "sdk/pf_effect.h"

namespace Orvane::Mosaira {

// Thrown (as a plain integer) when a suite cannot be acquired; the entry point answers 516.
inline constexpr A_Err kMissingSuiteError = A_Err_MISSING_SUITE;

// Holds one suite of type `Suite` from acquisition to destruction. Construction throws the integer
// 13 when the host has no basic suite, refuses the suite or hands out a null table. `name` must
// outlive the holder (the sdk's k...Suite constants do).
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
      // Acquired but unusable: still give it back so the host's count stays paired.
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

}  // namespace Orvane::Mosaira
