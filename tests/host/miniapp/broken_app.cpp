// Mini apps that fail: crashapp.ix crashes in MiniAppMain, nomain.ix has no MiniAppMain.
#include <windows.h>

#include <cstdio>

#if defined(BROKEN_CRASH)
extern "C" __declspec(dllexport) int MiniAppMain(void) {
    fputs("crashapp starting\n", stdout);
    fflush(stdout);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
#else
extern "C" __declspec(dllexport) int SomethingElse(void) {
    return 1;
}
#endif
