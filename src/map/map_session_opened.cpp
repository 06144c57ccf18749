// A saved file shown in the session instead of a target: a zorlog log's
// rows against time with its last row as the figures, or a saved map with
// its panels and the figures its regions give. Nothing is followed meanwhile.
#include "map/map_figures.h"
#include "map/map_session.h"
#include "space/map_reader.h"

namespace {

const ZChar* SavedNameOf(const void* saved, uint64_t base) {
  return static_cast<const MapReader*>(saved)->NameOf(base);
}

}  // namespace

void MapSession::Open(const ZChar* path) {
  follower_.Follow(ZT(""), 0);
  chosen_ = false;
  state_ = kMapOpened;
  Restart();
  regions_.Clear();
  map_ = AddressMap();
  figures_ = MapFigures();
  readingPid_ = 0;
  openedFile_[0] = 0;
  ZBuilder(opened_, kMapTitleUnits).Add(ZFileName(path));
}

void MapSession::ShowLog(const ZChar* path, const History& rows, const FollowStep& last,
                         int32_t trendMinutes, uint32_t skipped, uint32_t pid) {
  Open(path);
  history_ = rows;
  SetFigures(last);
  figures_.trendMinutes = trendMinutes;
  // A log keeps the ceiling's figure, not why: the figure is the line's.
  ZBuilder reason(figures_.ceiling.reason, kCeilingReasonUnits);
  if (last.ceiling.known)
    reason.AddInt(last.ceiling.mb).AddAscii(" MB, as logged");
  else
    reason.AddAscii("not logged; against the limit, ")
        .AddInt(int64_t(last.limitMb))
        .AddAscii(" MB");
  FormatMapFigures(figures_, figuresText_, kMapFiguresUnits);
  ZBuilder b(opened_, kMapTitleUnits);
  b.Add(ZFileName(path)).AddAscii(" (log, ");
  if (pid != kEveryPid) b.AddAscii("PID ").AddInt(pid).AddAscii(", ");
  b.AddInt(rows.Readings()).AddAscii(" rows");
  if (skipped) b.AddAscii(", ").AddInt(skipped).AddAscii(" other lines skipped");
  b.AddAscii(")");
  Retitle(nullptr);
}

void MapSession::ShowSavedMap(const ZChar* path, const MapReader& saved) {
  Open(path);
  history_.Clear();
  // The regions as a walk would give them, with who held them, against the
  // ceiling the file records (older files hold none: their last address).
  const TargetCeiling& ceiling = saved.Ceiling();
  regions_.Begin(ceiling.known ? ceiling.lastByte : saved.Top(), ceiling);
  for (uint32_t i = 0; i < saved.Count(); ++i) regions_.Region(saved.At(i));
  regions_.Keep();
  MapOfRegions(&map_);
  regions_.NameAllocations(0, SavedNameOf, &saved);
  MapFigures& f = figures_;
  f.stats = saved.Figures();
  f.regions = saved.Count();
  f.virtualMb = static_cast<uint32_t>((f.stats.committed + f.stats.reserved) >> 20);
  f.peakMb = f.virtualMb;
  f.limitMb = (saved.Top() + 1) >> 20;
  f.ceiling = ceiling;
  if (ceiling.known) {
    // The live window's figures, but for the trend: one reading has none.
    FormatMapFigures(f, figuresText_, kMapFiguresUnits);
    ZChar* trend = figuresText_;
    for (ZChar* p = figuresText_; *p; ++p)
      if (p[0] == '\r' && p[1] == '\n') trend = p;
    if (trend != figuresText_) *trend = 0;
  } else {
    ZBuilder b(figuresText_, kMapFiguresUnits);
    // The file holds no ceiling: the figures are against its last address.
    b.AddAscii("Virtual size: ").AddInt(f.virtualMb).AddAscii(" MB of ");
    b.AddAscii("the ").AddInt(static_cast<int64_t>(f.limitMb)).AddAscii(" MB the saved map covers");
    b.AddAscii("\r\n(a saved map holds no ceiling)");
    b.AddAscii("\r\nFree: ").AddInt(static_cast<int64_t>(f.stats.free >> 20));
    b.AddAscii(" MB, largest free block ").AddInt(static_cast<int64_t>(f.stats.largestFree >> 20));
    b.AddAscii(" MB\r\nRegions: ").AddInt(f.regions);
  }
  SavedName name = {};
  ZBuilder t(opened_, kMapTitleUnits);
  t.AddAscii("saved reading ");
  ZCopy(openedFile_, kSavedNameUnits, ZFileName(path));  // Save As proposes it again
  if (ParseSavedName(path, &name)) {
    readingPid_ = name.pid;
    ZChar when[kHistoryTimeUnits];
    FormatHistoryTime(
        HistorySeconds(name.year, name.month, name.day, name.hour, name.minute, name.second), when);
    t.AddAscii("of ").Add(name.image).AddAscii(" (PID ").AddInt(name.pid).AddAscii(") at ");
    t.Add(when).AddAscii(" - ");
  }
  if (!readingPid_) readingPid_ = 0xFFFFFFFFu;  // shown, though of no PID known
  t.Add(ZFileName(path));
  ZCopy(readingName_, kTextUnits, name.image);
  Retitle(nullptr);
}

bool IsFileArgument(const ZChar* arg) {
  for (const ZChar* p = arg; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') return true;
  return ZEndsWithAscii(arg, ".csv");
}
