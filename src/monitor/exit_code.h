// How a process ended, as the companions say it: its exit code in
// hexadecimal and, for the codes that tell something, in words.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

// The words for a well-known code, or null.
const char* ExitCodeMeaning(uint32_t code);
// "0xC0000017 (not enough memory)", or "0x00000001" alone; always terminated.
void FormatExitCode(uint32_t code, ZChar* out, size_t units);
