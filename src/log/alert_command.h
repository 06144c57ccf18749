// The command zorlog.exe starts when a warning comes on: {PID}, {NAME},
// {VIRTUAL_MB}, {LARGEST_USABLE_MB}, {CEILING_MB} and {KIND} replaced by
// their values as they are. Braces, not percent signs: a batch file expands
// %PID% to nothing before zorlog sees it.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

struct AlertValues {
  uint32_t pid = 0;
  const ZChar* name = nullptr;
  uint32_t virtualMb = 0;
  bool usableKnown = false;  // the ceiling is known: the next two hold figures
  uint64_t largestUsableMb = 0;
  uint64_t ceilingMb = 0;
  const char* kind = "";
};

// Any other {X} stays as it is; a value not known is replaced by nothing.
// False, with out holding a terminated prefix, when the result does not fit.
bool ExpandAlertCommand(const ZChar* pattern, const AlertValues& v, ZChar* out, size_t units);
