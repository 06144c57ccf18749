// zorlog.exe's output on Windows: the wall clock its rows keep to, and one
// row written whole.
#pragma once
#include <windows.h>

#include "log/log_row.h"

// The system clock in milliseconds since 1601, UTC.
uint64_t ClockMs();

// The row labelled with that UTC second of the system clock, in local time, in
// one write so that a log ended any way holds no half row.
bool WriteLogRow(HANDLE out, uint64_t second, const FollowStep& step);
