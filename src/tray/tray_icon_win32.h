// The tray's Win32 face: the real notify record, the icon table's loading
// and the icon operations for Win32 window handles.
#pragma once
#include <windows.h>
// shellapi.h needs the types of windows.h first.
#include <shellapi.h>

#include "meter/meter_win32.h"
#include "tray/tray_icon.h"

// The first-version record (cbSize 152) the shell is given for this one.
void ToNotifyIconData(const NotifyIconRecord& record, NOTIFYICONDATAW* data);

// LevelIcons from the program's icons: 126 to 140, 141, and "ZOR".
void LoadLevelIcons(HINSTANCE instance, const wchar_t* appIconName);

inline void SetTrayOwner(HWND mainDialog) { g_mainDialog = FromHwnd(mainDialog); }
inline void AddTrayIcon(HWND owner) { AddTrayIcon(FromHwnd(owner)); }
inline void RemoveTrayIcon(HWND owner) { RemoveTrayIcon(FromHwnd(owner)); }
