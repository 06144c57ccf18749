#include "log/log_row.h"

size_t FormatLogRow(const LogTime& t, const FollowStep& s, char* out, size_t cap) {
  if (!cap) return 0;
  CharBuilder b(out, cap);
  AddLogTime(b, t);
  b.Add(",").Num(s.pid).Add(",").Num(s.virtualMb);
  b.Add(",").Num(s.stats.committed >> 20).Add(",").Num(s.stats.reserved >> 20);
  b.Add(",").Num(s.stats.free >> 20).Add(",").Num(s.stats.largestFree >> 20);
  b.Add(",").Num(s.stats.regions).Add(",").Num(s.peakMb).Add(",").Num(s.limitMb);
  // Empty, not 0, where the process has no 32-bit ceiling or it is unknown.
  if (s.ceiling.known) {
    b.Add(",").Num(s.ceiling.mb).Add(",").Num(s.stats.usableFree >> 20);
    b.Add(",").Num(s.stats.largestUsable >> 20).Add(",").Num(s.stats.largestUsableBelow2G >> 20);
  } else {
    b.Add(",,,,");
  }
  for (int kind = 0; kind < kRegionKinds; ++kind)
    b.Add(",")
        .Num(s.stats.committedByKind[kind] >> 20)
        .Add(",")
        .Num(s.stats.reservedByKind[kind] >> 20);
  // Empty where the threads could not be read.
  if (s.threads.known)
    b.Add(",")
        .Num(s.threads.threads)
        .Add(",")
        .Num(s.threads.committed[kUseStack] >> 20)
        .Add(",")
        .Num(s.threads.reserved[kUseStack] >> 20);
  else
    b.Add(",,,");
  b.Add("\r\n");
  return b.Length();
}
