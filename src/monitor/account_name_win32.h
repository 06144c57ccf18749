// The account a SID names, as "DOMAIN\user", without letting a slow domain
// controller hold the caller.
#pragma once
#include <windows.h>

#include "common/ztext.h"

// Looked up on a thread of its own, waited for at most waitMs: false when it
// cannot be named in that time (the thread then finishes alone).
bool NameOfAccount(PSID sid, ZChar* user, size_t units, DWORD waitMs);
