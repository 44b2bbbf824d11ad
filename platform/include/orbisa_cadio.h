// Orbisa.CadIO.dll: the host's design files and coordinate transforms.
//
// A design file is held in working units; a number of working units make one master unit (the unit
// the user thinks in, for instance 1000 working units per metre). The current transform turns
// working-unit points into the units a mini app asked for: after CurrTransIdentity, CurrTransBegin
// and CurrTransSetMasterUnitsIdentity(1) it divides by the active file's working units per master
// unit, without rotation, scaling or the file's global origin.
#pragma once

#include "platform_export.h"

#ifdef ORBISA_CADIO_BUILD
#define ORBISA_CADIO_API PLATFORM_EXPORT
#else
#define ORBISA_CADIO_API PLATFORM_IMPORT
#endif

// A point or vector of the host: three doubles.
struct DPoint3d {
    double x, y, z;
};

// One entry of a design file's colour table: blue, green, red, in this order (the order of a 4-byte
// raster pixel without its last byte).
struct CadColor {
    unsigned char bytes[3];
};

// The active design file; null when none is open.
typedef struct OrbisaCadFile* CadFileHandle;

extern "C" {

// Current transform. Each call affects the transform used by the two Transform operations below.
ORBISA_CADIO_API void CurrTransIdentity(void);
ORBISA_CADIO_API void CurrTransBegin(void);
// masterUnits 1: from now on working units are turned into master units; 0: left as they are.
ORBISA_CADIO_API void CurrTransSetMasterUnitsIdentity(int masterUnits);
// Transforms count points (or vectors, for the delta form, which ignores any translation) in place.
// direction 1 goes from working units to the current units, 0 back. Null or count < 1 does nothing.
ORBISA_CADIO_API void CurrTransTransformPts(DPoint3d* points, int count, int direction);
ORBISA_CADIO_API void CurrTransTransformDelta(DPoint3d* vectors, int count, int direction);

// The active design file, or null.
ORBISA_CADIO_API CadFileHandle CadFileGetActive(void);
// The file's global origin in working units. 0 on success, negative for a null file or output.
ORBISA_CADIO_API int CadFileGetOrigin(CadFileHandle file, DPoint3d* origin);
// Working units per master unit of the file. 0 on success, negative for a null file or output.
ORBISA_CADIO_API int CadFileGetWorldsPerMainUnit(CadFileHandle file, double* workingPerMaster);
// Colour index 0..255 of the file's table. 0 on success, negative for an index outside 0..255, a
// null file or a null output (which is then left alone).
ORBISA_CADIO_API int CadFileColorFromIndex(CadFileHandle file, CadColor* color, int index);

} // extern "C"
