#include "dialogs/auto_connect.h"

#include "common/string_table.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"

PresetEntry g_presets[kPresetCount] = {
    {IDC_PRESET_PROENGINEER, IDS_PRESET_PROENGINEER, {0}},
    {IDC_PRESET_UNIGRAPHICS, IDS_PRESET_UNIGRAPHICS, {0}},
    {IDC_PRESET_SOLIDWORKS, IDS_PRESET_SOLIDWORKS, {0}},
    {IDC_PRESET_SOLIDEDGE, IDS_PRESET_SOLIDEDGE, {0}},
};

void LoadPresetNames() {
  for (PresetEntry& e : g_presets) {
    e.name[0] = 0;
    Strings().Load(e.stringId, e.name, kPresetUnits);
    e.name[kPresetUnits - 1] = 0;
  }
}

const ZChar* PresetNameForButton(int buttonId) {
  for (const PresetEntry& e : g_presets)
    if (e.buttonId == buttonId) return e.name;
  return nullptr;
}

void ApplyAutoConnectName(const ZChar* text) {
  if (!text || !text[0]) return;
  MonitorState& m = g_monitor;
  m.waiting = true;
  m.connected = false;
  ZCopy(m.targetName, kTextUnits, text);
  m.targetPid = 0;
}
