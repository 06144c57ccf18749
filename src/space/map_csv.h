// The map CSV that zormap's Save and --save and zorlog's --save-map write,
// one line a region, and the name a saved reading is given.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "space/regions.h"

extern const char kMapCsvHeader[];
// The line after the header that records what the figures need beside the
// regions: "ceiling,MB,LAST_USABLE_BYTE,STACK_RESERVE" (readers before it
// skip it as no row). Written only for a known ceiling; returns its length.
extern const char kMapCsvCeiling[];
size_t FormatCsvCeiling(const TargetCeiling& c, char* out, size_t cap);
// The use column's values, by PrivateUse, then null.
extern const char* const kMapUseNames[kPrivateUses + 1];
// One CSV line with CR LF, always terminated; returns its length. A stack
// or thread block is named by its thread.
size_t FormatCsvLine(const MapRegion& r, const ZChar* name, char* out, size_t cap);

// What the name zormap proposes, <image>-<pid>-<yyyymmdd-hhmmss>.csv, says;
// false when the file's name (a path's last part) has another form.
struct SavedName {
  ZChar image[kTextUnits];
  uint32_t pid;
  int year, month, day, hour, minute, second;
};
bool ParseSavedName(const ZChar* path, SavedName* out);
// That form for a reading: the image without ".exe", always terminated.
void FormatSavedName(const SavedName& s, ZChar* out, size_t units);
