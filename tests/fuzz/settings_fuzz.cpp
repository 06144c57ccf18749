// The settings load against whatever the key holds: any value present or
// not, of any type and size, any registry call failing. The load either
// takes every value as stored or falls back to the defaults whole; no key
// is left open, and the name stays terminated. Without failures a save and
// a second load give back what the first load had.
#include <string.h>

#include "fuzz_input.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "support/settings_fakes.h"

namespace {

// In the order the load reads them.
const char* const kNames[] = {"ALLWAYS ON TOP", "SHOW MEM-SCALE",   "SHOW PROCESS INFO",
                              "SHOW ZOR IN SYSTEM TRAY", "RESTORE PREVIOUS POSITION",
                              "ZOR XPOS",       "ZOR YPOS",          "AUTO CONNECT TO PREV. PROCESS",
                              "NAME OF PREV PROCESS"};
enum { kOnTop, kMemScale, kInfo, kTray, kRestore, kX, kY, kAuto, kName, kCount };

const uint32_t kTypes[] = {kRegDword, kRegSz, 0 /* REG_NONE */, 3 /* REG_BINARY */};

struct Expected {
  bool loads = false;
  uint32_t numbers[kCount] = {};
  bool xRead = false, yRead = false;
  ZString name;
};

// What a load makes of the stored values, when no call fails.
Expected Model(const FakeRegistryApi& reg) {
  Expected e;
  auto number = [&](int i) {
    const RegValue* v = reg.Find(kZorvaneKeyPath, kNames[i]);
    if (!v || v->data.size() > 4) return false;
    for (size_t b = 0; b < v->data.size(); ++b) e.numbers[i] |= uint32_t{v->data[b]} << (8 * b);
    return true;
  };
  for (int i = kOnTop; i <= kRestore; ++i)
    if (!number(i)) return e;
  if (e.numbers[kRestore]) {
    if (!(e.xRead = number(kX))) return e;
    if (!(e.yRead = number(kY))) return e;
  }
  if (!number(kAuto)) return e;
  const RegValue* v = reg.Find(kZorvaneKeyPath, kNames[kName]);
  if (!v || v->data.size() > 2 * kTextUnits) return e;
  for (size_t b = 0; b + 1 < v->data.size(); b += 2) {
    ZChar c = static_cast<ZChar>(v->data[b] | v->data[b + 1] << 8);
    if (!c) break;
    e.name.push_back(c);
  }
  e.loads = true;
  return e;
}

bool ValidBool(const bool& b) {
  unsigned char raw;
  memcpy(&raw, &b, 1);
  return raw <= 1;
}

void CheckShape(const FakeRegistryApi& reg) {
  const ViewSettings& s = g_viewSettings;
  for (const bool* b : {&s.alwaysOnTop, &s.showMemScale, &s.showProcessInfo, &s.trayMode,
                        &s.restorePreviousPosition, &s.autoConnectPrevious, &s.defaultPlacement})
    FUZZ_CHECK(ValidBool(*b));
  FUZZ_CHECK(ZLenBounded(s.previousProcessName, kTextUnits + 1) <= kTextUnits);
  FUZZ_CHECK(reg.OpenHandles() == 0);
  if (s.defaultPlacement) {
    FUZZ_CHECK(s.alwaysOnTop && s.showMemScale && s.showProcessInfo && !s.trayMode &&
               s.restorePreviousPosition && s.autoConnectPrevious);
    FUZZ_CHECK(s.previousProcessName[0] == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  FakeStringTable strings;
  AddSettingsStrings(strings);
  FakeRegistryApi reg;
  memset(&g_viewSettings, 0, sizeof g_viewSettings);
  memset(g_settingsValueNames, 0, sizeof g_settingsValueNames);
  memset(&g_monitor, 0, sizeof g_monitor);

  uint8_t setup = in.Byte();
  if (setup & 1) reg.keys[kZorvaneKeyPath];
  // Fail the Nth open, create, query or set, if asked.
  int failAt = (setup & 2) ? in.Byte() : -1;
  int seen = 0;
  bool failed = false;
  reg.failWhen = [&](const RegCall&) {
    bool fail = seen++ == failAt;
    failed |= fail;
    return fail;
  };
  for (int i = 0; i < kCount; ++i) {
    uint8_t h = in.Byte();
    if (!(h & 1)) continue;
    uint32_t type = (h & 0x80) ? in.Number() : kTypes[h >> 1 & 3];
    size_t length = i == kName ? in.Byte() : h >> 3 & 7;
    std::vector<uint8_t> bytes = in.Bytes(length);
    reg.PutBytes(kZorvaneKeyPath, kNames[i], type, bytes);
  }
  const int32_t x0 = static_cast<int32_t>(in.Number()), y0 = static_cast<int32_t>(in.Number());
  g_viewSettings.windowX = x0;
  g_viewSettings.windowY = y0;
  ZString target = in.Units(in.Byte() % 80);
  ZCopy(g_monitor.targetName, kTextUnits, target.c_str());

  Expected e = Model(reg);
  LoadViewSettings();
  CheckShape(reg);
  const ViewSettings& s = g_viewSettings;
  if (!s.defaultPlacement) {
    FUZZ_CHECK(e.loads);
    FUZZ_CHECK(s.alwaysOnTop == (e.numbers[kOnTop] != 0));
    FUZZ_CHECK(s.showMemScale == (e.numbers[kMemScale] != 0));
    FUZZ_CHECK(s.showProcessInfo == (e.numbers[kInfo] != 0));
    FUZZ_CHECK(s.trayMode == (e.numbers[kTray] != 0));
    FUZZ_CHECK(s.restorePreviousPosition == (e.numbers[kRestore] != 0));
    FUZZ_CHECK(ZString(s.previousProcessName) == e.name);
  } else if (!failed) {
    FUZZ_CHECK(!e.loads);
  }
  if (!failed) {
    // A position is taken as read, even when a later read fails.
    FUZZ_CHECK(s.windowX == (e.xRead ? static_cast<int32_t>(e.numbers[kX]) : x0));
    FUZZ_CHECK(s.windowY == (e.yRead ? static_cast<int32_t>(e.numbers[kY]) : y0));
  }

  // Save what was loaded and load it again.
  ViewSettings before = g_viewSettings;
  SaveViewSettings();
  FUZZ_CHECK(reg.OpenHandles() == 0);
  if (failed || !reg.keys.count(kZorvaneKeyPath)) return 0;
  failAt = -1;
  LoadViewSettings();
  CheckShape(reg);
  FUZZ_CHECK(!s.defaultPlacement);
  FUZZ_CHECK(s.alwaysOnTop == before.alwaysOnTop && s.showMemScale == before.showMemScale &&
             s.showProcessInfo == before.showProcessInfo && s.trayMode == before.trayMode &&
             s.restorePreviousPosition == before.restorePreviousPosition);
  FUZZ_CHECK(s.windowX == before.windowX && s.windowY == before.windowY);
  FUZZ_CHECK(ZString(s.previousProcessName) == ZString(g_monitor.targetName));
  return 0;
}
