#include "settings/view_settings.h"

#include "common/string_table.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"

ViewSettings g_viewSettings;
ZChar g_settingsValueNames[kSettingsValueCount][kSettingsTextUnits];

namespace {

const ZChar* ValueName(uint32_t id) { return g_settingsValueNames[id - IDS_NAME_ALWAYS_ON_TOP]; }

void LoadValueNames() {
  for (uint32_t i = 0; i < kSettingsValueCount; ++i)
    Strings().Load(IDS_NAME_ALWAYS_ON_TOP + i, g_settingsValueNames[i], kSettingsTextUnits);
}

void LoadKeyPath(ZChar* path) { Strings().Load(IDS_KEY_PATH, path, kSettingsTextUnits); }

// Opens the key, or creates it when it cannot be opened; holds no handle.
bool EnsureKey(const ZChar* path) {
  if (!path[0]) return false;  // would be the hive's root
  RegistryApi& reg = Registry();
  RegistryKey key = nullptr;
  if (reg.OpenKey(path, &key) || reg.CreateKey(path, &key)) {
    reg.CloseKey(key);
    return true;
  }
  return false;
}

bool ReadNumber(const ZChar* path, uint32_t nameId, uint32_t* number) {
  return ReadDwordValue(path, ValueName(nameId), number);
}

int32_t FromPattern(uint32_t v) {
  return v <= 0x7FFFFFFFu ? static_cast<int32_t>(v) : -static_cast<int32_t>(~v) - 1;
}

// Every read of the load, in order; false at the first that fails.
bool ReadAll(const ZChar* path, uint32_t flags[4]) {
  ViewSettings& s = g_viewSettings;
  uint32_t number = 0;
  if (!ReadNumber(path, IDS_NAME_ALWAYS_ON_TOP, &flags[0]) ||
      !ReadNumber(path, IDS_NAME_SHOW_MEM_SCALE, &flags[1]) ||
      !ReadNumber(path, IDS_NAME_SHOW_PROCESS_INFO, &flags[2]) ||
      !ReadNumber(path, IDS_NAME_TRAY, &flags[3]) ||
      !ReadNumber(path, IDS_NAME_RESTORE_POSITION, &number))
    return false;
  s.restorePreviousPosition = number != 0;
  if (s.restorePreviousPosition) {
    if (!ReadNumber(path, IDS_NAME_XPOS, &number)) return false;
    s.windowX = FromPattern(number);
    if (!ReadNumber(path, IDS_NAME_YPOS, &number)) return false;
    s.windowY = FromPattern(number);
  }
  // Only the presence of this value matters: the flag is always on.
  if (!ReadNumber(path, IDS_NAME_AUTO_CONNECT, &number)) return false;
  s.autoConnectPrevious = true;
  return ReadStringValue(path, ValueName(IDS_NAME_PREV_PROCESS), s.previousProcessName,
                         sizeof s.previousProcessName / sizeof(ZChar));
}

}  // namespace

void ResetViewSettings() {
  ViewSettings& s = g_viewSettings;
  s.alwaysOnTop = true;
  s.showMemScale = true;
  s.showProcessInfo = true;
  s.trayMode = false;
  s.autoConnectPrevious = true;
  s.restorePreviousPosition = true;
  s.defaultPlacement = false;
}

void LoadViewSettings() {
  ViewSettings& s = g_viewSettings;
  LoadValueNames();
  // Until every read has succeeded the defaults stand.
  ResetViewSettings();
  s.defaultPlacement = true;
  s.previousProcessName[0] = 0;

  ZChar path[kSettingsTextUnits];
  LoadKeyPath(path);
  if (!EnsureKey(path) || !WriteProductInfo()) return;

  uint32_t flags[4] = {0, 0, 0, 0};
  if (!ReadAll(path, flags)) {
    ResetViewSettings();
    s.defaultPlacement = true;
    return;
  }
  s.alwaysOnTop = flags[0] != 0;
  s.showMemScale = flags[1] != 0;
  s.showProcessInfo = flags[2] != 0;
  s.trayMode = flags[3] != 0;
  s.defaultPlacement = false;
}

void SaveViewSettings() {
  const ViewSettings& s = g_viewSettings;
  ZChar path[kSettingsTextUnits];
  LoadKeyPath(path);
  // Each write stands alone; one that fails leaves the others be. Before the
  // first load every name is empty and each write refuses without a call.
  WriteDwordValue(path, ValueName(IDS_NAME_ALWAYS_ON_TOP), s.alwaysOnTop ? 1 : 0);
  WriteDwordValue(path, ValueName(IDS_NAME_SHOW_MEM_SCALE), s.showMemScale ? 1 : 0);
  WriteDwordValue(path, ValueName(IDS_NAME_SHOW_PROCESS_INFO), s.showProcessInfo ? 1 : 0);
  WriteDwordValue(path, ValueName(IDS_NAME_TRAY), s.trayMode ? 1 : 0);
  WriteDwordValue(path, ValueName(IDS_NAME_RESTORE_POSITION), s.restorePreviousPosition ? 1 : 0);
  WriteDwordValue(path, ValueName(IDS_NAME_XPOS), static_cast<uint32_t>(s.windowX));
  WriteDwordValue(path, ValueName(IDS_NAME_YPOS), static_cast<uint32_t>(s.windowY));
  WriteDwordValue(path, ValueName(IDS_NAME_AUTO_CONNECT), s.autoConnectPrevious ? 1 : 0);
  ZChar name[kTextUnits];
  ZCopy(name, kTextUnits, g_monitor.targetName);
  WriteStringValue(path, ValueName(IDS_NAME_PREV_PROCESS), name);
}

bool WriteProductInfo() {
  static const uint32_t kPairs[4][2] = {
      {IDS_NAME_MANUFACTURER, IDS_MANUFACTURER},
      {IDS_NAME_WEBPAGE, IDS_WEBPAGE},
      {IDS_NAME_VERSION, IDS_VERSION},
      {IDS_NAME_INFO, IDS_INFO},
  };
  ZChar path[kSettingsTextUnits];
  ZChar names[4][kSettingsTextUnits];
  ZChar texts[4][kSettingsTextUnits];
  LoadKeyPath(path);
  for (int i = 0; i < 4; ++i) {
    Strings().Load(kPairs[i][0], names[i], kSettingsTextUnits);
    Strings().Load(kPairs[i][1], texts[i], kSettingsTextUnits);
  }
  for (int i = 0; i < 4; ++i)
    if (!WriteStringValue(path, names[i], texts[i])) return false;
  return true;
}
