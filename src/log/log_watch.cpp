#include "log/log_watch.h"

#include "log/alert_command.h"
#include "monitor/exit_code.h"
#include "space/map_csv.h"

void FormatLogTime(const LogTime& t, ZBuilder& b) {
  b.AddInt(t.year, 4).AddAscii("-").AddInt(t.month, 2).AddAscii("-").AddInt(t.day, 2);
  b.AddAscii(" ").AddInt(t.hour, 2).AddAscii(":").AddInt(t.minute, 2).AddAscii(":");
  b.AddInt(t.second, 2);
}

LogWatch::LogWatch(const LogArgs& args) : args_(args) {
  thresholds_.belowMb = args.warnBelowMb;
  thresholds_.atPercent = args.warnAtPercent;
  thresholds_.minutes = args.warnMinutes;
}

void LogWatch::Step(const FollowStep& step, const ZChar* name, const LogTime& time, uint32_t tick,
                    WatchActions* actions) {
  for (int i = 0; i < step.statusCount; ++i) {
    if (i == step.refusedLine) {
      ZChar line[kWatchLineUnits];
      ZBuilder(line, kWatchLineUnits)
          .AddAscii("zorlog: ")
          .Add(step.status[i])
          .AddAscii(": start zorlog as that user or elevated");
      Tell(line, kEventCannotOpen, kEventWarning, actions);
      continue;
    }
    if (i != step.exitLine) {
      actions->Say(step.status[i]);
      continue;
    }
    SayExit(step.status[i], step.exitCodeKnown, step.exitCode, tick, actions);
    // The last whole reading before the exit, unless a warning saved it.
    if (args_.saveMapDir && kept_ && !keptSaved_) SaveMap(actions);
    running_ = kept_ = false;
    warning_.Clear();
  }
  if (!step.row) return;
  Read(step, name, time, tick);
  const WarningReading r = WarningReadingOf(
      step.virtualMb, step.ceiling, step.limitMb, step.stats,
      trend_.MinutesTo(static_cast<uint32_t>(CeilingMbOf(step.ceiling, step.limitMb))));
  uint32_t cameOn = 0, wentOff = 0;
  if (!step.ceiling.is64Bit) warning_.Update(thresholds_, r, &cameOn, &wentOff);
  for (int k = 0; k < kWarningKinds; ++k) {
    if (cameOn & (1u << k)) Warn(step, r, time, true, k, actions);
    if (wentOff & (1u << k)) Warn(step, r, time, false, k, actions);
  }
  if (cameOn && args_.saveMapDir && kept_) SaveMap(actions);  // one map, however many kinds
}

void LogWatch::Read(const FollowStep& step, const ZChar* name, const LogTime& time, uint32_t tick) {
  if (!running_ || step.pid != pid_) {  // a new process: its own trend, warnings and account
    running_ = true;
    pid_ = step.pid;
    startTick_ = tick;
    lowKnown_ = false;
    trend_.Clear();
    warning_.Clear();
    ZCopy(name_, kTextUnits, name);
  }
  peakMb_ = step.peakMb;
  trend_.Add(tick, step.virtualMb);
  const uint64_t usable = step.stats.largestUsable >> 20;
  if (step.ceiling.known && (!lowKnown_ || usable < lowestUsableMb_)) {
    lowKnown_ = true;
    lowestUsableMb_ = usable;
    lowestTime_ = time;
  }
  if (args_.saveMapDir && step.stats.whole) {
    regions_.Keep();
    regions_.NameAllocations(step.pid);
    kept_ = true;
    keptSaved_ = false;
    keptTime_ = time;
  }
}

