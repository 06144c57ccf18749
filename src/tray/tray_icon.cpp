#include "tray/tray_icon.h"

#include <string.h>

#include "monitor/monitor_state.h"
#include "res/resource.h"

IconHandle LevelIcons[kLevelIconCount];
WindowHandle g_mainDialog = nullptr;

namespace {
void Begin(NotifyIconRecord* r, WindowHandle owner) {
  memset(r, 0, sizeof *r);
  r->cbSize = kNotifyRecordBytes;
  r->hWnd = owner;
  r->uID = ZOR_TRAY_ID;
}
}  // namespace

IconHandle TrayLevelIcon() {
  int32_t i = g_monitor.trayLevelIndex;
  return i >= 0 && i < kLevelIconCount ? LevelIcons[i] : nullptr;
}

void AddTrayIcon(WindowHandle owner) {
  NotifyIconRecord r;
  Begin(&r, owner);
  r.uFlags = kNifMessage | kNifIcon | kNifTip;
  r.uCallbackMessage = ZOR_TRAY_CALLBACK;
  r.hIcon = TrayLevelIcon();
  ZCopy(r.szTip, kTrayTipUnits, ZT("ZOR"));
  Notify().NotifyIcon(kNimAdd, r);
}

void ModifyTrayIcon(const ZChar* tip) {
  NotifyIconRecord r;
  Begin(&r, g_mainDialog);
  r.uFlags = kNifIcon;
  r.hIcon = TrayLevelIcon();
  if (tip) {
    r.uFlags |= kNifTip;
    ZCopy(r.szTip, kTrayTipUnits, tip);
    // Never leave half of a surrogate pair at the cut.
    size_t n = ZLen(r.szTip);
    if (n > 0 && tip[n] != 0 && r.szTip[n - 1] >= 0xD800 && r.szTip[n - 1] <= 0xDBFF)
      r.szTip[n - 1] = 0;
  }
  Notify().NotifyIcon(kNimModify, r);
}

void RemoveTrayIcon(WindowHandle owner) {
  NotifyIconRecord r;
  Begin(&r, owner);
  Notify().NotifyIcon(kNimDelete, r);
}
