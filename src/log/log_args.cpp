#include "log/log_args.h"

#include "log/alert_command.h"
#include "monitor/follow.h"
#include "monitor/warning.h"

const char kLogUsage[] =
    "usage: zorlog.exe [-i SECONDS] [-n ROWS] [-o FILE] [--metrics FILE.prom]\r\n"
    "                  [--warn-below MB] [--warn-at PERCENT] [--warn-minutes N]\r\n"
    "                  [--run \"COMMAND\"] [--event-log] [--save-map DIR]\r\n"
    "                  NAME|PID|--all NAME\r\n"
    "  NAME  an image name such as xtop.exe: waited for, followed, and waited for\r\n"
    "        again after it exits\r\n"
    "  PID   that process only, until it exits\r\n"
    "  --all NAME  every process of that name at once, each a row an interval\r\n"
    "  -i    seconds between rows, 1 to 3600 (default 1)\r\n"
    "  -n    stop after that many rows (default: until Ctrl+C)\r\n"
    "  -o    append the rows to FILE (default: standard output)\r\n"
    "  --metrics  write the figures after each interval to FILE.prom, in the\r\n"
    "             Prometheus text format; removed when zorlog ends\r\n"
    "  --warn-below    warn when the largest usable block falls under MB (1 to 4096)\r\n"
    "  --warn-at       warn at that share of the target's ceiling (1 to 100)\r\n"
    "  --warn-minutes  warn when the trend meets the ceiling within N minutes (1 to 1440)\r\n"
    "  --run       start COMMAND when a warning comes on; {PID}, {NAME}, {VIRTUAL_MB},\r\n"
    "              {LARGEST_USABLE_MB}, {CEILING_MB} and {KIND} are replaced\r\n"
    "  --event-log also write each warning to the Application event log\r\n"
    "  --save-map  save the map as CSV in DIR at each warning and before an exit\r\n"
    "zorlog.exe --register-event-source | --unregister-event-source\r\n"
    "  write or remove the event log source Zorvane (as administrator)\r\n";

namespace {

bool IsHelp(const ZChar* a) {
  return ZEqual(a, ZT("/?")) || ZEqual(a, ZT("-h")) || ZEqual(a, ZT("--help"));
}

bool Fail(ZChar* error, const char* what, const ZChar* value = nullptr, const char* after = "") {
  ZBuilder b(error, kLogErrorUnits);
  b.AddAscii(what);
  if (value) b.Add(value).AddAscii(after);
  return false;
}

bool Is(const ZChar* a, const char* name) {
  while (*name && *a == static_cast<ZChar>(*name)) ++a, ++name;
  return !*name && !*a;
}

enum OptionId {
  kInterval,
  kRows,
  kFile,
  kWarnBelow,
  kWarnAt,
  kWarnMinutes,
  kRun,
  kEventLog,
  kSaveMap,
  kRegister,
  kUnregister,
  kAll,
  kMetrics,
  kOptions
};

// Each option with its range; a zero max takes a text rather than a number,
// and a null range text takes no value at all.
const struct {
  const char* name;
  uint32_t min, max;
  const char* range;
} kOptionTable[kOptions] = {
    {"-i", 1, 3600, "-i must be from 1 to 3600 seconds, not "},
    {"-n", 1, 0xFFFFFFFFu, "-n must be from 1 to 4294967295 rows, not "},
    {"-o", 0, 0, "option -o needs a file name"},
    {"--warn-below", 1, 4096, "--warn-below must be from 1 to 4096 MB, not "},
    {"--warn-at", 1, 100, "--warn-at must be from 1 to 100 percent, not "},
    {"--warn-minutes", 1, 1440, "--warn-minutes must be from 1 to 1440 minutes, not "},
    {"--run", 0, 0, "option --run needs a command"},
    {"--event-log", 0, 0, nullptr},
    {"--save-map", 0, 0, "option --save-map needs a folder"},
    {"--register-event-source", 0, 0, nullptr},
    {"--unregister-event-source", 0, 0, nullptr},
    {"--all", 0, 0, nullptr},
    {"--metrics", 0, 0, "option --metrics needs a file name ending in .prom"},
};

// The longest -i at which the trend can still form: its fewest readings
// within its window.
const uint32_t kTrendIntervalMax = (Trend::kWindowSeconds - 1) / (Trend::kMinReadings - 1);

}  // namespace

