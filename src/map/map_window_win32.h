// zormap.exe's window: it owns the session, steps it once a second and
// carries out what each step changed.
#pragma once
#include <windows.h>

#include "common/ztext.h"
#include "map/map_metrics_win32.h"
#include "map/map_session.h"

// The target given on the command line: false with a reason for a PID that
// is not running.
bool FollowGiven(const ZChar* name, uint32_t pid, ZChar* reason);
// A saved file given on the command line, of a log pid's rows (kEveryPid:
// as OpenSavedFile): false with the message that refuses it, or none when
// the person cancelled.
bool OpenGiven(const wchar_t* path, uint32_t pid, wchar_t* error, size_t units);
// Runs the window until it closes; given: a target was followed above,
// otherwise a process is chosen first. Returns the exit code.
int RunMapWindow(HINSTANCE instance, int show, bool given);

// The menu's commands that need no more of the window than its handle.
void SaveMapAs(HWND owner, const MapSession& session);
void EditThresholds(HWND owner, MapSession* session);
