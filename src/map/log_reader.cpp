#include "map/log_reader.h"

#include <string.h>

#include "common/char_builder.h"

namespace {

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
  kStackReserved,
  kOffset,
  kBits,
  kSession,
  kUser
};

// Where column n's name starts in kLogColumns, and its length.
const char* ColumnName(uint32_t n, uint32_t* length) {
  const char* p = kLogColumns;
  for (; n; --n) p = strchr(p, ',') + 1;
  const char* end = strchr(p, ',');
  *length = static_cast<uint32_t>(end ? end - p : strlen(p));
  return p;
}

// Empty where the process had no known 32-bit ceiling, in the columns of
// the threads' stacks when they were not read, and where the session and
// user could not be.
bool MayBeEmpty(uint32_t column) {
  return (column >= kCeiling && column <= kLargestUsableBelow2G) ||
         (column >= kThreads && column <= kStackReserved) || column >= kSession;
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
  columns_ = LogHeaderColumns(line, length);
  if (!columns_) return false;
  history_->Clear();
  trend_.Clear();
  return true;
}

int32_t LogReader::TrendMinutes() const {
  return trend_.MinutesTo(static_cast<uint32_t>(CeilingMbOf(last_.ceiling, last_.limitMb)));
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
  uint64_t v[kLogColumnsAll] = {};
  bool present[kLogColumnsAll] = {};
  ZChar user[kUserUnits] = {0};
  for (uint32_t c = kPid; c < columns_; ++c) {
    present[c] = f.length[c] != 0;
    if (!present[c] && MayBeEmpty(c)) continue;
    // The offset alone may be below 0: its sign is kept apart.
    const bool minus = c == kOffset && f.text[c][0] == '-';
    if (c == kUser
            ? Unquote(f.text[c], f.length[c], user, kUserUnits)
            : ParseCsvNumber(f.text[c] + minus, f.length[c] - minus, false, &v[c]) &&
                  (c != kBits || v[c] == 32 || v[c] == 64) && (c != kOffset || v[c] <= 24 * 60)) {
      if (minus) v[c] = 0 - v[c];
      continue;
    }
    uint32_t nameLength;
    const char* name = ColumnName(c, &nameLength);
    char quoted[40];
    CharBuilder q(quoted, sizeof quoted);
    for (uint32_t i = 0; i < nameLength; ++i) q.Put(name[i]);
    says.Add(quoted).Add(!present[c]  ? " is empty"
                         : c == kUser ? "'s quotes are wrong"
                         : c == kBits ? " is not 32 or 64"
                                      : " is not a whole number");
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
  s.ceiling.is64Bit = v[kBits] == 64;  // older rows cannot tell it from an unread ceiling
  s.sessionKnown = present[kSession];
  s.session = mb(v[kSession]);
  ZCopy(s.user, kUserUnits, user);
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
  // Placed by UTC where the row has its offset, so that an hour repeated when
  // daylight saving ends is drawn once each; labelled by its local time.
  const int64_t local =
      HistorySeconds(time.year, time.month, time.day, time.hour, time.minute, time.second);
  const int32_t offset = present[kOffset] ? static_cast<int32_t>(int64_t(v[kOffset])) * 60 : 0;
  time.offsetMin = offset / 60;
  HistoryReading reading = ReadingOf(local - offset, s);
  reading.label = offset;
  // The first rows knew no ceiling: their largest free block stands in.
  if (columns_ == kLogColumnsFirst) reading.mb[kSeriesLargestUsable] = mb(v[kLargestFree]);
  history_->Add(reading);
  // The live rule's trend: a new process, or a time that goes back, starts
  // it again; the rows' seconds stand for the tick.
  if (!hasRow_ || s.pid != lastPid_ || reading.time < trendAt_ || reading.time - trendAt_ > 86400)
    trend_.Clear();
  trendAt_ = reading.time;
  lastPid_ = s.pid;
  hasRow_ = true;
  trend_.Add(static_cast<uint32_t>(reading.time * 1000), s.virtualMb);
  lastTime_ = time;
  return true;
}
