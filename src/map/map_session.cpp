#include "map/map_session.h"

#include <string.h>

#include "monitor/exit_code.h"
#include "space/free_space.h"
#include "space/map_reader.h"

namespace {

void AddTimeOfDay(ZBuilder& b, const MapTime& t) {
  b.AddInt(t.hour, 2);
  b.AddAscii(":");
  b.AddInt(t.minute, 2);
  b.AddAscii(":");
  b.AddInt(t.second, 2);
}

}  // namespace

MapSession::MapSession() { Retitle(nullptr); }

void MapSession::Restart() {
  trend_.Clear();
  warning_.Clear();
}

bool MapSession::Follow(const ZChar* name, uint32_t pid, ZChar* reason) {
  follower_.Follow(name, pid);
  chosen_ = false;
  state_ = kMapWaiting;
  readingPid_ = 0;
  regions_.Clear();
  map_ = AddressMap();
  figures_ = MapFigures();
  figuresText_[0] = 0;
  history_.Clear();
  clock_.Clear();
  openedFile_[0] = 0;  // a live reading is named by its process and time
  Restart();
  const bool running = !pid || follower_.Start(reason);
  if (!running) state_ = kMapNoTarget;
  Retitle(nullptr);
  return running;
}

void MapSession::FollowChosen(const ZChar* name, uint32_t pid) {
  ZChar reason[kFollowErrorUnits];
  // Start names a PID's process as the list does: another name means the
  // PID has passed to another process since the list was made.
  if (pid && Follow(ZT(""), pid, reason) && ZEqual(follower_.Name(), name)) {
    ZCopy(name_, kTextUnits, name);
    chosen_ = true;
    return;
  }
  Follow(name, 0, reason);
}

void MapSession::Stop() {
  follower_.Follow(ZT(""), 0);
  chosen_ = false;
  state_ = kMapNoTarget;
  Retitle(nullptr);
}

MapChanges MapSession::Step(const MapTime& now) {
  MapChanges c;
  if (state_ == kMapNoTarget || state_ == kMapExited || state_ == kMapOpened) return c;
  const bool was = follower_.Connected();
  const uint32_t pid = follower_.Pid();
  FollowStep step;
  follower_.Step(&step, &regions_);
  if (!was && follower_.Connected()) Restart();  // a new process: its own trend and warning
  if (follower_.Connected()) {
    state_ = kMapConnected;
    // A walk cut short is no reading: the exit shows at the next step.
    if (step.row && step.stats.whole) Read(step, now, &c);
  } else if (step.refusedLine >= 0 && state_ == kMapWaiting) {  // no reading to keep showing
    ZBuilder(figuresText_, kMapFiguresUnits)
        .Add(step.status[step.refusedLine])
        .AddAscii(":\r\nstart zormap as that user or elevated");
    c.figures = true;
  } else if (was) {
    exitPid_ = pid;
    exitTime_ = now;
    exitCodeKnown_ = step.exitCodeKnown;
    exitCode_ = step.exitCode;
    if (step.finished && chosen_) {  // the picked process is gone: its name from now on
      follower_.Follow(name_, 0);
      chosen_ = false;
    }
    state_ = follower_.Pid() == pid && step.finished ? kMapExited : kMapLastReading;
    warning_.Clear();  // the last reading stays, greyed, but warns no more
    c.look = true;
    if (exitCodeKnown_) {  // how it ended, under the figures of its last reading
      const size_t length = ZLen(figuresText_);
      ZBuilder(figuresText_ + length, kMapFiguresUnits - length).AddAscii("\r\nExited with ");
      const size_t more = ZLen(figuresText_);
      FormatExitCode(exitCode_, figuresText_ + more, kMapFiguresUnits - more);
      c.figures = true;
    }
  }
  Retitle(&c);
  return c;
}

void MapSession::MapOfRegions(AddressMap* out) {
  builder_.Begin(regions_.Top());
  for (uint32_t i = 0; i < regions_.Count(); ++i) {
    const MapRegion& r = regions_.At(i);
    builder_.Region({r.base, r.size, r.state, r.type, r.protect, r.allocationBase}, r.use);
  }
  builder_.Finish(out);
}

