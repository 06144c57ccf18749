#pragma once
#include <stdint.h>

#include "common/ztext.h"

// PID of the first visible process whose image name equals name exactly, or 0.
uint32_t FindProcessByImageName(const ZChar* name);

// "name\nPID\n" for every visible process in process-list order; an empty text
// when none is visible; null when the process list cannot be read. Release with ZFree.
ZChar* BuildProcessListText();

// "name\nPID\n" of one visible process, or null. Release with ZFree.
ZChar* FormatProcessRecord(uint32_t pid);
