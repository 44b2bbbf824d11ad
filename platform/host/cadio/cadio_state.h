// The state of Orbisa.CadIO.dll: the active design file, the current transform and the log sink.
#pragma once

#include "cadio/cadio_host.h"
#include "parts/log_format.h"

struct OrbisaCadFile {
    DesignModel model;
};

struct CadIoState {
    bool hasFile;
    OrbisaCadFile file;
    bool masterUnits; // the current transform divides by the working units per master unit
    CadHostLogSink sink;
};

CadIoState& CadIo();
// Hands a finished line to the host's log.
void CadIoLog(const LogLine& line);
bool CadIoLogging();
