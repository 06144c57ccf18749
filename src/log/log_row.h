// zorlog.exe's rows: one CSV row per step (row_clock.h says when they are
// taken), in the columns of space/log_format.h.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "monitor/follow.h"
#include "space/log_format.h"

// A user name may take a few hundred bytes as quoted UTF-8.
enum { kLogRowChars = 1024 };

// One CSV row with its line end, always terminated; returns its length.
// columns: the header's, so that rows appended to an older file keep its shape.
size_t FormatLogRow(const LogTime& time, const FollowStep& step, char* out, size_t cap,
                    uint32_t columns = kLogColumnsAll);
