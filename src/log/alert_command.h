// The command zorlog.exe starts when a warning comes on: {PID}, {NAME},
// {VIRTUAL_MB}, {LARGEST_USABLE_MB}, {CEILING_MB} and {KIND} replaced by
// their values made safe for any shell, and the same values exactly as
// ZOR_PID, ZOR_NAME, ... in the command's environment. Braces, not percent
// signs: a batch file expands %PID% to nothing before zorlog sees it.
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

enum { kAlertValues = 6, kAlertValueUnits = kTextUnits };

// The value's variable name ("ZOR_PID", ...) and its exact text (empty
// when not known), in placeholder order.
const char* AlertVariableName(int which);
void FormatAlertValue(const AlertValues& v, int which, ZChar* out, size_t units);

// Each placeholder's value with every character outside A-Z a-z 0-9 . _ -
// replaced by _, since a file name may hold what cmd.exe, a batch file or
// PowerShell would act on. Any other {X} stays as it is. False, with out
// holding a terminated prefix, when the result does not fit.
bool ExpandAlertCommand(const ZChar* pattern, const AlertValues& v, ZChar* out, size_t units);

// The longest a command line may be on this system (cmd.exe's limit: 8191
// from XP on, 2047 on Windows 2000), and whether the pattern expanded with
// the longest value of each placeholder stays within it.
enum { kAlertCommandUnits = 8192 };
size_t AlertCommandLimit();
bool AlertCommandFits(const ZChar* pattern);
