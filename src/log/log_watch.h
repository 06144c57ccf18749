// What zorlog.exe does besides writing rows: the warnings it was asked for,
// each with its actions, and the account of how a target ended, with its
// last map where maps are kept.
#pragma once
#include <stdint.h>

#include "log/alert_command.h"
#include "log/log_args.h"
#include "log/log_row.h"
#include "monitor/follow.h"
#include "monitor/warning.h"
#include "space/regions.h"

// The event log's entries: IDs fixed (the README lists them, the message
// table in zorlog.exe words them), each carrying its line.
enum EventId {
  kEventWarningOn = 1,
  kEventWarningOff = 2,
  kEventTargetEnded = 3,
  kEventActionFailed = 4,
  kEventCannotOpen = 5,
  kEventRowsLost = 6,
  kEventStarted = 7,
  kEventStopped = 8,
};
enum EventType { kEventInformation, kEventWarning, kEventError };

// The system's part: carried out by the program, recorded by the tests.
class WatchActions {
 public:
  virtual ~WatchActions() {}
  virtual void Say(const ZChar* line) = 0;  // a line on standard error
  // Started without waiting, the exact values in its environment; false
  // when it could not be.
  virtual bool Start(const ZChar* commandLine, const AlertValues& values) = 0;
  virtual bool Report(const ZChar* line, EventId id, EventType type) = 0;  // the event log
  // The regions as a map CSV under that name in the folder given, never
  // over another file; false when it cannot be written.
  virtual bool SaveMap(const RegionTable& regions, const ZChar* fileName) = 0;
};

enum { kWatchLineUnits = 512 };

// A line on standard error and, with --event-log, an entry.
void TellLine(const LogArgs& args, const ZChar* line, EventId id, EventType type,
              WatchActions* actions);

class LogWatch {
 public:
  explicit LogWatch(const LogArgs& args);
  // The sink for the follower's walk: the map kept, where maps are saved.
  RegionSink* Sink() { return args_.saveMapDir ? &regions_ : nullptr; }
  // After each step, before its row is written: says its status lines (the
  // exit's with its account), and acts on the warnings. time: the reading's
  // label; tick: GetTickCount, for the trend and how long the target ran.
  // name: the image followed.
  void Step(const FollowStep& step, const ZChar* name, const LogTime& time, uint32_t tick,
            WatchActions* actions);
  // A line on standard error and, with --event-log, an entry.
  void Tell(const ZChar* line, EventId id, EventType type, WatchActions* actions) {
    TellLine(args_, line, id, type, actions);
  }
  // The warning's kinds on now, as bits (1 << WarningKind).
  uint32_t WarningsOn() const;

 private:
  void Read(const FollowStep& step, const ZChar* name, const LogTime& time, uint32_t tick);
  // A kind coming on or going off, said with the reading it was judged on.
  void Warn(const FollowStep& step, const WarningReading& r, const LogTime& time, bool on, int kind,
            WatchActions* actions);
  void SaveMap(WatchActions* actions);
  void SayExit(const ZChar* status, bool codeKnown, uint32_t code, uint32_t tick,
               WatchActions* actions);
  const LogArgs& args_;
  WarningThresholds thresholds_;
  Trend trend_;
  Warning warning_;
  // The process followed now, from its first reading on.
  bool running_ = false;
  uint32_t pid_ = 0, startTick_ = 0, peakMb_ = 0;
  bool lowKnown_ = false;
  uint64_t lowestUsableMb_ = 0;
  LogTime lowestTime_ = {};
  ZChar name_[kTextUnits] = {0};
  // The last whole reading's regions, named while the process lived: after
  // an exit nothing can be named.
  RegionTable regions_;
  bool kept_ = false;
  bool keptSaved_ = false;  // a warning saved that very reading
  LogTime keptTime_ = {};
};

// "2026-12-08 03:14:07".
void FormatLogTime(const LogTime& t, ZBuilder& b);