void MapSession::Read(const FollowStep& step, const MapTime& now, MapChanges* c) {
  const bool wasStale = readingPid_ != step.pid;
  // The map from the regions kept, marked with whose they are by the step.
  regions_.Keep();
  AddressMap fresh;
  MapOfRegions(&fresh);
  c->map = fresh.cells != map_.cells || memcmp(fresh.kind, map_.kind, fresh.cells) ||
           fresh.largestStart != map_.largestStart || fresh.largestEnd != map_.largestEnd;
  c->legend = memcmp(fresh.bytes, map_.bytes, sizeof fresh.bytes) != 0;
  map_ = fresh;
  regions_.NameAllocations(step.pid);
  c->reading = true;
  c->history = true;
  HistoryReading reading = ReadingOf(0, step);
  clock_.Place(now.tick,
               HistorySeconds(now.year, now.month, now.day, now.hour, now.minute, now.second),
               &reading);
  c->historyChange = history_.Add(reading);

  MapFigures& f = figures_;
  SetFigures(step);
  trend_.Add(now.tick, step.virtualMb);
  f.trendMinutes = trend_.MinutesTo(static_cast<uint32_t>(CeilingMb(f)));
  const bool on = warning_.On();
  if (f.ceiling.is64Bit)
    warning_.Clear();  // measured against nothing it could reach
  else
    c->flash = warning_.Update(thresholds_, WarningReadingOf(f));
  c->look = on != warning_.On() || wasStale;
  ZChar text[kMapFiguresUnits];
  FormatMapFigures(f, text, kMapFiguresUnits);
  ZChar flag[kMapFiguresUnits];
  if (FormatFlagLine(f.ceiling, flag, kMapFiguresUnits))
    ZBuilder(text + ZLen(text), kMapFiguresUnits - ZLen(text)).AddAscii("\r\n").Add(flag);
  c->figures = !ZEqual(text, figuresText_);
  ZCopy(figuresText_, kMapFiguresUnits, text);
  readingPid_ = step.pid;
  readingTime_ = now;
  ZCopy(readingName_, kTextUnits, follower_.Name());
}

void MapSession::AddExitCode(ZBuilder& b) const {
  if (!exitCodeKnown_) return;
  ZChar code[48];
  FormatExitCode(exitCode_, code, 48);
  b.AddAscii(" with ").Add(code);
}

void MapSession::SetFigures(const FollowStep& step) {
  MapFigures& f = figures_;
  f.virtualMb = step.virtualMb;
  f.peakMb = step.peakMb;
  f.regions = step.stats.regions;
  f.limitMb = step.limitMb;
  f.ceiling = step.ceiling;
  f.stats = step.stats;
}

void MapSession::Retitle(MapChanges* c) {
  ZChar title[kMapTitleUnits];
  ZBuilder b(title, kMapTitleUnits);
  if (warning_.On()) b.AddAscii("! ");
  b.AddAscii("zormap - ");
  switch (state_) {
    case kMapNoTarget:
      b.AddAscii("no process chosen");
      break;
    case kMapWaiting:
      b.AddAscii("waiting for ").Add(follower_.Name());
      if (*follower_.Refused()) b.AddAscii(": ").Add(follower_.Refused());
      break;
    case kMapConnected:
      b.Add(follower_.Name()).AddAscii(" (PID ").AddInt(follower_.Pid()).AddAscii(")");
      break;
    case kMapExited:
      b.Add(follower_.Name()).AddAscii(" (PID ").AddInt(exitPid_).AddAscii(") (exited");
      AddExitCode(b);
      b.AddAscii(")");
      break;
    case kMapLastReading:
      b.AddAscii("waiting for ").Add(follower_.Name()).AddAscii(" (PID ").AddInt(exitPid_);
      b.AddAscii(" exited ");
      AddTimeOfDay(b, exitTime_);
      AddExitCode(b);
      b.AddAscii(")");
      break;
    case kMapOpened:
      b.Add(opened_);
      break;
  }
  if (c) c->title = !ZEqual(title, title_);
  ZCopy(title_, kMapTitleUnits, title);
}

bool MapSession::Snapshot(MapSnapshot* out) const {
  if (!HasReading() || !out->regions.CopyFrom(regions_)) return false;
  ZCopy(out->name, kTextUnits, readingName_);
  out->pid = readingPid_;
  out->time = readingTime_;
  ZCopy(out->file, kSavedNameUnits, openedFile_);
  return true;
}

void ProposeCsvName(const MapSnapshot& s, ZChar* out, size_t units) {
  if (s.file[0]) {
    ZCopy(out, units, s.file);
    return;
  }
  SavedName n;
  ZCopy(n.image, kTextUnits, s.name);
  n.pid = s.pid;
  n.year = s.time.year, n.month = s.time.month, n.day = s.time.day;
  n.hour = s.time.hour, n.minute = s.time.minute, n.second = s.time.second;
  FormatSavedName(n, out, units);
}
