// What the probe mini app (lidora_probe.ix) writes when a test keys in "probe lidora FILE": the answers
// of Lidora's five entry points, looked up in the loaded lidor.ix the way the viewer does, followed by
// the arrays themselves. "probe memory FILE" writes the state of the address space where the points
// array was at the last probe (MEM_FREE once Lidora let it go).
#pragma once

#include <stdint.h>

struct LidoraProbeHeader {
    char magic[8];       // "LIDPROBE"
    int32_t entryPoints; // how many of the five entry points were found
    int32_t divisor;     // FnScanGetCoordSetup's result
    int64_t count;       // FnScanGetPnt's result
    double offset[3];    // written by FnScanGetCoordSetup
    int32_t nullArrays;  // bit 0 points, 1 classes, 2 intensities, 3 colours: the entry point gave null
    int32_t results[3];  // FnScanGetCls, FnScanGetInt, FnScanGetClr
    uint64_t pointsAddress;
    // then count points (3 x int32), count class bytes, count 16-bit intensities, 3 x count 16-bit colours
};

struct LidoraProbeMemory {
    char magic[8]; // "LIDMEMRY"
    uint64_t address;
    uint32_t state; // MEMORY_BASIC_INFORMATION::State
    uint32_t padding;
};
