// What the host itself (Orbisa.CFace.dll) asks of Orbisa.CadIO.dll beyond the mini apps' interface:
// which design file is active, and where CadIO's lines of the call log go.
#pragma once

#include "orbisa_cadio.h"
#include "parts/design_description.h"

// Receives one finished call-log line (UTF-8, no line end).
typedef void (*CadHostLogSink)(const char* line);

extern "C" {

// Null: CadIO's calls are not logged.
ORBISA_CADIO_API void CadHostSetLogSink(CadHostLogSink sink);
// Makes the model the active design file; null: no design file is active.
ORBISA_CADIO_API void CadHostSetDesign(const DesignModel* model);
// 1 and the active file's model, or 0 when none is active.
ORBISA_CADIO_API int CadHostGetDesign(DesignModel* model);
// The working units per master unit that points are divided by (1 without an active file).
ORBISA_CADIO_API double CadHostWorkingPerMaster(void);

// What the current transform multiplies working-unit values by (1 / working units per master unit
// after CurrTransSetMasterUnitsIdentity(1), else 1).
ORBISA_CADIO_API double CadHostCurrentTransformFactor(void);

} // extern "C"
