#include "meter/level.h"

#include "meter/gauge.h"
#include "monitor/monitor_state.h"
#include "settings/view_settings.h"
#include "tray/tray_icon.h"

namespace {
const ZChar kTipHead[] = ZT("Current process: ");
const ZChar kTipMiddle[] = ZT("\r\nVirtual size: ");
const ZChar kTipTail[] = ZT(" MB");
const ZChar kEllipsis[] = ZT("...");
}  // namespace

int32_t TrayLevelFor(uint32_t sizeKb, uint64_t limitMb, int32_t levelCount) {
  if (levelCount <= 0) return 0;
  uint64_t limitKb = limitMb > UINT64_MAX / 1024 ? UINT64_MAX : limitMb * 1024;
  uint64_t kbPerLevel = limitKb / static_cast<uint64_t>(levelCount);
  // A limit not yet known reads as an empty level rather than a division by 0.
  if (kbPerLevel == 0) return 0;
  uint64_t level = sizeKb / kbPerLevel;
  uint64_t top = static_cast<uint64_t>(levelCount) - 1;
  return static_cast<int32_t>(level > top ? top : level);
}

void FormatTrayTip(const ZChar* name, uint32_t sizeKb, ZChar* out, size_t cap) {
  ZChar mb[kTextUnits];
  ZFormatInt(mb, kTextUnits, static_cast<int32_t>(sizeKb >> 10));
  // The shell keeps 63 units of a tip: the size line stays whole and the
  // name gives way, cut and marked with "...".
  size_t fixed = ZLen(kTipHead) + ZLen(kTipMiddle) + ZLen(mb) + ZLen(kTipTail);
  size_t room = kTrayTipUnits - 1 - fixed;
  size_t nameUnits = ZLenBounded(name, kTextUnits);
  ZChar shown[kTextUnits];
  if (nameUnits <= room) {
    ZCopy(shown, kTextUnits, name);
  } else {
    size_t keep = room - ZLen(kEllipsis);
    ZCopy(shown, keep + 1, name);
    // A cut through a surrogate pair would leave half a character.
    if (keep > 0 && shown[keep - 1] >= 0xD800 && shown[keep - 1] <= 0xDBFF) shown[keep - 1] = 0;
    ZBuilder(shown + ZLen(shown), kTextUnits - ZLen(shown)).Add(kEllipsis);
  }
  ZBuilder(out, cap).Add(kTipHead).Add(shown).Add(kTipMiddle).Add(mb).Add(kTipTail);
}

void UpdateTrayLevel() {
  MonitorState& m = g_monitor;
  m.trayLevelIndex = TrayLevelFor(m.sizeKb, m.limitMb, m.levelCount);
  ZChar tip[kTrayTipBuildUnits];
  FormatTrayTip(m.targetName, m.sizeKb, tip, kTrayTipBuildUnits);
  ModifyTrayIcon(tip);
}

void UpdateLevel() {
  MonitorState& m = g_monitor;
  if (!m.initialised) return;
  if (g_viewSettings.trayMode) {
    UpdateTrayLevel();
    return;
  }
  g_mainGauge.maximum = m.limitMb / 10;
  g_mainGauge.minimum = 0;
  UpdateGaugeRange(&g_mainGauge);
  g_mainGauge.value = m.sizeKb / 10240;
  UpdateGaugeValue(&g_mainGauge);
}
