#include "cface/guarded_call.h"

#if defined(_MSC_VER)

bool GuardedCall(MiniAppMainFunc function, int* result, DWORD* exceptionCode) {
    __try {
        *result = function();
        return true;
    } __except (*exceptionCode = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
        return false;
    }
}

#else

#include <csetjmp>

// MinGW has no __try: an unhandled-exception filter, which runs on the crashing thread only when no
// handler of the mini app took the exception, jumps back to the call.
namespace {

std::jmp_buf g_recover;
volatile bool g_armed = false;
volatile DWORD g_code = 0;
DWORD g_thread = 0;

LONG WINAPI RecoverFromCrash(EXCEPTION_POINTERS* info) {
    if (!g_armed || GetCurrentThreadId() != g_thread) return EXCEPTION_CONTINUE_SEARCH;
    g_armed = false;
    g_code = info->ExceptionRecord->ExceptionCode;
    std::longjmp(g_recover, 1);
}

} // namespace

bool GuardedCall(MiniAppMainFunc function, int* result, DWORD* exceptionCode) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(RecoverFromCrash);
    g_thread = GetCurrentThreadId();
    g_armed = true;
    volatile bool returned = false;
    if (setjmp(g_recover) == 0) {
        *result = function();
        returned = true;
    }
    g_armed = false;
    SetUnhandledExceptionFilter(previous);
    if (!returned) *exceptionCode = g_code;
    return returned;
}

#endif
