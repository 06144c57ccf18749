// zorlog.exe's rows: the header and one CSV row per step (row_clock.h says
// when they are taken).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "monitor/follow.h"

// A user name may take a few hundred bytes as quoted UTF-8.
enum { kLogRowChars = 1024 };

// A row's local time and its distance from UTC then, in minutes east.
struct LogTime {
  int year, month, day, hour, minute, second;
  int offsetMin = 0;
};

// Every column zorlog has written, in its order, without a line end. Each
// header it has written is the first N of them: the first rows had no
// ceiling, the next added the threads' stacks, the newest the time's offset,
// the target's bits, session and user.
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

// One CSV row with its line end, always terminated; returns its length.
// columns: the header's, so that rows appended to an older file keep its shape.
size_t FormatLogRow(const LogTime& time, const FollowStep& step, char* out, size_t cap,
                    uint32_t columns = kLogColumnsAll);
