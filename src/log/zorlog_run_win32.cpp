#include "log/zorlog_run_win32.h"

#include "common/console_win32.h"
#include "log/alert_actions_win32.h"
#include "log/fleet.h"
#include "log/log_output_win32.h"
#include "log/metrics_file_win32.h"
#include "log/row_clock.h"
#include "space/map_csv_win32.h"

namespace {

// The watch's actions carried out: nothing here waits on what it starts.
class SystemActions : public WatchActions {
 public:
  explicit SystemActions(const ZChar* folder) : folder_(folder) {}
  void Say(const ZChar* line) override { SayLine(GetStdHandle(STD_ERROR_HANDLE), line); }
  bool Start(const ZChar* commandLine, const AlertValues& values) override {
    return StartDetachedCommand(commandLine, values);
  }
  bool Report(const ZChar* line, EventId id, EventType type) override {
    return ReportToEventLog(line, id, type);
  }
  bool SaveMap(const RegionTable& regions, const ZChar* fileName) override {
    wchar_t path[MAX_PATH + kTextUnits + 40];
    if (!JoinFolderPath(folder_, fileName, path, MAX_PATH + kTextUnits + 40)) return false;
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteMapCsv(file, regions);
    CloseHandle(file);
    if (!written) DeleteFileW(path);  // no half map left to mislead
    return written;
  }

 private:
  const ZChar* folder_;
};

// Why the log ended, told on standard error (when it is a failure) and in
// the event log.
int Stop(const LogArgs& args, SystemActions* actions, MetricsFile* metrics, int code,
         const char* why, uint32_t rows) {
  // Figures left behind would read as live to the collector.
  if (args.metrics) metrics->Remove();
  wchar_t line[kConsoleLineUnits];
  ZBuilder(line, kConsoleLineUnits)
      .AddAscii("zorlog: stopped after ")
      .AddInt(rows)
      .AddAscii(" rows: ")
      .AddAscii(why);
  if (code)
    TellLine(args, line, kEventStopped, kEventError, actions);
  else if (args.eventLog)
    actions->Report(line, kEventStopped, kEventInformation);
  return code;
}

// The 1970 epoch's second on the system clock, which counts from 1601.
const uint64_t kUnixEpochSecond = 11644473600ull;

template <class Targets>
int Run(const LogArgs& args, Targets* targets, const ZChar* following, HANDLE out, uint32_t columns,
        HANDLE stop) {
  SystemActions actions(args.saveMapDir);
  if (args.eventLog) {
    wchar_t line[kConsoleLineUnits];
    ZBuilder(line, kConsoleLineUnits).AddAscii("zorlog: started, following ").Add(following);
    actions.Report(line, kEventStarted, kEventInformation);
  }
  Win32RowOutput output(out, args.file);
  RowWriter writer;
  MetricsFile metrics(args.metrics ? args.metrics : ZT(""));
  bool metricsFailed = false;
  enum { kMetricsMax = 256 };
  static MetricsInstance figures[kMetricsMax];
  RowClock clock(args.intervalSeconds, ClockMs(), GetTickCount());
  for (;;) {
    const RowTurn turn = clock.Look(ClockMs(), GetTickCount());
    if (turn.wentBack)
      actions.Say(ZT("zorlog: the system clock went back; the rows carry the true times"));
    if (WaitForSingleObject(stop, turn.waitMs) == WAIT_OBJECT_0)
      return Stop(args, &actions, &metrics, 0, "asked to stop", writer.Written());
    if (!turn.row) continue;
    const LogTime time = LocalTimeOf(turn.second);
    targets->Step(time, static_cast<int64_t>(turn.second - kUnixEpochSecond), GetTickCount(),
                  &actions);
    for (uint32_t i = 0; i < targets->Count(); ++i) {
      const FollowStep& step = targets->Reading(i);
      if (!step.row) continue;
      char row[kLogRowChars];
      const uint32_t bytes =
          static_cast<uint32_t>(FormatLogRow(time, step, row, sizeof row, columns));
      wchar_t note[kRowNoteUnits];
      const RowResult result = writer.Write(&output, row, bytes, note);
      if (result == kRowFatal)
        return Stop(args, &actions, &metrics, 1, "the log cannot be written", writer.Written());
      if (*note)
        TellLine(args, note, kEventRowsLost, result == kRowLost ? kEventError : kEventWarning,
                 &actions);
      if (args.rows && writer.Written() >= args.rows)
        return Stop(args, &actions, &metrics, 0, "all rows written", writer.Written());
    }
    if (args.metrics) {
      // Said once a run of failures: the collector may hold the file open.
      const bool written = metrics.Write(figures, targets->Metrics(figures, kMetricsMax));
      if (!written && !metricsFailed) {
        wchar_t line[kConsoleLineUnits];
        ZBuilder(line, kConsoleLineUnits)
            .AddAscii("zorlog: cannot replace ")
            .Add(args.metrics)
            .AddAscii(" (in use?): tried again at each interval");
        TellLine(args, line, kEventActionFailed, kEventError, &actions);
      }
      metricsFailed = !written;
    }
    if (targets->Done())
      return Stop(args, &actions, &metrics, 0, "the PID ended", writer.Written());
  }
}

}  // namespace

int RunLog(const LogArgs& args, TargetFollower* follower, HANDLE out, uint32_t columns,
           HANDLE stop) {
  OneTarget one(args, follower);
  wchar_t following[kTextUnits + 16];
  ZBuilder(following, kTextUnits + 16)
      .Add(follower->Name())
      .AddAscii(args.pid ? " by PID" : " by name");
  return Run(args, &one, following, out, columns, stop);
}

int RunFleet(const LogArgs& args, HANDLE out, uint32_t columns, HANDLE stop) {
  Fleet fleet(args);
  wchar_t following[kTextUnits + 16];
  ZBuilder(following, kTextUnits + 16).AddAscii("every ").Add(args.name);
  return Run(args, &fleet, following, out, columns, stop);
}
