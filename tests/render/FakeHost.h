// A small host of the test's own for the pixel transfer: SPBasic with the handle and float
// iteration suites, the pixel-address callbacks, handle accounting and fault switches, and
// worlds with padded rows whose padding bytes can be checked afterwards.
#pragma once

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sdk/pf_effect.h"
#include "sdk/pf_suites.h"
#include "sdk/sp_basic.h"

namespace Orvane::Mosaira::Testing {

// A world of `width` x `height` pixels of `bytesPerPixel`, rows `padBytes` longer than needed,
// every byte preset to `fill`.
class TestWorld {
 public:
  TestWorld(A_long width, A_long height, int bytesPerPixel, int padBytes, unsigned char fill = 0xAB)
      : storage(static_cast<std::size_t>((width * bytesPerPixel + padBytes) * height), fill) {
    world.width = width;
    world.height = height;
    world.rowbytes = width * bytesPerPixel + padBytes;
    world.data = reinterpret_cast<PF_Pixel*>(storage.data());
  }
  template <typename T>
  T* Row(A_long y) {
    return reinterpret_cast<T*>(storage.data() + static_cast<std::size_t>(y) * world.rowbytes);
  }
  std::vector<unsigned char> storage;
  PF_EffectWorld world{};
};

class FakeHost {
 public:
  FakeHost() {
    current = this;
    basic.AcquireSuite = Acquire;
    basic.ReleaseSuite = Release;
    handleSuite = {NewHandle, LockHandle, UnlockHandle, DisposeHandle, nullptr, nullptr};
    iterateSuite.iterate = Iterate;
    utils.get_pixel_data8 = PixelData8;
    utils.get_pixel_data16 = PixelData16;
    in_data.utils = &utils;
    in_data.pica_basicP = &basic;
  }
  ~FakeHost() { current = nullptr; }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  PF_InData in_data{};
  std::set<std::string> missingSuites;
  bool failNewHandle = false;
  bool failLock = false;
  PF_Err iterateError = PF_Err_NONE;
  int suitesHeld = 0;
  int handlesLive = 0;
  int handlesMade = 0;
  int locksHeld = 0;

 private:
  struct Block {
    void* master;
    std::vector<char> bytes;
  };

  static SPErr Acquire(const char* name, A_long, const void** suite) {
    *suite = nullptr;
    if (current->missingSuites.count(name) != 0) return A_Err_MISSING_SUITE;
    if (std::strcmp(name, kPFHandleSuite) == 0) *suite = &current->handleSuite;
    if (std::strcmp(name, kPFIterateFloatSuite) == 0) *suite = &current->iterateSuite;
    if (*suite == nullptr) return A_Err_MISSING_SUITE;
    ++current->suitesHeld;
    return 0;
  }
  static SPErr Release(const char*, A_long) {
    --current->suitesHeld;
    return 0;
  }
  static PF_Handle NewHandle(A_u_longlong size) {
    if (current->failNewHandle) return nullptr;
    auto* block = new Block{nullptr, std::vector<char>(size)};
    block->master = block->bytes.data();
    ++current->handlesLive;
    ++current->handlesMade;
    return reinterpret_cast<PF_Handle>(block);  // &block->master: the first member
  }
  static void* LockHandle(PF_Handle h) {
    if (current->failLock) return nullptr;
    ++current->locksHeld;
    return *h;
  }
  static void UnlockHandle(PF_Handle) { --current->locksHeld; }
  static void DisposeHandle(PF_Handle h) {
    delete reinterpret_cast<Block*>(h);
    --current->handlesLive;
  }
  static PF_Err PixelData8(PF_EffectWorld* world, void*, PF_Pixel8** pixels) {
    *pixels = world->data;
    return PF_Err_NONE;
  }
  static PF_Err PixelData16(PF_EffectWorld* world, void*, PF_Pixel16** pixels) {
    *pixels = reinterpret_cast<PF_Pixel16*>(world->data);
    return PF_Err_NONE;
  }
  static PF_PixelFloat* FloatAt(PF_EffectWorld* world, A_long x, A_long y) {
    return reinterpret_cast<PF_PixelFloat*>(reinterpret_cast<char*>(world->data) +
                                            static_cast<std::size_t>(y) * world->rowbytes) + x;
  }
  static PF_Err Iterate(PF_InData*, A_long, A_long, PF_EffectWorld* src, const PF_Rect*, void* refcon,
                        PF_IteratePixelFloatFunc fn, PF_EffectWorld* dst) {
    if (current->iterateError != PF_Err_NONE) return current->iterateError;
    for (A_long y = 0; y < src->height; ++y) {
      for (A_long x = 0; x < src->width; ++x) {
        const bool inDst = dst != nullptr && x < dst->width && y < dst->height;
        const PF_Err err = fn(refcon, x, y, FloatAt(src, x, y), inDst ? FloatAt(dst, x, y) : nullptr);
        if (err != PF_Err_NONE) return err;
      }
    }
    return PF_Err_NONE;
  }

  static inline FakeHost* current = nullptr;
  SPBasicSuite basic{};
  PF_UtilCallbacks utils{};
  PF_HandleSuite2 handleSuite{};
  PF_iterateFloatSuite1 iterateSuite{};
};

}  // namespace Orvane::Mosaira::Testing
