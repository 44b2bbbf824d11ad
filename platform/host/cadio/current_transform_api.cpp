// The current transform: working units to the units a mini app asked for (master units after
// CurrTransSetMasterUnitsIdentity(1)), without rotation, scaling or the file's global origin.
#include "cadio/cadio_state.h"

namespace {

void LogSimple(const char* name, const char* argument, long long value) {
    if (!CadIoLogging()) return;
    LogLine line;
    LogBegin(line, name);
    if (argument) LogInt(line, argument, value);
    CadIoLog(line);
}

// What a working-unit value is multiplied by on the way to the current units.
double Factor() {
    return CadIo().masterUnits ? 1.0 / CadHostWorkingPerMaster() : 1.0;
}

void Transform(const char* name, DPoint3d* points, int count, int direction) {
    LogLine line;
    bool logging = CadIoLogging();
    if (logging) {
        LogBegin(line, name);
        LogPoint(line, "points", points);
        LogInt(line, "count", count);
        LogInt(line, "direction", direction);
    }
    if (points && count > 0) {
        double factor = direction == 1 ? Factor() : 1.0 / Factor();
        for (int i = 0; i < count; ++i) {
            points[i].x *= factor;
            points[i].y *= factor;
            points[i].z *= factor;
        }
    }
    if (logging) {
        LogResultText(line, "void");
        if (points && count > 0) LogAfter(line, "out", FormatPoint(points));
        CadIoLog(line);
    }
}

} // namespace

extern "C" {

double CadHostCurrentTransformFactor(void) {
    return Factor();
}

void CurrTransIdentity(void) {
    CadIo().masterUnits = false;
    LogSimple("CurrTransIdentity", nullptr, 0);
}

void CurrTransBegin(void) {
    LogSimple("CurrTransBegin", nullptr, 0);
}

void CurrTransSetMasterUnitsIdentity(int masterUnits) {
    CadIo().masterUnits = masterUnits != 0;
    LogSimple("CurrTransSetMasterUnitsIdentity", "masterUnits", masterUnits);
}

void CurrTransTransformPts(DPoint3d* points, int count, int direction) {
    Transform("CurrTransTransformPts", points, count, direction);
}

// No translation is part of the current transform, so vectors change as points do.
void CurrTransTransformDelta(DPoint3d* vectors, int count, int direction) {
    Transform("CurrTransTransformDelta", vectors, count, direction);
}

} // extern "C"
