// Calls a mini app's entry so that a crash inside it (an access violation, an illegal instruction, a
// division by zero...) returns here instead of ending the host. The mini app's state after a crash is
// unknown; the caller stops using it.
#pragma once

#include "orbisa_cface.h"

#include <windows.h>

// True when the call returned; false after a crash, with the exception code.
bool GuardedCall(MiniAppMainFunc function, int* result, DWORD* exceptionCode);
