// zorlog.exe's rows: one CSV row per step (row_clock.h says when they are
// taken), in the columns of space/log_format.h.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "monitor/follow.h"
#include "space/log_format.h"

enum { kLogRowChars = 256 };

// One CSV row with its line end, always terminated; returns its length.
size_t FormatLogRow(const LogTime& time, const FollowStep& step, char* out, size_t cap);
