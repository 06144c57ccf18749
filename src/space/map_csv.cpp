// The map CSV's lines, and the name a saved reading is given.
#include "space/map_csv.h"

#include "common/char_builder.h"
#include "monitor/process_api.h"

const char kMapCsvHeader[] = "base,size,state,type,protect,allocation_base,name,use\r\n";
const char kMapCsvCeiling[] = "ceiling";
const char* const kMapUseNames[kPrivateUses + 1] = {"", "stack", "thread block", "process block",
                                                    nullptr};

size_t FormatCsvLine(const MapRegion& r, const ZChar* name, char* out, size_t cap) {
  if (!cap) return 0;
  CharBuilder b(out, cap);
  b.Add("0x").Num(r.base, 8, 16).Add(",").Num(r.size).Add(",").Add(RegionStateText(r.state));
  b.Add(",").Add(RegionTypeText(r.type)).Add(",0x").Num(r.protect, 1, 16);
  b.Add(",0x").Num(r.allocationBase, 8, 16).Add(",");
  ZChar thread[32];
  if (r.use == kUseStack || r.use == kUseThreadBlock) {
    ZBuilder(thread, 32).AddAscii("thread ").AddInt(r.tid);
    name = thread;
  }
  b.AddCsvQuoted(name).Add(",").Add(kMapUseNames[r.use < kPrivateUses ? r.use : 0]).Add("\r\n");
  return b.Length();
}

size_t FormatCsvCeiling(const TargetCeiling& c, char* out, size_t cap) {
  if (!cap) return 0;
  *out = 0;
  if (!c.known) return 0;
  CharBuilder b(out, cap);
  b.Add(kMapCsvCeiling).Add(",").Num(c.mb).Add(",0x").Num(c.lastByte, 8, 16);
  b.Add(",").Num(c.stackReserve).Add("\r\n");
  return b.Length();
}

bool ParseSavedName(const ZChar* path, SavedName* out) {
  const ZChar* name = ZFileName(path);
  const size_t length = ZLen(name);
  // "-yyyymmdd-hhmmss.csv" after "<image>-<pid>".
  const size_t kTail = 20;
  if (length < kTail + 3) return false;
  const ZChar* tail = name + length - kTail;
  char t[kTail + 1];
  for (size_t i = 0; i < kTail; ++i) t[i] = tail[i] < 128 ? static_cast<char>(tail[i]) : '?';
  t[kTail] = 0;
  static const char kShape[] = "-99999999-999999.csv";
  int d[14], n = 0;
  for (size_t i = 0; i < kTail; ++i) {
    const char want = kShape[i];
    const char c =
        want == 'c' || want == 's' || want == 'v' ? static_cast<char>(t[i] | 0x20) : t[i];
    if (want == '9' ? c < '0' || c > '9' : c != want) return false;
    if (want == '9') d[n++] = c - '0';
  }
  const ZChar* pidEnd = tail;
  const ZChar* pidStart = pidEnd;
  while (pidStart > name && *(pidStart - 1) >= '0' && *(pidStart - 1) <= '9') --pidStart;
  if (pidStart == pidEnd || pidEnd - pidStart > 10 || pidStart - name < 2 || *(pidStart - 1) != '-')
    return false;
  uint64_t pid = 0;
  for (const ZChar* p = pidStart; p < pidEnd; ++p) pid = pid * 10 + (*p - '0');
  const auto num = [&](int from, int count) {
    int v = 0;
    for (int i = from; i < from + count; ++i) v = v * 10 + d[i];
    return v;
  };
  SavedName s;
  s.year = num(0, 4), s.month = num(4, 2), s.day = num(6, 2);
  s.hour = num(8, 2), s.minute = num(10, 2), s.second = num(12, 2);
  if (!pid || pid > 0xFFFFFFFFu || s.month < 1 || s.month > 12 || s.day < 1 || s.day > 31 ||
      s.hour > 23 || s.minute > 59 || s.second > 59)
    return false;
  s.pid = static_cast<uint32_t>(pid);
  const size_t imageUnits = static_cast<size_t>(pidStart - 1 - name);
  ZCopy(s.image, imageUnits + 1 < size_t{kTextUnits} ? imageUnits + 1 : size_t{kTextUnits}, name);
  *out = s;
  return true;
}

void FormatSavedName(const SavedName& s, ZChar* out, size_t units) {
  ZChar stem[kTextUnits];
  ZCopy(stem, kTextUnits, s.image);
  const size_t length = ZLen(stem);
  if (length > 4 && ZEndsWithAscii(stem, ".exe")) stem[length - 4] = 0;
  ZBuilder b(out, units);
  b.Add(stem).AddAscii("-").AddInt(s.pid).AddAscii("-");
  b.AddInt(s.year, 4).AddInt(s.month, 2).AddInt(s.day, 2).AddAscii("-");
  b.AddInt(s.hour, 2).AddInt(s.minute, 2).AddInt(s.second, 2).AddAscii(".csv");
}
