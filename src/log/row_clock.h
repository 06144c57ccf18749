// When zorlog.exe takes its rows, and what second each carries. Rows keep to
// the wall clock's seconds, one interval apart, and are labelled with the
// UTC second at which they are measured. The wait between looks is measured
// on a tick counter that wraps (GetTickCount: Windows 2000 has nothing
// wider) and is cut into slices of at most a second, so that a clock step or
// a sleep (from Windows 8 on a wait does not count time asleep) is seen
// within a second.
#pragma once
#include <stdint.h>

enum {
  kRowDelayMs = 100,        // a row falls due this long after its second begins
  kRowSliceMs = 1000,       // the longest wait before the clocks are read again
  kClockBackSlackMs = 1000  // the wall clock behind the tick by more: it was set back
};

// What to do after one look at the clocks.
struct RowTurn {
  bool row = false;
  uint64_t second = 0;    // the row's label, UTC seconds since 1601, when row
  uint32_t waitMs = 0;    // otherwise how long to wait before looking again
  bool wentBack = false;  // the wall clock was set back since the last look
};

class RowClock {
 public:
  // The first row falls due on the current second.
  RowClock(uint32_t intervalSeconds, uint64_t wallMs, uint32_t tickMs);
  // wallMs: the system clock (UTC, ms since 1601); tickMs: the tick counter.
  RowTurn Look(uint64_t wallMs, uint32_t tickMs);

 private:
  uint64_t intervalMs_;
  uint64_t dueMs_;  // on the wall clock
  uint64_t lastWallMs_;
  uint32_t lastTickMs_;
};
