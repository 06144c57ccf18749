#include "log/metrics.h"

#include "common/char_builder.h"
#include "monitor/warning.h"

namespace {

enum Metric {
  kVirtual,
  kCeiling,
  kLargestUsable,
  kUsableFree,
  kThreads,
  kStack,
  kWarningMetric,
  kLastReading,
  kMetrics
};

const char* const kNames[kMetrics] = {"zorvane_virtual_bytes",
                                      "zorvane_ceiling_bytes",
                                      "zorvane_largest_usable_bytes",
                                      "zorvane_usable_free_bytes",
                                      "zorvane_threads",
                                      "zorvane_stack_bytes",
                                      "zorvane_warning",
                                      "zorvane_last_reading_timestamp_seconds"};

const char* const kHelp[kMetrics] = {
    "Virtual size of the process: its committed and reserved bytes.",
    "The 32-bit process's own address space, its ceiling.",
    "The largest free block the process can still allocate.",
    "Free bytes the process can still allocate, in all blocks.",
    "Threads of the process.",
    "Bytes reserved for the process's thread stacks.",
    "1 while a warning of that kind is on for the process.",
    "When the process was last read, in seconds since 1970 UTC."};

// The line ends with LF; a value from outside goes in escaped.
enum { kLineChars = 1024, kLabelUnits = 260 };

void AddLabel(CharBuilder& b, const char* name, const ZChar* value) {
  ZChar escaped[2 * kLabelUnits + 1];
  size_t n = 0;
  for (const ZChar* p = value ? value : ZT(""); *p && n + 2 < 2 * kLabelUnits; ++p) {
    if (*p == '\\' || *p == '"' || *p == '\n') escaped[n++] = '\\';
    escaped[n++] = *p == '\n' ? ZChar('n') : *p;
  }
  escaped[n] = 0;
  b.Add(name).Add("=\"").AddUtf8(escaped).Add("\"");
}

bool Has(const MetricsInstance& m, int metric) {
  switch (metric) {
    case kCeiling:
    case kLargestUsable:
    case kUsableFree:
      return m.ceilingKnown && !m.is64Bit;  // a 32-bit walk sees only 4 GB of a 64-bit one
    case kThreads:
    case kStack:
      return m.threadsKnown;
    default:
      return true;
  }
}

uint64_t ValueOf(const MetricsInstance& m, int metric) {
  switch (metric) {
    case kVirtual:
      return m.virtualBytes;
    case kCeiling:
      return m.ceilingBytes;
    case kLargestUsable:
      return m.largestUsableBytes;
    case kUsableFree:
      return m.usableFreeBytes;
    case kThreads:
      return m.threads;
    case kStack:
      return m.stackBytes;
    default:
      return m.lastReading > 0 ? uint64_t(m.lastReading) : 0;
  }
}

bool Sample(const MetricsInstance& m, int metric, int kind, uint64_t value, MetricsOut* out) {
  char line[kLineChars];
  CharBuilder b(line, sizeof line);
  b.Add(kNames[metric]).Add("{");
  AddLabel(b, "name", m.name);
  ZChar number[24];
  ZFormatInt(number, 24, m.pid);
  b.Add(",");
  AddLabel(b, "pid", number);
  ZFormatInt(number, 24, m.session);
  b.Add(",");
  AddLabel(b, "session", m.sessionKnown ? number : ZT(""));
  b.Add(",");
  AddLabel(b, "user", m.user);
  b.Add(",bits=\"").Add(m.is64Bit ? "64" : "32").Add("\"");
  if (kind >= 0) b.Add(",kind=\"").Add(kWarningKindNames[kind]).Add("\"");
  b.Add("} ").Num(value).Add("\n");
  return out->Line(line, b.Length());
}

}  // namespace

void SetMetrics(const FollowStep& s, const ZChar* name, uint32_t warnings, int64_t unixSeconds,
                MetricsInstance* m) {
  *m = MetricsInstance();
  m->name = name;
  m->pid = s.pid;
  m->sessionKnown = s.sessionKnown;
  m->session = s.session;
  m->user = s.user;
  m->warnings = warnings;
  m->lastReading = unixSeconds;
  m->is64Bit = s.ceiling.is64Bit;
  m->virtualBytes = s.stats.committed + s.stats.reserved;
  m->ceilingKnown = s.ceiling.known;
  m->ceilingBytes = uint64_t(s.ceiling.mb) << 20;
  m->largestUsableBytes = s.stats.largestUsable;
  m->usableFreeBytes = s.stats.usableFree;
  m->threadsKnown = s.threads.known;
  m->threads = s.threads.threads;
  m->stackBytes = s.threads.reserved[kUseStack];
}

bool WriteMetrics(const MetricsInstance* instances, uint32_t count, MetricsOut* out) {
  for (int metric = 0; metric < kMetrics; ++metric) {
    char line[256];
    CharBuilder help(line, sizeof line);
    help.Add("# HELP ").Add(kNames[metric]).Add(" ").Add(kHelp[metric]).Add("\n");
    if (!out->Line(line, help.Length())) return false;
    CharBuilder type(line, sizeof line);
    type.Add("# TYPE ").Add(kNames[metric]).Add(" gauge\n");
    if (!out->Line(line, type.Length())) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const MetricsInstance& m = instances[i];
      if (!Has(m, metric)) continue;
      if (metric != kWarningMetric) {
        if (!Sample(m, metric, -1, ValueOf(m, metric), out)) return false;
        continue;
      }
      for (int kind = 0; kind < kWarningKinds; ++kind)
        if (!Sample(m, metric, kind, (m.warnings >> kind) & 1, out)) return false;
    }
  }
  return true;
}
