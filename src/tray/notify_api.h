// Shell_NotifyIconW behind a seam: the record is the first-version
// NOTIFYICONDATAW, field for field; notify_api_win32.cpp hands it to the shell.
#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "meter/gdi_api.h"

typedef struct ZIconTag* IconHandle;  // HICON

enum : uint32_t {
  kNimAdd = 0,
  kNimModify = 1,
  kNimDelete = 2,
  kNifMessage = 1,
  kNifIcon = 2,
  kNifTip = 4,
  kNotifyRecordBytes = 152,  // NOTIFYICONDATAW_V1_SIZE, 32-bit
  kTrayTipUnits = 64,
};

struct NotifyIconRecord {
  uint32_t cbSize;
  WindowHandle hWnd;
  uint32_t uID;
  uint32_t uFlags;
  uint32_t uCallbackMessage;
  IconHandle hIcon;
  ZChar szTip[kTrayTipUnits];
};

class NotifyApi {
 public:
  virtual ~NotifyApi() {}
  virtual bool NotifyIcon(uint32_t message, const NotifyIconRecord& record) = 0;
};

NotifyApi& Notify();
NotifyApi* SetNotifyApi(NotifyApi* api);
// The platform's own implementation (beside this file in the _win32 source).
NotifyApi* PlatformNotifyApi();
