// Which of the processes that ran side by side in a log zormap shows: a
// person picks one from a list.
#pragma once
#include <windows.h>

#include "map/log_instances.h"

// False when the dialog is cancelled (or cannot be shown); otherwise the
// chosen PID in pid.
bool PickLogInstance(HWND owner, const LogInstances& instances, uint32_t* pid);
