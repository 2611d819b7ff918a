// A small in-process stand-in for the host, for unit tests of the effect shell's pieces: handles
// with sizes and lock counts, suites by name with acquire/release counting and missing suites,
// parameter values for checkout, and the AEGP stream flags and keyframes. One FakeHost is current
// at a time (the host's callbacks are plain functions).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sdk/sdk.h"

namespace Orvane::Mosaira::testing {

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Handles.
  PF_Handle NewHandle(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Bytes(PF_Handle h) const;
  bool IsLive(PF_Handle h) const;
  size_t LiveHandleCount() const;
  bool AnyLocked() const;

  // Suites.
  int OutstandingSuites() const;  // acquisitions minus releases over all suites

  // The command's params array (95 entries, all present).
  PF_ParamDef** params() { return paramPtrs_.data(); }
  PF_ParamDef& param(int i) { return params_[static_cast<size_t>(i)]; }

  PF_InData in{};
  PF_OutData out{};

  // Fault injection and what the effect did.
  bool failNewHandle = false;
  bool failLockHandle = false;
  std::set<PF_Handle> unlockableHandles;  // locks of these fail, others succeed
  std::set<std::string> missingSuites;
  std::map<int, PF_ParamDef> checkoutValues;  // what checkout_param returns per index
  std::set<int> failingCheckouts;
  int checkouts = 0;
  int checkins = 0;
  std::vector<int> updateUiCalls;                  // indices passed to PF_UpdateParamUI
  std::map<int, AEGP_DynStreamFlags> streamFlags;  // per parameter index
  std::map<int, int> keyframes;                    // per parameter index
  int setFlagCalls = 0;
  int deleteKeyframeCalls = 0;
  int openStreams = 0;
  int openEffects = 0;
  std::vector<PF_ParamDef> addedParams;  // what add_param received, in order
  int addParamCalls = 0;
  int failAddParamAt = -1;  // the add_param call with this number (from 0) fails, only that one
  PF_Err registerUiResult = PF_Err_NONE;
  int registerUiCalls = 0;

 private:
  struct Block {
    std::vector<uint8_t> bytes;
    int locks = 0;
  };
  friend struct FakeHostCallbacks;

  std::map<PF_Handle, Block*> blocks_;
  std::map<std::string, int> suiteBalance_;
  std::vector<PF_ParamDef> params_;
  std::vector<PF_ParamDef*> paramPtrs_;
  SPBasicSuite basic_{};
  PF_UtilCallbacks utils_{};
};

}  // namespace Orvane::Mosaira::testing
