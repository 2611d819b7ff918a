// POSIX calls of the shared test sources that the Windows C runtime spells otherwise; included
// ahead of every source of a Windows test program that needs them.
#pragma once

#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}
