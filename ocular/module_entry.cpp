// PLACEHOLDER (H1): replaced by the feature's real code before it lands.
#include "plugin.h"

extern "C" __declspec(dllexport) int MiniAppMain(void) {
    return 0;
}
