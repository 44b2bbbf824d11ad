#include "morton_order.h"

#include "parallel_run.h"

#include <string.h>

#include <utility>

namespace {

// Spreads the low 21 bits of value so that bit i lands on bit 3 * i.
uint64_t SpreadBits(uint32_t value) {
    uint64_t v = value & 0x1FFFFF;
    v = (v | v << 32) & 0x1F00000000FFFFull;
    v = (v | v << 16) & 0x1F0000FF0000FFull;
    v = (v | v << 8) & 0x100F00F00F00F00Full;
    v = (v | v << 4) & 0x10C30C30C30C30C3ull;
    v = (v | v << 2) & 0x1249249249249249ull;
    return v;
}

uint32_t GatherBits(uint64_t v) {
    v &= 0x1249249249249249ull;
    v = (v ^ (v >> 2)) & 0x10C30C30C30C30C3ull;
    v = (v ^ (v >> 4)) & 0x100F00F00F00F00Full;
    v = (v ^ (v >> 8)) & 0x1F0000FF0000FFull;
    v = (v ^ (v >> 16)) & 0x1F00000000FFFFull;
    v = (v ^ (v >> 32)) & 0x1FFFFF;
    return static_cast<uint32_t>(v);
}

// 11-bit digits: six passes cover the 63 bits of a code.
constexpr int kDigitBits = 11;
constexpr int kDigitValues = 1 << kDigitBits;
constexpr int kPasses = (3 * kMortonBits + kDigitBits - 1) / kDigitBits;

struct SortPass {
    const uint64_t* codes;
    const uint32_t* payload;
    uint64_t* toCodes;
    uint32_t* toPayload;
    uint64_t count;
    int shift;
    int parts;
    uint64_t counts[kMaxParallelParts][kDigitValues];
};

void CountDigits(SortPass& pass, int part) {
    uint64_t* counts = pass.counts[part];
    memset(counts, 0, sizeof(pass.counts[part]));
    unsigned long long begin, end;
    ParallelSlice(pass.count, part, pass.parts, &begin, &end);
    for (uint64_t i = begin; i < end; ++i) ++counts[(pass.codes[i] >> pass.shift) & (kDigitValues - 1)];
}

// Turns the counts into each part's first destination per digit; false when every code has the
// same digit, so that the pass would not move anything.
bool StartOffsets(SortPass& pass) {
    uint64_t next = 0;
    for (int digit = 0; digit < kDigitValues; ++digit) {
        uint64_t total = 0;
        for (int part = 0; part < pass.parts; ++part) total += pass.counts[part][digit];
        if (total == pass.count) return false;
        for (int part = 0; part < pass.parts; ++part) {
            uint64_t here = pass.counts[part][digit];
            pass.counts[part][digit] = next;
            next += here;
        }
    }
    return true;
}

void ScatterDigits(SortPass& pass, int part) {
    uint64_t* offsets = pass.counts[part];
    unsigned long long begin, end;
    ParallelSlice(pass.count, part, pass.parts, &begin, &end);
    for (uint64_t i = begin; i < end; ++i) {
        uint64_t code = pass.codes[i];
        uint64_t to = offsets[(code >> pass.shift) & (kDigitValues - 1)]++;
        pass.toCodes[to] = code;
        pass.toPayload[to] = pass.payload[i];
    }
}

} // namespace

uint64_t MortonEncode(uint32_t x, uint32_t y, uint32_t z) {
    return SpreadBits(x) | SpreadBits(y) << 1 | SpreadBits(z) << 2;
}

void MortonDecode(uint64_t code, uint32_t* x, uint32_t* y, uint32_t* z) {
    *x = GatherBits(code);
    *y = GatherBits(code >> 1);
    *z = GatherBits(code >> 2);
}

bool MortonSort(uint64_t* codes, uint32_t* payload, uint64_t* scratchCodes, uint32_t* scratchPayload,
                uint64_t count, int threads, const volatile bool* cancel) {
    // Least significant digit first: each pass is stable, so after the last one the codes are in
    // order. Each part counts and moves its own slice; the offsets keep the parts' slices in order.
    static_assert(kPasses == 6, "six digit passes");
    SortPass* pass = new SortPass;
    pass->count = count;
    pass->parts = count < 100000 ? 1 : threads;
    uint64_t* fromCodes = codes;
    uint32_t* fromPayload = payload;
    uint64_t* toCodes = scratchCodes;
    uint32_t* toPayload = scratchPayload;
    bool finished = true;
    for (int p = 0; p < kPasses; ++p) {
        if (cancel && *cancel) {
            finished = false;
            break;
        }
        pass->codes = fromCodes;
        pass->payload = fromPayload;
        pass->toCodes = toCodes;
        pass->toPayload = toPayload;
        pass->shift = p * kDigitBits;
        ParallelRun(pass->parts, [pass](int part) { CountDigits(*pass, part); });
        if (!StartOffsets(*pass)) continue;
        ParallelRun(pass->parts, [pass](int part) { ScatterDigits(*pass, part); });
        std::swap(fromCodes, toCodes);
        std::swap(fromPayload, toPayload);
    }
    if (finished && fromCodes != codes) {
        memcpy(codes, fromCodes, count * sizeof(uint64_t));
        memcpy(payload, fromPayload, count * sizeof(uint32_t));
    }
    delete pass;
    return finished;
}
