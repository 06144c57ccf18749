// zorlog.exe's rows: the header, one CSV row per step, and the clock the
// rows keep to.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "monitor/follow.h"

enum { kLogRowChars = 256 };

// Rows keep to the system clock: row k falls due kRowDelayMs after the whole
// second first + k * interval and is labelled with that second. Given the
// last row's second, the next one's; the schedule starts again from the
// current second when the clock is a whole interval past the next row or
// was set back.
enum { kRowDelayMs = 100 };
uint64_t NextRowSecond(uint64_t lastSecond, uint32_t intervalSeconds, uint64_t nowMs);

struct LogTime {
  int year, month, day, hour, minute, second;
};

extern const char kLogHeader[];
// One CSV row with its line end, always terminated; returns its length.
size_t FormatLogRow(const LogTime& time, const FollowStep& step, char* out, size_t cap);
