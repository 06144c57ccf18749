#include "log/row_clock.h"

namespace {
// The first moment at or after ms that lies kRowDelayMs into a second.
uint64_t OnSchedule(uint64_t ms) {
  const uint64_t second = ms < kRowDelayMs ? 0 : (ms - kRowDelayMs + 999) / 1000;
  return second * 1000 + kRowDelayMs;
}
}  // namespace

RowClock::RowClock(uint32_t intervalSeconds, uint64_t wallMs, uint32_t tickMs)
    : intervalMs_(intervalSeconds * 1000ull),
      dueMs_(wallMs / 1000 * 1000 + kRowDelayMs),
      lastWallMs_(wallMs),
      lastTickMs_(tickMs) {}

RowTurn RowClock::Look(uint64_t wallMs, uint32_t tickMs) {
  RowTurn turn;
  // Unsigned 32-bit difference: right across the counter's wrap.
  const uint32_t elapsed = tickMs - lastTickMs_;
  const uint64_t expected = lastWallMs_ + elapsed;
  if (wallMs + kClockBackSlackMs < expected) {
    // Set back: the row still falls due after the same real time, at the
    // wall clock's new reading of it. A step forward needs nothing: the due
    // second simply comes sooner.
    const uint64_t back = expected - wallMs;
    dueMs_ = OnSchedule(dueMs_ > back ? dueMs_ - back : 0);
    turn.wentBack = true;
  }
  lastWallMs_ = wallMs;
  lastTickMs_ = tickMs;
  if (wallMs < dueMs_) {
    const uint64_t left = dueMs_ - wallMs;
    turn.waitMs = static_cast<uint32_t>(left < kRowSliceMs ? left : uint64_t{kRowSliceMs});
    return turn;
  }
  // However late (a sleep, a step forward), one row, labelled now; the next
  // one an interval after this one's second.
  turn.row = true;
  turn.second = wallMs / 1000;
  dueMs_ = (turn.second * 1000 + kRowDelayMs) + intervalMs_;
  return turn;
}
