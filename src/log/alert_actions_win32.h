// What a zorlog.exe warning does on the system: a command started apart
// from the log, an entry in the Application event log; and the right to
// follow a service when started elevated.
#pragma once
#include <windows.h>

#include "log/alert_command.h"
#include "log/log_watch.h"

// Started without waiting, inheriting no handles, with no console window of
// its own, so that nothing it prints lands in the log; the exact values in
// its environment (ZOR_PID, ...). False when it cannot be started.
bool StartDetachedCommand(const wchar_t* commandLine, const AlertValues& values);

// An entry from the source "Zorvane" with that ID and type, the text its
// insertion; where the source is not registered the viewer still shows it.
bool ReportToEventLog(const wchar_t* text, EventId id, EventType type);

// The source's key under the Application log, naming this program's own
// file as its messages, written or removed; false with the system's error
// code in *error.
bool RegisterEventSourceKey(bool add, DWORD* error);

// Enables SeDebugPrivilege for this process where its token holds it (an
// elevated administrator): then a service can be opened. False otherwise.
bool EnableDebugPrivilege();

// The folder exists and a file can be created in it.
bool CanWriteFolder(const wchar_t* folder);
// folder\name into out; false when it does not fit.
bool JoinFolderPath(const wchar_t* folder, const wchar_t* name, wchar_t* out, size_t units);