void LogWatch::Warn(const FollowStep& step, const WarningReading& r, const LogTime& time, bool on,
                    int kind, WatchActions* actions) {
  ZChar line[kWatchLineUnits];
  ZBuilder b(line, kWatchLineUnits);
  b.AddAscii("zorlog: ").AddAscii(kWarningKindNames[kind]).AddAscii(on ? " at " : " cleared at ");
  FormatLogTime(time, b);
  b.AddAscii(": ");
  switch (kind) {
    case kWarnBelow:
      b.AddAscii("largest usable block ").AddInt(static_cast<int64_t>(r.largestUsableMb));
      b.AddAscii(" MB (warns under ").AddInt(thresholds_.belowMb).AddAscii(" MB)");
      break;
    case kWarnAt:
      b.AddInt(r.percent);
      b.AddAscii(" % of the ceiling (warns at ").AddInt(thresholds_.atPercent).AddAscii(" %)");
      break;
    default:
      if (r.trendMinutes >= 0)
        b.AddAscii("about ").AddInt(r.trendMinutes).AddAscii(" min to the ceiling");
      else
        b.AddAscii("not growing");
      b.AddAscii(" (warns within ").AddInt(thresholds_.minutes).AddAscii(" min)");
  }
  b.AddAscii("; ").Add(name_).AddAscii(" (PID ").AddInt(step.pid).AddAscii(") ");
  b.AddInt(step.virtualMb)
      .AddAscii(" MB of ")
      .AddInt(static_cast<int64_t>(r.ceilingMb))
      .AddAscii(" MB");
  Tell(line, on ? kEventWarningOn : kEventWarningOff, on ? kEventWarning : kEventInformation,
       actions);
  if (!on || !args_.run) return;
  AlertValues v;
  v.pid = step.pid;
  v.name = name_;
  v.virtualMb = step.virtualMb;
  v.usableKnown = r.usableKnown;
  v.largestUsableMb = r.largestUsableMb;
  v.ceilingMb = r.ceilingMb;
  v.kind = kWarningKindNames[kind];
  // Checked at the start to fit with the longest values.
  ZChar* command = ZAlloc(kAlertCommandUnits);
  if (command && ExpandAlertCommand(args_.run, v, command, kAlertCommandUnits) &&
      actions->Start(command, v)) {
    ZFree(command);
    return;
  }
  ZBuilder(line, kWatchLineUnits).AddAscii("zorlog: cannot start ").Add(command ? command : ZT(""));
  ZFree(command);
  Tell(line, kEventActionFailed, kEventError, actions);
}

void TellLine(const LogArgs& args, const ZChar* line, EventId id, EventType type,
              WatchActions* actions) {
  actions->Say(line);
  if (args.eventLog && !actions->Report(line, id, type))
    actions->Say(ZT("zorlog: cannot write to the event log"));
}

uint32_t LogWatch::WarningsOn() const {
  uint32_t on = 0;
  for (int kind = 0; kind < kWarningKinds; ++kind)
    if (warning_.On(static_cast<WarningKind>(kind))) on |= 1u << kind;
  return on;
}

void LogWatch::SaveMap(WatchActions* actions) {
  SavedName n;
  ZCopy(n.image, kTextUnits, name_);
  n.pid = pid_;
  n.year = keptTime_.year, n.month = keptTime_.month, n.day = keptTime_.day;
  n.hour = keptTime_.hour, n.minute = keptTime_.minute, n.second = keptTime_.second;
  ZChar file[kTextUnits + 32];
  FormatSavedName(n, file, kTextUnits + 32);
  keptSaved_ = true;
  if (actions->SaveMap(regions_, file)) return;
  ZChar line[kWatchLineUnits];
  ZBuilder(line, kWatchLineUnits).AddAscii("zorlog: cannot save the map as ").Add(file);
  Tell(line, kEventActionFailed, kEventError, actions);
}

void LogWatch::SayExit(const ZChar* status, bool codeKnown, uint32_t code, uint32_t tick,
                       WatchActions* actions) {
  ZChar line[kWatchLineUnits];
  ZBuilder b(line, kWatchLineUnits);
  b.Add(status);
  if (running_) {
    const uint32_t seconds = (tick - startTick_) / 1000;  // unsigned: safe across the wrap
    b.AddAscii(", watched ");
    if (seconds >= 3600) b.AddInt(seconds / 3600).AddAscii(" h ");
    if (seconds >= 60) b.AddInt(seconds / 60 % 60).AddAscii(" min ");
    b.AddInt(seconds % 60).AddAscii(" s; peak ").AddInt(peakMb_).AddAscii(" MB");
    if (lowKnown_) {
      b.AddAscii("; smallest largest usable block ").AddInt(static_cast<int64_t>(lowestUsableMb_));
      b.AddAscii(" MB at ");
      FormatLogTime(lowestTime_, b);
    }
  }
  Tell(line, kEventTargetEnded, codeKnown && code != 0 ? kEventWarning : kEventInformation,
       actions);
}
