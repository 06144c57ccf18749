// zorlog.exe's output on Windows: the wall clock its rows keep to, and one
// row written whole.
#pragma once
#include <windows.h>

#include "log/log_row.h"

// The system clock in milliseconds since 1601, UTC.
uint64_t ClockMs();

// A UTC second of the system clock in local time, as the rows carry it,
// with the offset the system's time zone gave it.
LogTime LocalTimeOf(uint64_t second);

// The row labelled with that time, in one write so that a log ended any way
// holds no half row; columns: the file's header's.
bool WriteLogRow(HANDLE out, const LogTime& time, const FollowStep& step, uint32_t columns);
