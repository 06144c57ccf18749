// zorlog's CSV as written and read back: every column it has written, the
// headers it has had, and the time of a row.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/char_builder.h"
#include "monitor/vsize.h"

// A row's local time and its distance from UTC then, in minutes east.
struct LogTime {
  int year, month, day, hour, minute, second;
  int offsetMin = 0;
};

// Every column zorlog has written, in its order, without a line end. Each
// header it has written is the first N of them: the first rows had no
// ceiling, the next added the threads' stacks, the newest the time's
// offset, the target's bits, session and user.
extern const char kLogColumns[];
enum {
  kLogColumnsFirst = 10,
  kLogColumnsCeiling = 20,
  kLogColumnsStacks = 23,
  kLogColumnsAll = 27
};
extern const char kLogHeader[];  // all of them, with CR LF: what a new file gets
// The columns of a header zorlog has written (the line without its end), 0
// for any other line.
uint32_t LogHeaderColumns(const char* line, size_t length);

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
  kLogStackReserved,
  kLogUtcOffset,
  kLogBits,
  kLogSession,
  kLogUser
};

// Where column n's name starts in kLogColumns, and its length.
const char* LogColumnName(uint32_t n, uint32_t* length);

// YYYY-MM-DDTHH:MM:SS, the second a row was taken.
void AddLogTime(CharBuilder& b, const LogTime& t);
// False unless length units hold that shape and a real date and time.
bool ParseLogTime(const char* p, uint32_t length, LogTime* t);