bool ParseLogArgs(int argc, const ZChar* const* argv, LogArgs* args, ZChar* error) {
  *args = LogArgs();
  error[0] = 0;
  const ZChar* target = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (IsHelp(argv[i])) {
      args->help = true;
      return true;
    }
  }
  bool seen[kOptions] = {};
  for (int i = 1; i < argc; ++i) {
    const ZChar* a = argv[i];
    if (a[0] != '-' || !a[1]) {
      if (target) return Fail(error, "more than one process given: ", a);
      target = a;
      continue;
    }
    int id = 0;
    while (id < kOptions && !Is(a, kOptionTable[id].name)) ++id;
    if (id == kOptions) return Fail(error, "unknown option ", a);
    if (seen[id]) return Fail(error, "option ", a, " is given twice");
    seen[id] = true;
    const auto& option = kOptionTable[id];
    if (!option.range) {
      if (id == kEventLog)
        args->eventLog = true;
      else if (id == kAll)
        args->all = true;
      else
        args->eventSource = id == kRegister ? 1 : -1;
      continue;
    }
    if (i + 1 >= argc) return Fail(error, "option ", a, " needs a value");
    const ZChar* v = argv[++i];
    if (!option.max) {
      if (!*v) return Fail(error, option.range);
      (id == kFile      ? args->file
       : id == kRun     ? args->run
       : id == kMetrics ? args->metrics
                        : args->saveMapDir) = v;
      continue;
    }
    uint32_t n = 0;
    if (!ZAllDigits(v)) return Fail(error, "option ", a, " takes a whole number");
    if (!ZParseUint32(v, &n) || n < option.min || n > option.max)
      return Fail(error, option.range, v);
    uint32_t* field[] = {&args->intervalSeconds, &args->rows,          nullptr,
                         &args->warnBelowMb,     &args->warnAtPercent, &args->warnMinutes};
    *field[id] = n;
  }
  if (args->eventSource) {
    if (argc != 2) return Fail(error, "the event source is registered or unregistered alone");
    return true;
  }
  if (args->run && !args->warnBelowMb && !args->warnAtPercent && !args->warnMinutes)
    return Fail(error,
                "--run needs a warning to start it: --warn-below, --warn-at or --warn-minutes");
  if (args->warnMinutes && args->intervalSeconds > kTrendIntervalMax) {
    ZBuilder(error, kLogErrorUnits)
        .AddAscii("--warn-minutes needs -i at most ")
        .AddInt(kTrendIntervalMax)
        .AddAscii(": the trend wants three readings within five minutes");
    return false;
  }
  if (args->run && !AlertCommandFits(args->run)) {
    ZBuilder(error, kLogErrorUnits)
        .AddAscii("--run is longer than this system's ")
        .AddInt(static_cast<int64_t>(AlertCommandLimit()))
        .AddAscii(" characters once its values are in");
    return false;
  }
  // What the collector reads: a name ending in .prom, in any case.
  if (args->metrics && !(ZLen(args->metrics) > 5 && ZEndsWithAscii(args->metrics, ".prom")))
    return Fail(error, "--metrics needs a file name ending in .prom, not ", args->metrics);
  if (!target) return Fail(error, "no process name or PID given");
  static_assert(+kFollowErrorUnits <= +kLogErrorUnits, "the target's reason must fit");
  if (!ParseTarget(target, args->name, &args->pid, error)) return false;
  if (args->all && args->pid) return Fail(error, "--all takes an image name, not a PID");
  return true;
}
