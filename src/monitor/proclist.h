#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/process_api.h"

// PID of the first visible process whose image name equals name exactly, or 0.
uint32_t FindProcessByImageName(const ZChar* name);
// The same, handing over the match's handle (query and VM-read access) in
// *handle, so that its PID cannot pass to another process before the caller
// uses it. The caller closes it; null when nothing matched.
uint32_t FindProcessByImageName(const ZChar* name, ProcessHandle* handle);

// "name\nPID\n" for every visible process in process-list order; an empty text
// when none is visible; null when the process list cannot be read. Release with ZFree.
ZChar* BuildProcessListText();

// "name\nPID\n" of one visible process, or null. Release with ZFree.
ZChar* FormatProcessRecord(uint32_t pid);
