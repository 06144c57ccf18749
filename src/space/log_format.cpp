#include "space/log_format.h"

#include <string.h>

#define ZOR_LOG_COLUMNS                                                                     \
  "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"           \
  "peak_virtual_mb,limit_mb,ceiling_mb,usable_free_mb,largest_usable_mb,"                   \
  "largest_usable_below_2g_mb,image_committed_mb,image_reserved_mb,mapped_committed_mb,"    \
  "mapped_reserved_mb,private_committed_mb,private_reserved_mb,threads,stack_committed_mb," \
  "stack_reserved_mb,utc_offset_min,bits,session,user"

const char kLogColumns[] = ZOR_LOG_COLUMNS;
const char kLogHeader[] = ZOR_LOG_COLUMNS "\r\n";

const char* LogColumnName(uint32_t n, uint32_t* length) {
  const char* p = kLogColumns;
  for (; n && strchr(p, ','); --n) p = strchr(p, ',') + 1;
  const char* end = strchr(p, ',');
  *length = static_cast<uint32_t>(end ? end - p : strlen(p));
  return p;
}

uint32_t LogHeaderColumns(const char* line, size_t length) {
  static const uint32_t kHeaders[] = {kLogColumnsFirst, kLogColumnsCeiling, kLogColumnsStacks,
                                      kLogColumnsAll};
  for (uint32_t columns : kHeaders) {
    uint32_t nameLength;
    const char* last = LogColumnName(columns - 1, &nameLength);
    if (static_cast<size_t>(last + nameLength - kLogColumns) == length &&
        !memcmp(line, kLogColumns, length))
      return columns;
  }
  return 0;
}

namespace {

int Field(int v) { return v < 0 ? 0 : v; }

bool Digits(const char* p, int n, int* value) {
  *value = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    *value = *value * 10 + (p[i] - '0');
  }
  return true;
}

}  // namespace

void AddLogTime(CharBuilder& b, const LogTime& t) {
  b.Num(Field(t.year), 4).Add("-").Num(Field(t.month), 2).Add("-").Num(Field(t.day), 2);
  b.Add("T").Num(Field(t.hour), 2).Add(":").Num(Field(t.minute), 2);
  b.Add(":").Num(Field(t.second), 2);
}

bool ParseLogTime(const char* p, uint32_t length, LogTime* t) {
  if (length != 19 || p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':')
    return false;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Digits(p, 4, &t->year) && Digits(p + 5, 2, &t->month) && Digits(p + 8, 2, &t->day) &&
         Digits(p + 11, 2, &t->hour) && Digits(p + 14, 2, &t->minute) &&
         Digits(p + 17, 2, &t->second) && t->month >= 1 && t->month <= 12 && t->day >= 1 &&
         t->day <= kDays[t->month - 1] && t->hour < 24 && t->minute < 60 && t->second < 60;
}
