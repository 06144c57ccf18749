// The program's string table, behind a seam so the logic can be tested
// with texts of the test's choosing.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

class StringTable {
 public:
  virtual ~StringTable() {}
  // LoadStringW semantics: copies at most units - 1 characters, terminates,
  // returns the characters copied (0 when the string is missing).
  virtual int Load(uint32_t id, ZChar* buf, int units) = 0;
};

StringTable& Strings();
StringTable* SetStringTable(StringTable* table);
// The platform's own implementation (beside this file in the _win32 source).
StringTable* PlatformStringTable();
