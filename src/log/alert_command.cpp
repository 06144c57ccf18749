#include "log/alert_command.h"

#include <string.h>

#include "monitor/warning.h"
#include "sysinfo/system_api.h"

namespace {

const char* const kPlaceholders[kAlertValues] = {
    "PID", "NAME", "VIRTUAL_MB", "LARGEST_USABLE_MB", "CEILING_MB", "KIND"};

// The placeholder at p (its text through the closing brace), or -1.
int PlaceholderAt(const ZChar* p, size_t* length) {
  if (*p != '{') return -1;
  for (int i = 0; i < kAlertValues; ++i) {
    const char* n = kPlaceholders[i];
    size_t k = 0;
    while (n[k] && p[k + 1] == static_cast<ZChar>(n[k])) ++k;
    if (!n[k] && p[k + 1] == '}') {
      *length = k + 2;
      return i;
    }
  }
  return -1;
}

bool IsPlain(ZChar c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

}  // namespace

const char* AlertVariableName(int which) {
  static const char* const kNames[kAlertValues] = {"ZOR_PID",        "ZOR_NAME",
                                                   "ZOR_VIRTUAL_MB", "ZOR_LARGEST_USABLE_MB",
                                                   "ZOR_CEILING_MB", "ZOR_KIND"};
  return kNames[which];
}

void FormatAlertValue(const AlertValues& v, int which, ZChar* out, size_t units) {
  ZBuilder b(out, units);
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

bool ExpandAlertCommand(const ZChar* pattern, const AlertValues& v, ZChar* out, size_t units) {
  ZBuilder b(out, units);
  ZChar value[kAlertValueUnits];
  for (const ZChar* p = pattern; *p;) {
    size_t length = 0;
    const int which = PlaceholderAt(p, &length);
    if (which < 0) {
      const ZChar one[2] = {*p++, 0};
      b.Add(one);
      continue;
    }
    p += length;
    FormatAlertValue(v, which, value, kAlertValueUnits);
    for (ZChar* c = value; *c; ++c)
      if (!IsPlain(*c)) *c = '_';
    b.Add(value);
  }
  return !b.Truncated();
}

size_t AlertCommandLimit() {
  uint32_t major = 0, minor = 0;
  ZChar servicePack[kServicePackUnits];
  System().GetVersion(&major, &minor, servicePack);
  return major == 5 && minor == 0 ? 2047 : kAlertCommandUnits - 1;
}

bool AlertCommandFits(const ZChar* pattern) {
  ZChar name[kTextUnits];
  for (int i = 0; i < kTextUnits - 1; ++i) name[i] = 'x';
  name[kTextUnits - 1] = 0;
  AlertValues longest;
  longest.pid = 0xFFFFFFFFu;
  longest.name = name;
  longest.virtualMb = 0xFFFFFFFFu;
  longest.usableKnown = true;
  longest.largestUsableMb = longest.ceilingMb = 0xFFFFFFFFu;  // MB of a 32-bit space, and more
  for (const char* kind : kWarningKindNames)
    if (strlen(kind) > strlen(longest.kind)) longest.kind = kind;
  ZChar* out = ZAlloc(kAlertCommandUnits);
  const bool fits = out && ExpandAlertCommand(pattern, longest, out, AlertCommandLimit() + 1);
  ZFree(out);
  return fits;
}
