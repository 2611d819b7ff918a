// The scoped suite holder moved to sdk/SuiteHolder.h so that the on-screen controls share it; this
// header keeps the effect shell's includes working.
#pragma once

#include "sdk/SuiteHolder.h"
