#include "engine_state.h"

#include "class_mask.h"
#include "engine_error.h"
#include "engine_worker.h"

#include <stdio.h>
#include <string.h>

namespace {

EngineState state;

const NodePoints* AcquireNothing(void*, int, int, int) {
    return nullptr;
}
void ReleaseNothing(void*, int) {}

const CloudSource kEmptyCloud = {nullptr, 0, nullptr, AcquireNothing, ReleaseNothing};

void SetDefaults() {
    state.cpuMode = false;
    state.imageMemoryMegabytes = 0;
    memset(state.telemetry, 0, sizeof(state.telemetry));
    state.root[0] = 0;
    state.renderer = nullptr;
    state.memoryLimitMegabytes = kDefaultMemoryLimitMegabytes;
    state.maxChannelWidth = 4;
    state.pointBudget = kRendererDefaultPointBudget;
    state.defaultView = nullptr;
    memset(state.windows, 0, sizeof(state.windows));
    state.windowCount = 0;
    state.visibleClasses = state.sessionClasses = state.shownClasses = ClassMaskAll();
    state.memory = MemoryPoints{};
    state.project = nullptr;
    memset(state.lastViews, 0, sizeof(state.lastViews));
    state.lastViewDrawn[0] = state.lastViewDrawn[1] = false;
    state.sessionLoaded = false;
    memset(&state.session, 0, sizeof(state.session));
    ImageListDetach(&state.images);
}

struct Initialised {
    Initialised() { SetDefaults(); }
} initialised;

} // namespace

EngineState& Engine() {
    return state;
}

void EngineUnloadProject() {
    WorkerCancelAndWait();
    LoadedProject* project = state.project.exchange(nullptr);
    LoadedProjectFree(project);
}

void EngineReset() {
    EngineUnloadProject();
    EngineErrorClear();
    if (state.renderer) RendererDestroy(state.renderer);
    SetDefaults();
}

const CloudSource& EngineCloud() {
    LoadedProject* project = state.project;
    return project ? project->source : kEmptyCloud;
}

RenderSettings EngineRenderSettings() {
    RenderSettings settings{};
    settings.visibleClasses = &state.shownClasses;
    settings.pointBudget = state.pointBudget;
    settings.maxChannelWidth = state.maxChannelWidth;
    return settings;
}

uint64_t EngineCacheBytes() {
    uint64_t limit = state.memoryLimitMegabytes << 20;
    uint64_t cache = limit > kCacheReserveBytes ? limit - kCacheReserveBytes : 0;
    return cache > kMinimumCacheBytes ? cache : kMinimumCacheBytes;
}

void EngineFacts(wchar_t* text, size_t capacity) {
    swprintf(text, capacity, L"pcv storage %u; product %d, host %d.%d", kStorageVersion, state.telemetry[0],
             state.telemetry[2], state.telemetry[3]);
}
