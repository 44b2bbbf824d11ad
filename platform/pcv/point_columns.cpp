#include "point_columns.h"

#include "parallel_run.h"

#include <string.h>

#include <new>

bool PointColumnsAllocate(PointColumns* c, uint64_t count, bool withColours) {
    memset(c, 0, sizeof(*c));
    c->count = count;
    c->ownedXyz = new (std::nothrow) int32_t[3 * count];
    c->ownedIntensity = new (std::nothrow) uint16_t[count];
    c->ownedClassification = new (std::nothrow) uint8_t[count];
    c->ownedReturnNumber = new (std::nothrow) uint8_t[count];
    c->ownedRgb16 = withColours ? new (std::nothrow) uint16_t[3 * count] : nullptr;
    if (!c->ownedXyz || !c->ownedIntensity || !c->ownedClassification || !c->ownedReturnNumber ||
        (withColours && !c->ownedRgb16)) {
        PointColumnsFree(c);
        return false;
    }
    c->xyz = c->ownedXyz;
    c->intensity = c->ownedIntensity;
    c->classification = c->ownedClassification;
    c->returnNumber = c->ownedReturnNumber;
    c->rgb16 = c->ownedRgb16;
    return true;
}

void PointColumnsFree(PointColumns* c) {
    delete[] c->ownedXyz;
    delete[] c->ownedIntensity;
    delete[] c->ownedClassification;
    delete[] c->ownedRgb16;
    delete[] c->ownedReturnNumber;
    delete[] c->rgb8;
    memset(c, 0, sizeof(*c));
}

bool PointColumnsFinishColours(PointColumns* c, int threads) {
    if (!c->rgb16) return true;
    c->rgb8 = new (std::nothrow) uint8_t[3 * c->count];
    if (!c->rgb8) return false;
    int parts = c->count < 100000 ? 1 : threads;
    uint16_t highest[kMaxParallelParts] = {};
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(3 * c->count, part, parts, &begin, &end);
        uint16_t high = 0;
        for (uint64_t i = begin; i < end; ++i) high = c->rgb16[i] > high ? c->rgb16[i] : high;
        highest[part] = high;
    });
    uint16_t high = highest[0] > highest[1] ? highest[0] : highest[1];
    int shift = high > 255 ? 8 : 0;
    c->colourSourceBits = shift ? 16 : 8;
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(3 * c->count, part, parts, &begin, &end);
        for (uint64_t i = begin; i < end; ++i) c->rgb8[i] = static_cast<uint8_t>(c->rgb16[i] >> shift);
    });
    delete[] c->ownedRgb16;
    c->ownedRgb16 = nullptr;
    c->rgb16 = nullptr;
    return true;
}

OctreeInput PointColumnsInput(const PointColumns& c, uint64_t channels) {
    auto wanted = [channels](uint32_t channel) { return channels == 0 || (channels >> channel & 1); };
    OctreeInput input{};
    memcpy(input.origin, c.origin, sizeof(input.origin));
    memcpy(input.scale, c.scale, sizeof(input.scale));
    input.count = c.count;
    input.xyz = c.xyz;
    input.intensity = wanted(PcvChannelIntensity) ? c.intensity : nullptr;
    input.classification = wanted(PcvChannelClassification) ? c.classification : nullptr;
    input.rgb = wanted(PcvChannelRgb) ? c.rgb8 : nullptr;
    input.returnNumber = wanted(PcvChannelReturnNumber) ? c.returnNumber : nullptr;
    return input;
}
