// lidor.ix for tests: "fakelidora set COUNT DIVISOR" chooses what FnScanGetPnt and FnScanGetCoordSetup
// return. The arrays hold a few points only; a caller that believed a larger count would read past
// them, which is what the tests make sure does not happen.
#include "lidora.h"
#include "orbisa_cface.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

constexpr int kHeldPoints = 64;
Point3Di points[kHeldPoints];
unsigned char classes[kHeldPoints];
unsigned short intensities[kHeldPoints];
unsigned short colours[3 * kHeldPoints];
long long pointCount = kHeldPoints;
int divisor = 1000;

void Set(const wchar_t* argument) {
    long long count = 0;
    int newDivisor = 0;
    if (!argument || swscanf(argument, L"%lld %d", &count, &newDivisor) != 2) {
        printf("fakelidora: bad arguments\n");
        fflush(stdout);
        return;
    }
    pointCount = count;
    divisor = newDivisor;
    printf("fakelidora count=%lld divisor=%d\n", pointCount, divisor);
    fflush(stdout);
}

const MAppCmdHook kCommands[] = {{1, Set, "FakeLidoraSet", "Set"}, {0, nullptr, nullptr, nullptr}};
const MAppSpaccel kKeyins[] = {{L"FakeLidoraSet", L"fakelidora set", nullptr}, {nullptr, nullptr, nullptr}};

} // namespace

extern "C" {

__declspec(dllexport) int MiniAppMain(void) {
    for (int i = 0; i < kHeldPoints; ++i) points[i] = Point3Di{i * 1000, i * 500, i * 10};
    MAppCmdHooksPublish(kCommands);
    MAppCmdSpaccelsPublish(kKeyins);
    return 0;
}

__declspec(dllexport) int64_t FnScanGetPnt(Point3Di** out) {
    if (out) *out = points;
    return pointCount;
}
__declspec(dllexport) int FnScanGetCls(unsigned char** out) {
    if (out) *out = classes;
    return 1;
}
__declspec(dllexport) int FnScanGetInt(unsigned short** out) {
    if (out) *out = intensities;
    return 1;
}
__declspec(dllexport) int FnScanGetClr(unsigned short** out) {
    if (out) *out = colours;
    return 1;
}
__declspec(dllexport) int FnScanGetCoordSetup(LidoraCoordSetup* setup) {
    if (setup) *setup = LidoraCoordSetup{637000.0, 849000.0, 100.0};
    return divisor;
}

} // extern "C"
