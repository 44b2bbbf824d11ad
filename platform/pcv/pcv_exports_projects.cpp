// pcv.dll's projects: conversion and loading on the worker thread, its progress, errors, and what
// the loaded project holds.
#include "class_mask.h"
#include "conversion.h"
#include "engine_error.h"
#include "engine_state.h"
#include "engine_worker.h"
#include "storage_io.h"

#include "pcv.h"

#include <string.h>

#include <memory>
#include <new>

namespace {

// Runs on the worker thread: converts, loads and publishes the project (before progress is 100).
void ConvertOnWorker(std::shared_ptr<ConversionRequest> request, const WorkProgress& progress) {
    wchar_t error[kPathChars + 512] = L"";
    LoadedProject* project = ConvertAndLoad(*request, progress, error, kPathChars + 512);
    if (!project) {
        // Work stopped by pcvReInit or pcvFree is no failure to report.
        if (!(progress.cancel && *progress.cancel)) EngineErrorSet(error);
        return;
    }
    project->cache.reportFailure = [](void*, const wchar_t* text) { EngineErrorSet(text); };
    Engine().project = project;
}

} // namespace

extern "C" {

PCV_API void pcvReInit(void) {
    EngineState& engine = Engine();
    EngineUnloadProject();
    engine.memory = MemoryPoints{};
    engine.visibleClasses = engine.sessionClasses = engine.shownClasses = ClassMaskAll();
}

PCV_API bool pcvIsProjectLoaded(void) {
    return Engine().project != nullptr;
}

PCV_API void pcvSetMemoryPoints(const Point3Di* points, const unsigned char* classes,
                                const unsigned short* intensities, const unsigned short* colours,
                                const PointCloudSummary* summary) {
    MemoryPoints& memory = Engine().memory;
    memory = MemoryPoints{};
    if (!points || !summary) return;
    memory.points = points;
    memory.classes = classes;
    memory.intensities = intensities;
    memory.colours = colours;
    memory.summary = *summary;
    memory.set = true;
}

PCV_API int pcvConvertLidoraProject(const wchar_t* projectFile, unsigned long long channelMask,
                                    const ClassificationMask256* classMask, unsigned int, bool,
                                    bool fromMemory) {
    EngineState& engine = Engine();
    if (WorkerProgress() != 100) {
        EngineErrorSet(L"The engine is still converting or loading a project.");
        return 0;
    }
    EngineErrorClear();
    std::shared_ptr<ConversionRequest> request(new (std::nothrow) ConversionRequest());
    if (!request) {
        EngineErrorSet(L"There is not enough memory to start the conversion.");
        return 0;
    }
    if (!projectFile || !*projectFile || !TextCopy(request->file, kPathChars, projectFile)) {
        EngineErrorSet(L"No project file was named, or its path is too long.");
        return 0;
    }
    if (!StorageFileExists(projectFile)) {
        wchar_t error[kPathChars + 64];
        TextCopy(error, kPathChars + 64, L"The project file does not exist: ");
        TextAppend(error, kPathChars + 64, projectFile);
        EngineErrorSet(error);
        return 0;
    }
    if (fromMemory && !engine.memory.set) {
        EngineErrorSet(L"No points were handed over in memory to convert.");
        return 0;
    }
    EngineUnloadProject();
    request->channels = channelMask;
    request->fromMemory = fromMemory;
    request->memory = engine.memory;
    if (fromMemory) engine.memory = MemoryPoints{}; // the caller's arrays serve this conversion only
    EngineFacts(request->engine, 128);
    request->cacheBytes = EngineCacheBytes();
    request->threads = 2;
    if (classMask && classMask->active) {
        engine.visibleClasses = *classMask;
        engine.shownClasses = ClassMaskCombine(&engine.visibleClasses, &engine.sessionClasses);
    }
    if (!WorkerStart([request](const WorkProgress& progress) { ConvertOnWorker(request, progress); })) {
        EngineErrorSet(L"The engine could not start its worker thread.");
        return 0;
    }
    return 1;
}

PCV_API int pcvCalculateGetProgressStatus(void) {
    return WorkerProgress();
}

PCV_API void pcvCalculateGetProgressStatusDescription(wchar_t* text) {
    if (text) WorkerDescription(text, PCV_TEXT_CHARS);
}

PCV_API bool pcvGetError(wchar_t* text) {
    wchar_t ignored[PCV_TEXT_CHARS];
    return EngineErrorTake(text ? text : ignored, PCV_TEXT_CHARS);
}

PCV_API unsigned long long pcvGetProjectChannelMask(void) {
    LoadedProject* project = Engine().project;
    return project ? project->channelMask : 0;
}

PCV_API int pcvGetProjectClassCounts(unsigned long long counts[256]) {
    LoadedProject* project = Engine().project;
    if (!counts) return project ? 1 : 0;
    for (int c = 0; c < 256; ++c) counts[c] = project ? project->tables.classCounts[c] : 0;
    return project ? 1 : 0;
}

PCV_API int pcvGetProjectFile(wchar_t* file) {
    LoadedProject* project = Engine().project;
    if (file) TextCopy(file, PCV_TEXT_CHARS, project ? project->project.path : L"");
    return project ? 1 : 0;
}

} // extern "C"
