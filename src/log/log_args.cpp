#include "log/log_args.h"

#include "monitor/follow.h"

const char kLogUsage[] =
    "usage: zorlog.exe [-i SECONDS] [-n ROWS] [-o FILE] NAME|PID\r\n"
    "  NAME  an image name such as xtop.exe: waited for, followed, and waited for\r\n"
    "        again after it exits\r\n"
    "  PID   that process only, until it exits\r\n"
    "  -i    seconds between rows, 1 to 3600 (default 1)\r\n"
    "  -n    stop after that many rows (default: until Ctrl+C)\r\n"
    "  -o    append the rows to FILE (default: standard output)\r\n";

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
  bool seen[3] = {false, false, false};  // -i, -n, -o
  for (int i = 1; i < argc; ++i) {
    const ZChar* a = argv[i];
    if (a[0] != '-' || !a[1]) {
      if (target) return Fail(error, "more than one process given: ", a);
      target = a;
      continue;
    }
    if ((a[1] != 'i' && a[1] != 'n' && a[1] != 'o') || a[2])
      return Fail(error, "unknown option ", a);
    bool& given = seen[a[1] == 'i' ? 0 : a[1] == 'n' ? 1 : 2];
    if (given) return Fail(error, "option ", a, " is given twice");
    given = true;
    if (i + 1 >= argc) return Fail(error, "option ", a, " needs a value");
    const ZChar* v = argv[++i];
    if (a[1] == 'o') {
      if (!*v) return Fail(error, "option -o needs a file name");
      args->file = v;
      continue;
    }
    uint32_t n = 0;
    if (!ZAllDigits(v)) return Fail(error, "option ", a, " takes a whole number");
    if (a[1] == 'i') {
      if (!ZParseUint32(v, &n) || n < 1 || n > 3600)
        return Fail(error, "-i must be from 1 to 3600 seconds, not ", v);
      args->intervalSeconds = n;
    } else {
      if (!ZParseUint32(v, &n) || n < 1)
        return Fail(error, "-n must be from 1 to 4294967295 rows, not ", v);
      args->rows = n;
    }
  }
  if (!target) return Fail(error, "no process name or PID given");
  static_assert(+kFollowErrorUnits <= +kLogErrorUnits, "the target's reason must fit");
  return ParseTarget(target, args->name, &args->pid, error);
}
