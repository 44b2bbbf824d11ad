#include "las_source.h"

#include "engine_text.h"
#include "las_reader.h"
#include "parallel_run.h"

#include <string.h>

#include <atomic>
#include <new>

namespace {

constexpr uint32_t kBatchPoints = 16384;

struct ReadPart {
    bool ok;
    wchar_t error[kLasErrorChars];
};

void CopyBatch(const LasPoint* batch, uint64_t count, uint64_t at, PointColumns* c) {
    int32_t* xyz = c->ownedXyz + 3 * at;
    for (uint64_t k = 0; k < count; ++k) {
        const LasPoint& p = batch[k];
        xyz[3 * k] = p.x;
        xyz[3 * k + 1] = p.y;
        xyz[3 * k + 2] = p.z;
        c->ownedIntensity[at + k] = p.intensity;
        c->ownedClassification[at + k] = p.classification;
        c->ownedReturnNumber[at + k] = p.returnNumber;
    }
    if (c->ownedRgb16) {
        uint16_t* rgb = c->ownedRgb16 + 3 * at;
        for (uint64_t k = 0; k < count; ++k) {
            rgb[3 * k] = batch[k].red;
            rgb[3 * k + 1] = batch[k].green;
            rgb[3 * k + 2] = batch[k].blue;
        }
    }
}

// Reads points [begin, end) through a handle of its own.
void ReadSlice(const wchar_t* path, uint64_t begin, uint64_t end, PointColumns* c,
               std::atomic<uint64_t>* done, const LasSourceProgress& progress, bool reports, ReadPart* part) {
    part->ok = false;
    LasFile file{};
    if (!LasOpen(&file, path, part->error, kLasErrorChars)) return;
    LasPoint* batch = new (std::nothrow) LasPoint[kBatchPoints];
    bool ok = batch && LasSeekPoint(&file, begin);
    if (!batch) TextCopy(part->error, kLasErrorChars, L"There is not enough memory to read the points.");
    uint64_t at = begin;
    while (ok && at < end) {
        if (progress.cancel && *progress.cancel) {
            TextCopy(part->error, kLasErrorChars, L"The work was cancelled.");
            ok = false;
            break;
        }
        uint64_t wanted = end - at < kBatchPoints ? end - at : kBatchPoints;
        int64_t got = LasReadPoints(&file, batch, static_cast<uint32_t>(wanted), part->error, kLasErrorChars);
        if (got <= 0) {
            if (got == 0) TextCopy(part->error, kLasErrorChars, L"The LAS file ends before all its points.");
            ok = false;
            break;
        }
        CopyBatch(batch, static_cast<uint64_t>(got), at, c);
        at += static_cast<uint64_t>(got);
        uint64_t total = (*done += static_cast<uint64_t>(got));
        if (reports && progress.report)
            progress.report(progress.context, static_cast<double>(total) / c->count);
    }
    delete[] batch;
    LasClose(&file);
    part->ok = ok;
}

// The reader's reason, after the file it is about: "path: reason".
void ReaderError(wchar_t* error, size_t errorChars, const wchar_t* path, const wchar_t* reason) {
    TextCopy(error, errorChars, path);
    TextAppend(error, errorChars, L": ");
    TextAppend(error, errorChars, reason);
}

} // namespace

bool LasSourceRead(const wchar_t* path, int threads, const LasSourceProgress& progress, PointColumns* columns,
                   wchar_t* error, size_t errorChars) {
    memset(columns, 0, sizeof(*columns));
    wchar_t reason[kLasErrorChars] = L"";
    LasFile file{};
    if (!LasOpen(&file, path, reason, kLasErrorChars)) {
        ReaderError(error, errorChars, path, reason);
        return false;
    }
    LasHeader header = file.header;
    LasClose(&file);
    if (header.pointCount == 0) {
        TextCopy(error, errorChars, L"The LAS file holds no points: ");
        TextAppend(error, errorChars, path);
        return false;
    }
    if (header.pointCount > UINT32_MAX) {
        TextCopy(error, errorChars, L"The LAS file holds more than 4294967295 points: ");
        TextAppend(error, errorChars, path);
        return false;
    }
    if (!PointColumnsAllocate(columns, header.pointCount, header.hasRgb)) {
        TextCopy(error, errorChars, L"There is not enough memory to read the points of ");
        TextAppend(error, errorChars, path);
        return false;
    }
    memcpy(columns->origin, header.offset, sizeof(columns->origin));
    memcpy(columns->scale, header.scale, sizeof(columns->scale));
    int parts = header.pointCount < 200000 ? 1 : threads;
    ReadPart results[kMaxParallelParts] = {};
    std::atomic<uint64_t> done{0};
    ParallelRun(parts, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(header.pointCount, part, parts, &begin, &end);
        ReadSlice(path, begin, end, columns, &done, progress, part == 0, &results[part]);
    });
    for (int part = 0; part < parts; ++part) {
        if (results[part].ok) continue;
        ReaderError(error, errorChars, path, results[part].error);
        PointColumnsFree(columns);
        return false;
    }
    return true;
}
