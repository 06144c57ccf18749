#include "log/log_row.h"

#include <string.h>

#include "common/char_builder.h"

#define LOG_COLUMNS                                                                         \
  "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"           \
  "peak_virtual_mb,limit_mb,ceiling_mb,usable_free_mb,largest_usable_mb,"                   \
  "largest_usable_below_2g_mb,image_committed_mb,image_reserved_mb,mapped_committed_mb,"    \
  "mapped_reserved_mb,private_committed_mb,private_reserved_mb,threads,stack_committed_mb," \
  "stack_reserved_mb,utc_offset_min,bits,session,user"

const char kLogColumns[] = LOG_COLUMNS;
const char kLogHeader[] = LOG_COLUMNS "\r\n";

namespace {

int Field(int v) { return v < 0 ? 0 : v; }

// Where the column after the first n ends in kLogColumns.
size_t EndOfColumns(uint32_t n) {
  const char* p = kLogColumns;
  for (; n; --n) {
    const char* comma = strchr(p, ',');
    if (!comma) return strlen(kLogColumns);
    p = comma + 1;
  }
  return static_cast<size_t>(p - kLogColumns) - 1;
}

}  // namespace

uint32_t LogHeaderColumns(const char* line, size_t length) {
  static const uint32_t kHeaders[] = {kLogColumnsFirst, kLogColumnsCeiling, kLogColumnsStacks,
                                      kLogColumnsAll};
  for (uint32_t columns : kHeaders)
    if (EndOfColumns(columns) == length && !memcmp(line, kLogColumns, length)) return columns;
  return 0;
}

size_t FormatLogRow(const LogTime& t, const FollowStep& s, char* out, size_t cap,
                    uint32_t columns) {
  if (!cap) return 0;
  CharBuilder b(out, cap);
  b.Num(Field(t.year), 4).Add("-").Num(Field(t.month), 2).Add("-").Num(Field(t.day), 2);
  b.Add("T")
      .Num(Field(t.hour), 2)
      .Add(":")
      .Num(Field(t.minute), 2)
      .Add(":")
      .Num(Field(t.second), 2);
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
    if (s.user[0]) {
      ZChar quoted[2 * kUserUnits + 1];
      size_t n = 0;
      for (const ZChar* p = s.user; *p && n + 2 < 2 * kUserUnits; ++p) {
        if (*p == '"') quoted[n++] = '"';
        quoted[n++] = *p;
      }
      quoted[n] = 0;
      b.Add("\"").AddUtf8(quoted).Add("\"");
    }
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
