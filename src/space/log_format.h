// zorlog's CSV as written and read back: every column it has written, the
// headers it has had, and the time of a row.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/char_builder.h"
#include "monitor/vsize.h"

struct LogTime {
  int year, month, day, hour, minute, second;
};

// Every column zorlog has written, in its order, without a line end; each
// header it has had is the first kLogColumnsFirst, kLogColumnsCeiling or
// kLogColumnsStacks of them: the first rows had no ceiling, the next ones
// add the threads' stacks.
extern const char kLogColumns[];
enum { kLogColumnsFirst = 10, kLogColumnsCeiling = 20, kLogColumnsStacks = 23 };
// The header written now, with its line end.
extern const char kLogHeader[];

enum LogColumn {
  kLogTime,
  kLogPid,
  kLogVirtual,
  kLogCommitted,
  kLogReserved,
  kLogFree,
  kLogLargestFree,
  kLogRegions,
  kLogPeak,
  kLogLimit,
  kLogCeiling,
  kLogUsableFree,
  kLogLargestUsable,
  kLogLargestUsableBelow2G,
  kLogKinds,  // committed and reserved of each region kind
  kLogThreads = kLogKinds + 2 * kRegionKinds,
  kLogStackCommitted,
  kLogStackReserved
};

// Where column n's name starts in kLogColumns, and its length.
const char* LogColumnName(uint32_t n, uint32_t* length);

// YYYY-MM-DDTHH:MM:SS, the second a row was taken.
void AddLogTime(CharBuilder& b, const LogTime& t);
// False unless length units hold that shape and a real date and time.
bool ParseLogTime(const char* p, uint32_t length, LogTime* t);
