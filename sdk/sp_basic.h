// The host's basic suite: the one table every other suite is asked for by (name, version).
#pragma once

#include "sdk/pf_types.h"

extern "C" {

typedef A_Err SPErr;

// AcquireSuite stores the suite's function table in *suite and returns 0, or returns an error
// (A_Err_MISSING_SUITE when the host has no such suite) and leaves *suite null. Every successful
// acquisition is paired with one ReleaseSuite of the same name and version.
struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, A_long version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, A_long version);
};

}  // extern "C"
