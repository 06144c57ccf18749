// What a zorlog.exe warning does on the system: a command started apart
// from the log, an entry in the Application event log; and the right to
// follow a service when started elevated.
#pragma once
#include <windows.h>

// Started without waiting, inheriting no handles, with no console window of
// its own, so that nothing it prints lands in the log. False when it cannot
// be started.
bool StartDetachedCommand(const wchar_t* commandLine);

// An entry from the source "Zorvane"; where that source is not registered
// the viewer still shows the text. warning: a warning, else information.
bool ReportToEventLog(const wchar_t* text, bool warning);

// Enables SeDebugPrivilege for this process where its token holds it (an
// elevated administrator): then a service can be opened. False otherwise.
bool EnableDebugPrivilege();

// The folder exists and a file can be created in it.
bool CanWriteFolder(const wchar_t* folder);
// folder\name into out; false when it does not fit.
bool JoinFolderPath(const wchar_t* folder, const wchar_t* name, wchar_t* out, size_t units);
