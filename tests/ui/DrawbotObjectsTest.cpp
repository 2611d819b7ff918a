#include <gtest/gtest.h>

#include "sdk/drawbot_objects.h"

namespace {

// A supplier whose answers a test sets.
A_Err makeError = A_Err_NONE;
bool handOutObject = true;
A_Err releaseError = A_Err_NONE;
int releases = 0;
int objectStorage;

A_Err NewPath(DRAWBOT_SupplierRef, DRAWBOT_PathRef* path) {
  *path = handOutObject ? reinterpret_cast<DRAWBOT_PathRef>(&objectStorage) : nullptr;
  return makeError;
}
A_Err ReleaseObject(DRAWBOT_ObjectRef) {
  ++releases;
  return releaseError;
}

const DRAWBOT_SupplierSuite1 kSupplier{nullptr, nullptr, nullptr, nullptr, NewPath, ReleaseObject};

class DrawbotHolder : public ::testing::Test {
 protected:
  void SetUp() override {
    makeError = A_Err_NONE;
    handOutObject = true;
    releaseError = A_Err_NONE;
    releases = 0;
  }
};

TEST_F(DrawbotHolder, ReleasesOnceWithoutThrowingEvenWhenReleaseFails) {
  for (A_Err error : {A_Err(A_Err_NONE), A_Err(7)}) {
    releaseError = error;
    releases = 0;
    EXPECT_NO_THROW({ DRAWBOT_PathP path(&kSupplier, nullptr); });
    EXPECT_EQ(releases, 1) << error;
  }
}

// A make that fails, or hands out no object without an error, throws its code (or a generic one)
// and leaves nothing to release.
TEST_F(DrawbotHolder, FailedMakeThrowsItsCode) {
  for (A_Err error : {A_Err(9), A_Err(A_Err_NONE)}) {
    makeError = error;
    handOutObject = false;
    try {
      DRAWBOT_PathP path(&kSupplier, nullptr);
      ADD_FAILURE() << "no exception for " << error;
    } catch (const DRAWBOT_Exception& e) {
      EXPECT_EQ(e.error(), error != A_Err_NONE ? error : A_Err_GENERIC);
    }
    EXPECT_EQ(releases, 0);
  }
}

}  // namespace
