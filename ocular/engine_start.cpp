// PLACEHOLDER (H2): replaced by the feature's real code before it lands.
#include "engine_start.h"

unsigned int* EngineStart() {
    return nullptr;
}

int EngineStop() {
    return 1;
}

void ResetCurrentTransform() {}

unsigned long long CpuMemoryLimitFromInstalled(unsigned long long installedKibibytes) {
    return installedKibibytes / 1000;
}
