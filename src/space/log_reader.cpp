#include "space/log_reader.h"

#include <string.h>

#include "common/char_builder.h"

namespace {

// Empty where the process had no known 32-bit ceiling, in the columns of
// the threads' stacks when they were not read, and where the session and
// user could not be.
bool MayBeEmpty(uint32_t column) {
  return (column >= kLogCeiling && column <= kLogLargestUsableBelow2G) ||
         (column >= kLogThreads && column <= kLogStackReserved) || column >= kLogSession;
}

}  // namespace

bool LogReader::Header(const char* line, uint32_t length) {
  columns_ = LogHeaderColumns(line, length);
  if (!columns_) return false;
  rows_->LogBegins();
  return true;
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
  if (!ParseLogTime(f.text[kLogTime], f.length[kLogTime], &time)) {
    says.Add("the time is not YYYY-MM-DDTHH:MM:SS");
    return false;
  }
  uint64_t v[kLogColumnsAll] = {};
  bool present[kLogColumnsAll] = {};
  ZChar user[kUserUnits] = {0};
  for (uint32_t c = kLogPid; c < columns_; ++c) {
    present[c] = f.length[c] != 0;
    if (!present[c] && MayBeEmpty(c)) continue;
    // The offset alone may be below 0: its sign is kept apart.
    const bool minus = c == kLogUtcOffset && f.length[c] && f.text[c][0] == '-';
    if (c == kLogUser ? Unquote(f.text[c], f.length[c], user, kUserUnits)
                      : ParseCsvNumber(f.text[c] + minus, f.length[c] - minus, false, &v[c]) &&
                            (c != kLogBits || v[c] == 32 || v[c] == 64) &&
                            (c != kLogUtcOffset || v[c] <= 24 * 60)) {
      if (minus) v[c] = 0 - v[c];
      continue;
    }
    uint32_t nameLength;
    const char* name = LogColumnName(c, &nameLength);
    char quoted[40];
    CharBuilder q(quoted, sizeof quoted);
    for (uint32_t i = 0; i < nameLength; ++i) q.Put(name[i]);
    says.Add(quoted).Add(!present[c]     ? " is empty"
                         : c == kLogUser ? "'s quotes are wrong"
                         : c == kLogBits ? " is not 32 or 64"
                                         : " is not a whole number");
    return false;
  }
  // Held below 0xFFFFFFFF, which a reading uses for "no figure".
  const auto mb = [](uint64_t value) {
    return value < 0xFFFFFFFFu ? uint32_t(value) : 0xFFFFFFFEu;
  };
  FollowStep& s = last_;
  s.row = true;
  s.pid = mb(v[kLogPid]);
  s.virtualMb = mb(v[kLogVirtual]);
  s.peakMb = mb(v[kLogPeak]);
  s.limitMb = v[kLogLimit];
  s.stats = AddressSpaceStats();
  s.stats.whole = true;
  s.stats.committed = v[kLogCommitted] << 20;
  s.stats.reserved = v[kLogReserved] << 20;
  s.stats.free = v[kLogFree] << 20;
  s.stats.largestFree = v[kLogLargestFree] << 20;
  s.stats.regions = mb(v[kLogRegions]);
  s.ceiling = TargetCeiling();
  s.ceiling.known = present[kLogCeiling];
  s.ceiling.is64Bit = v[kLogBits] == 64;  // older rows cannot tell it from an unread ceiling
  s.sessionKnown = present[kLogSession];
  s.session = mb(v[kLogSession]);
  ZCopy(s.user, kUserUnits, user);
  s.ceiling.mb = mb(v[kLogCeiling]);
  s.stats.usableFree = v[kLogUsableFree] << 20;
  s.stats.largestUsable = v[kLogLargestUsable] << 20;
  s.stats.largestUsableBelow2G = v[kLogLargestUsableBelow2G] << 20;
  for (int k = 0; columns_ > kLogKinds && k < kRegionKinds; ++k) {
    s.stats.committedByKind[k] = v[kLogKinds + 2 * k] << 20;
    s.stats.reservedByKind[k] = v[kLogKinds + 2 * k + 1] << 20;
  }
  hasStacks_ = present[kLogThreads];
  threads_ = mb(v[kLogThreads]);
  stackCommittedMb_ = v[kLogStackCommitted];
  stackReservedMb_ = v[kLogStackReserved];
  time.offsetMin = present[kLogUtcOffset] ? static_cast<int>(int64_t(v[kLogUtcOffset])) : 0;
  lastTime_ = time;
  rows_->LogRow(time, s, columns_);
  return true;
}
