#include "monitor/monitor_state.h"

#include "monitor/display_port.h"
#include "monitor/proclist.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "sysinfo/os_identity.h"
#include "sysinfo/system_api.h"

MonitorState g_monitor;

namespace {
DisplayPort* g_display = nullptr;

void SetText(int id, const ZChar* text) {
  if (g_display) g_display->SetControlText(id, text);
}
}  // namespace

DisplayPort* SetDisplayPort(DisplayPort* port) {
  DisplayPort* old = g_display;
  g_display = port;
  return old;
}

void UpdateTargetInfo() {
  MonitorState& m = g_monitor;
  if (m.targetPid != 0) {
    uint32_t kb = QueryProcessVirtualSize(m.targetPid);
    if (kb != 0) {
      m.sizeKb = kb;
      m.sizeMb = kb >> 10;
      ZFormatInt(m.pidText, kTextUnits, static_cast<int32_t>(m.targetPid));
      ZFormatInt(m.mbText, kTextUnits, static_cast<int32_t>(m.sizeMb));
      return;
    }
    // Gone or unreadable: drop the PID, keep the name so it is awaited again.
    m.targetPid = 0;
    m.connected = false;
  }
  m.sizeKb = 0;
  ZCopy(m.pidText, kTextUnits, ZT("-"));
  if (!m.waiting) ZCopy(m.targetName, kTextUnits, ZT("-"));
  ZCopy(m.mbText, kTextUnits, ZT("0"));
}

void RefreshDisplay() {
  MonitorState& m = g_monitor;
  m.limitMb = System().TotalVirtual() >> 20;
  if (!m.osText) {
    m.osText = IdentifyOperatingSystem();
    SetText(IDC_OS_LINE, m.osText ? m.osText : ZT(""));
  }
  UpdateTargetInfo();
  if (g_viewSettings.showProcessInfo) {
    ZFree(m.maxMemoryText);
    m.maxMemoryText = FormatAddressLimitText(m.limitMb);
    SetText(IDC_MAX_MEMORY, m.maxMemoryText ? m.maxMemoryText : ZT(""));
    ZChar info[512];
    ZBuilder(info, 512)
        .Add(ZT("Process Name:\n"))
        .Add(m.targetName)
        .Add(ZT("\nProcess ID:\n"))
        .Add(m.pidText)
        .Add(ZT("\nVirtual Size:\n"))
        .Add(m.mbText)
        .Add(ZT(" MB"));
    SetText(IDC_INFO_PANEL, info);
  }
  if (g_display) g_display->UpdateLevel();
}

void TickMonitor(uintptr_t timerId) {
  if (timerId != kMonitorTimerId) return;
  MonitorState& m = g_monitor;
  if (m.waiting) {
    if (m.connected) {
      RefreshDisplay();
      return;
    }
    m.targetPid = FindProcessByImageName(m.targetName);
    if (m.targetPid != 0) {
      m.connected = true;
      RefreshDisplay();
      return;
    }
  }
  if (m.connected || g_viewSettings.showProcessInfo) RefreshDisplay();
}

void ReleaseMonitorTexts() {
  ZFree(g_monitor.osText);
  ZFree(g_monitor.maxMemoryText);
  g_monitor.osText = nullptr;
  g_monitor.maxMemoryText = nullptr;
}
