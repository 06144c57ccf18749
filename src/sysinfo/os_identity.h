#pragma once
#include <stdint.h>

#include "common/ztext.h"

// The name of the running system, e.g. "WINDOWS XP Service Pack 3", or null
// when the system is refused (a known version whose address space is 3500 MB
// or more). Release with ZFree.
ZChar* IdentifyOperatingSystem();

// "Max addressable memory: 2047MB", with a second line "3GB SWITCH ENABLED"
// from 2500 MB. A limit of 0 is measured here. Release with ZFree.
ZChar* FormatAddressLimitText(uint64_t limitMb);
