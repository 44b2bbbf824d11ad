// The Lidora mini app (lidor.ix): holds points in memory and hands them out through five entry points,
// which other mini apps look up by name in the loaded module (GetProcAddress).
#pragma once

#include "pcv.h"

#include <stdint.h>

#define LIDORA_MODULE_NAME "lidor.ix"

// Each takes the address through which it returns its result. The arrays stay Lidora's and are valid
// until its points change (a load, generate or clear command, or its unload).
// The point count (0 when none are held), and the points.
typedef int64_t (*FnScanGetPntFunc)(Point3Di** points);
#define FN_SCAN_GET_PNT "FnScanGetPnt"
// One class byte per point.
typedef int (*FnScanGetClsFunc)(unsigned char** classes);
#define FN_SCAN_GET_CLS "FnScanGetCls"
// One 16-bit intensity per point.
typedef int (*FnScanGetIntFunc)(unsigned short** intensities);
#define FN_SCAN_GET_INT "FnScanGetInt"
// Three 16-bit values per point: red, green, blue (0..65535).
typedef int (*FnScanGetClrFunc)(unsigned short** colours);
#define FN_SCAN_GET_CLR "FnScanGetClr"
// The coordinate set-up: coordinate = integer / divisor + offset, per axis, in master units.
struct LidoraCoordSetup {
    double offsetX, offsetY, offsetZ;
};
// Writes the three offsets and returns the divisor.
typedef int (*FnScanGetCoordSetupFunc)(LidoraCoordSetup* setup);
#define FN_SCAN_GET_COORD_SETUP "FnScanGetCoordSetup"
