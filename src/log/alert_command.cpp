#include "log/alert_command.h"

namespace {

// The placeholder at p (its text through the closing brace), or -1.
int PlaceholderAt(const ZChar* p, size_t* length) {
  static const char* const kNames[] = {
      "{PID}", "{NAME}", "{VIRTUAL_MB}", "{LARGEST_USABLE_MB}", "{CEILING_MB}", "{KIND}"};
  for (int i = 0; i < 6; ++i) {
    const char* n = kNames[i];
    size_t k = 0;
    while (n[k] && p[k] == static_cast<ZChar>(n[k])) ++k;
    if (!n[k]) {
      *length = k;
      return i;
    }
  }
  return -1;
}

}  // namespace

bool ExpandAlertCommand(const ZChar* pattern, const AlertValues& v, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  for (const ZChar* p = pattern; *p;) {
    size_t length = 0;
    const int which = *p == '{' ? PlaceholderAt(p, &length) : -1;
    if (which < 0) {
      const ZChar one[2] = {*p++, 0};
      b.Add(one);
      continue;
    }
    p += length;
    switch (which) {
      case 0:
        b.AddInt(v.pid);
        break;
      case 1:
        b.Add(v.name ? v.name : ZT(""));
        break;
      case 2:
        b.AddInt(v.virtualMb);
        break;
      case 3:
        if (v.usableKnown) b.AddInt(static_cast<int64_t>(v.largestUsableMb));
        break;
      case 4:
        if (v.usableKnown) b.AddInt(static_cast<int64_t>(v.ceilingMb));
        break;
      default:
        b.AddAscii(v.kind);
        break;
    }
  }
  return !b.Truncated();
}
