#include "map/log_reader.h"

#include <string.h>

#include "common/char_builder.h"

namespace {

// Every column zorlog has written, in its order; each header is the first
// kLogColumnsFirst, kLogColumnsCeiling or kLogColumnsStacks of them.
const char kColumns[] =
    "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
    "peak_virtual_mb,limit_mb,ceiling_mb,usable_free_mb,largest_usable_mb,"
    "largest_usable_below_2g_mb,image_committed_mb,image_reserved_mb,mapped_committed_mb,"
    "mapped_reserved_mb,private_committed_mb,private_reserved_mb,threads,stack_committed_mb,"
    "stack_reserved_mb";

enum Column {
  kTime,
  kPid,
  kVirtual,
  kCommitted,
  kReserved,
  kFree,
  kLargestFree,
  kRegions,
  kPeak,
  kLimit,
  kCeiling,
  kUsableFree,
  kLargestUsable,
  kLargestUsableBelow2G,
  kKinds,
  kThreads = kKinds + 2 * kRegionKinds,
  kStackCommitted,
  kStackReserved
};

// Where column n's name starts in kColumns, and its length.
const char* ColumnName(uint32_t n, uint32_t* length) {
  const char* p = kColumns;
  for (; n; --n) p = strchr(p, ',') + 1;
  const char* end = strchr(p, ',');
  *length = static_cast<uint32_t>(end ? end - p : strlen(p));
  return p;
}

// Empty where the process had no known 32-bit ceiling, and in the columns
// of the threads' stacks when they were not read.
bool MayBeEmpty(uint32_t column) {
  return (column >= kCeiling && column <= kLargestUsableBelow2G) || column >= kThreads;
}

bool Digits(const char* p, int n, int* value) {
  *value = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    *value = *value * 10 + (p[i] - '0');
  }
  return true;
}

// YYYY-MM-DDTHH:MM:SS, as the rows write their second.
bool ParseTime(const char* p, uint32_t length, LogTime* t) {
  if (length != 19 || p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':')
    return false;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Digits(p, 4, &t->year) && Digits(p + 5, 2, &t->month) && Digits(p + 8, 2, &t->day) &&
         Digits(p + 11, 2, &t->hour) && Digits(p + 14, 2, &t->minute) &&
         Digits(p + 17, 2, &t->second) && t->month >= 1 && t->month <= 12 && t->day >= 1 &&
         t->day <= kDays[t->month - 1] && t->hour < 24 && t->minute < 60 && t->second < 60;
}

}  // namespace

bool LogReader::Header(const char* line, uint32_t length) {
  static const uint32_t kHeaders[] = {kLogColumnsFirst, kLogColumnsCeiling, kLogColumnsStacks};
  for (uint32_t columns : kHeaders) {
    uint32_t nameLength;
    const char* last = ColumnName(columns - 1, &nameLength);
    if (static_cast<uint32_t>(last + nameLength - kColumns) == length &&
        !memcmp(line, kColumns, length)) {
      columns_ = columns;
      history_->Clear();
      return true;
    }
  }
  return false;
}

bool LogReader::LooksLikeRow(const char* line, uint32_t length) const {
  // A time's shape: YYYY-MM-DD.
  static const char kShape[] = "9999-99-99";
  if (length < sizeof kShape - 1) return false;
  for (uint32_t i = 0; i < sizeof kShape - 1; ++i)
    if (kShape[i] == '-' ? line[i] != '-' : line[i] < '0' || line[i] > '9') return false;
  return true;
}

bool LogReader::Row(const char* line, uint32_t length, char* why) {
  CsvFields f;
  CharBuilder says(why, kCsvWhyChars);
  if (!SplitCsv(line, length, &f) || f.count != columns_) {
    says.Add("it has ").Num(f.count).Add(" fields, the header ").Num(columns_);
    return false;
  }
  LogTime time;
  if (!ParseTime(f.text[kTime], f.length[kTime], &time)) {
    says.Add("the time is not YYYY-MM-DDTHH:MM:SS");
    return false;
  }
  uint64_t v[kLogColumnsStacks] = {};
  bool present[kLogColumnsStacks] = {};
  for (uint32_t c = kPid; c < columns_; ++c) {
    present[c] = f.length[c] != 0;
    if ((!present[c] && MayBeEmpty(c)) || ParseCsvNumber(f.text[c], f.length[c], false, &v[c]))
      continue;
    uint32_t nameLength;
    const char* name = ColumnName(c, &nameLength);
    char quoted[40];
    CharBuilder q(quoted, sizeof quoted);
    for (uint32_t i = 0; i < nameLength; ++i) q.Put(name[i]);
    says.Add(quoted).Add(present[c] ? " is not a whole number" : " is empty");
    return false;
  }
  const auto mb = [](uint64_t value) {
    return value < kNoFigure ? uint32_t(value) : kNoFigure - 1;
  };
  FollowStep& s = last_;
  s.row = true;
  s.pid = mb(v[kPid]);
  s.virtualMb = mb(v[kVirtual]);
  s.peakMb = mb(v[kPeak]);
  s.limitMb = v[kLimit];
  s.stats = AddressSpaceStats();
  s.stats.whole = true;
  s.stats.committed = v[kCommitted] << 20;
  s.stats.reserved = v[kReserved] << 20;
  s.stats.free = v[kFree] << 20;
  s.stats.largestFree = v[kLargestFree] << 20;
  s.stats.regions = mb(v[kRegions]);
  s.ceiling = TargetCeiling();
  s.ceiling.known = present[kCeiling];
  s.ceiling.mb = mb(v[kCeiling]);
  s.stats.usableFree = v[kUsableFree] << 20;
  s.stats.largestUsable = v[kLargestUsable] << 20;
  s.stats.largestUsableBelow2G = v[kLargestUsableBelow2G] << 20;
  for (int k = 0; columns_ > kKinds && k < kRegionKinds; ++k) {
    s.stats.committedByKind[k] = v[kKinds + 2 * k] << 20;
    s.stats.reservedByKind[k] = v[kKinds + 2 * k + 1] << 20;
  }
  hasStacks_ = present[kThreads];
  threads_ = mb(v[kThreads]);
  stackCommittedMb_ = v[kStackCommitted];
  stackReservedMb_ = v[kStackReserved];
  lastTime_ = time;
  HistoryReading reading = ReadingOf(
      HistorySeconds(time.year, time.month, time.day, time.hour, time.minute, time.second), s);
  // The first rows knew no ceiling: their largest free block stands in.
  if (columns_ == kLogColumnsFirst) reading.mb[kSeriesLargestUsable] = mb(v[kLargestFree]);
  history_->Add(reading);
  return true;
}
