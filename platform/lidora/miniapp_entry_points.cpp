// The five entry points other mini apps look up by name: the held points and their coordinate set-up.
#include "miniapp_held_cloud.h"
#include "lidora.h"
#include "platform_export.h"

#include <type_traits>

extern "C" {

PLATFORM_EXPORT int64_t FnScanGetPnt(Point3Di** points) {
    const LidoraCloud& cloud = HeldCloud();
    if (points) *points = cloud.points;
    return cloud.count;
}

PLATFORM_EXPORT int FnScanGetCls(unsigned char** classes) {
    const LidoraCloud& cloud = HeldCloud();
    if (classes) *classes = cloud.classes;
    return cloud.count > 0;
}

PLATFORM_EXPORT int FnScanGetInt(unsigned short** intensities) {
    const LidoraCloud& cloud = HeldCloud();
    if (intensities) *intensities = cloud.intensities;
    return cloud.count > 0;
}

PLATFORM_EXPORT int FnScanGetClr(unsigned short** colours) {
    const LidoraCloud& cloud = HeldCloud();
    if (colours) *colours = cloud.colours;
    return cloud.count > 0;
}

// Without points: divisor 1 and offsets 0, so that a caller's 1 / divisor stays finite.
PLATFORM_EXPORT int FnScanGetCoordSetup(LidoraCoordSetup* setup) {
    const LidoraCloud& cloud = HeldCloud();
    bool held = cloud.count > 0;
    if (setup) {
        setup->offsetX = held ? cloud.offset[0] : 0;
        setup->offsetY = held ? cloud.offset[1] : 0;
        setup->offsetZ = held ? cloud.offset[2] : 0;
    }
    return held ? cloud.divisor : 1;
}

} // extern "C"

// The exported functions keep exactly the types other mini apps call them through.
static_assert(std::is_same_v<decltype(&FnScanGetPnt), FnScanGetPntFunc>);
static_assert(std::is_same_v<decltype(&FnScanGetCls), FnScanGetClsFunc>);
static_assert(std::is_same_v<decltype(&FnScanGetInt), FnScanGetIntFunc>);
static_assert(std::is_same_v<decltype(&FnScanGetClr), FnScanGetClrFunc>);
static_assert(std::is_same_v<decltype(&FnScanGetCoordSetup), FnScanGetCoordSetupFunc>);
