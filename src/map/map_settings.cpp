#include "map/map_settings.h"

#include "settings/registry_api.h"

namespace {

const ZChar kMapKeyPath[] = ZT("Software\\QuandrilSoftware\\Zorvane\\Map");
const ZChar kWarnBelowValue[] = ZT("WarnBelowMB");
const ZChar kWarnAtValue[] = ZT("WarnAtPercent");
const ZChar kShowHistory[] = ZT("ShowHistory");

bool CreateMapKey() {
  RegistryKey key = nullptr;
  if (!Registry().CreateKey(kMapKeyPath, &key)) return false;
  Registry().CloseKey(key);
  return true;
}

}  // namespace

WarningThresholds LoadWarningThresholds() {
  WarningThresholds t;
  uint32_t v = 0;
  if (ReadDwordValue(kMapKeyPath, kWarnBelowValue, &v) && v >= 1 && v <= 4096) t.belowMb = v;
  if (ReadDwordValue(kMapKeyPath, kWarnAtValue, &v) && v >= 1 && v <= 100) t.atPercent = v;
  return t;
}

bool SaveWarningThresholds(const WarningThresholds& t) {
  return CreateMapKey() && WriteDwordValue(kMapKeyPath, kWarnBelowValue, t.belowMb) &&
         WriteDwordValue(kMapKeyPath, kWarnAtValue, t.atPercent);
}

bool LoadStripShown() {
  uint32_t v = 1;
  return !ReadDwordValue(kMapKeyPath, kShowHistory, &v) || v != 0;
}

bool SaveStripShown(bool shown) {
  return CreateMapKey() && WriteDwordValue(kMapKeyPath, kShowHistory, shown ? 1 : 0);
}
