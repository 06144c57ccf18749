// zorlog.exe's rows: the header and one CSV row per step (row_clock.h says
// when they are taken).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "monitor/follow.h"

enum { kLogRowChars = 256 };

struct LogTime {
  int year, month, day, hour, minute, second;
};

extern const char kLogHeader[];
// One CSV row with its line end, always terminated; returns its length.
size_t FormatLogRow(const LogTime& time, const FollowStep& step, char* out, size_t cap);
