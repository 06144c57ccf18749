#include "log/log_row.h"

size_t FormatLogRow(const LogTime& t, const FollowStep& s, char* out, size_t cap,
                    uint32_t columns) {
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
  if (columns > kLogColumnsStacks) {
    b.Add(",");
    if (t.offsetMin < 0) b.Add("-");
    b.Num(static_cast<uint32_t>(t.offsetMin < 0 ? -t.offsetMin : t.offsetMin));
    b.Add(s.ceiling.is64Bit ? ",64," : ",32,");
    if (s.sessionKnown) b.Num(s.session);
    // Quoted, a quote inside doubled: the name is the system's, not ours.
    b.Add(",");
    if (s.user[0]) b.AddCsvQuoted(s.user);
  } else if (columns < kLogColumnsStacks) {
    // An older file's shape: its first columns, all of them numbers.
    uint32_t n = 0;
    for (size_t at = 0; at < b.Length(); ++at)
      if (out[at] == ',' && ++n == columns) {
        b.Cut(at);
        break;
      }
  }
  b.Add("\r\n");
  return b.Length();
}
