// Win32 side of the notify seam, and the icon table's loading.
#include <string.h>

#include "res/resource.h"
#include "tray/tray_icon_win32.h"

void ToNotifyIconData(const NotifyIconRecord& record, NOTIFYICONDATAW* data) {
  ZeroMemory(data, sizeof *data);
  data->cbSize = record.cbSize;
  data->hWnd = ToHwnd(record.hWnd);
  data->uID = record.uID;
  data->uFlags = record.uFlags;
  data->uCallbackMessage = record.uCallbackMessage;
  data->hIcon = reinterpret_cast<HICON>(record.hIcon);
  memcpy(data->szTip, record.szTip, sizeof record.szTip);
  data->szTip[kTrayTipUnits - 1] = 0;
}

void LoadLevelIcons(HINSTANCE instance, const wchar_t* appIconName) {
  for (int i = 0; i < kFillLevelIcons; ++i)
    LevelIcons[i] =
        reinterpret_cast<IconHandle>(LoadIconW(instance, MAKEINTRESOURCEW(IDI_LEVEL_FIRST + i)));
  LevelIcons[kSpareIconIndex] =
      reinterpret_cast<IconHandle>(LoadIconW(instance, MAKEINTRESOURCEW(IDI_SPARE)));
  LevelIcons[kAppIconIndex] = reinterpret_cast<IconHandle>(LoadIconW(instance, appIconName));
}

namespace {
class Win32NotifyApi : public NotifyApi {
 public:
  bool NotifyIcon(uint32_t message, const NotifyIconRecord& record) override {
    NOTIFYICONDATAW data;
    ToNotifyIconData(record, &data);
    return Shell_NotifyIconW(message, &data) != FALSE;
  }
};
}  // namespace

NotifyApi* PlatformNotifyApi() {
  static Win32NotifyApi api;
  return &api;
}
