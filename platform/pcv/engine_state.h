// The engine's one state: modes and budgets, the renderer and its views, class visibility, the
// loaded project, the points handed over in memory, the session last loaded and the image list.
// Everything here belongs to the caller's thread, except the loaded project, which the worker
// thread publishes when a load has finished (before its progress reaches 100).
#pragma once

#include "conversion.h"
#include "image_list.h"
#include "loaded_project.h"
#include "memory_source.h"
#include "render/renderer.h"
#include "session_file.h"

#include <stdint.h>

#include <atomic>

constexpr int kMaxWindows = 8;
// The memory limit until the caller sets one, in megabytes.
constexpr uint64_t kDefaultMemoryLimitMegabytes = 2048;
// What the node cache leaves of the memory limit for the image and depth buffers and the node tables.
constexpr uint64_t kCacheReserveBytes = 256ull << 20;
constexpr uint64_t kMinimumCacheBytes = 64ull << 20;
// The environment variable that makes CPU initialisation fail, so that callers can test their
// teardown: any value but empty or "0".
#define PCV_FAIL_CPU_INIT_VARIABLE L"PCV_TEST_FAIL_CPU_INIT"

struct EngineState {
    bool cpuMode;
    unsigned int imageMemoryMegabytes; // kept for a GPU renderer; the CPU renderer does not use it
    int telemetry[5];
    wchar_t root[kPathChars];
    Renderer* renderer;
    uint64_t memoryLimitMegabytes;
    int maxChannelWidth;
    uint32_t pointBudget; // per eye
    ProjectionImageData* defaultView;
    ProjectionImageData* windows[kMaxWindows];
    int windowCount;
    ClassificationMask256 visibleClasses;
    ClassificationMask256 sessionClasses;
    ClassificationMask256 shownClasses; // both combined: what the renderer shows
    MemoryPoints memory;
    std::atomic<LoadedProject*> project;
    // The view records last drawn, perspective and parallel, which a saved session keeps; until one
    // is drawn, the session last loaded gives it.
    ProjectionImageData lastViews[2];
    bool lastViewDrawn[2];
    bool sessionLoaded;
    SessionData session;
    ImageList images;
};

EngineState& Engine();
// Back to the state of a freshly loaded DLL, freeing what the engine holds.
void EngineReset();
// Frees the project and stops any work on it.
void EngineUnloadProject();
// The cloud the renderer draws: the loaded project's, or an empty one.
const CloudSource& EngineCloud();
RenderSettings EngineRenderSettings();
// The node cache's share of the memory limit.
uint64_t EngineCacheBytes();
// "pcv storage 1; product 10, host 8.1": what the conversion record and summary say of the engine.
void EngineFacts(wchar_t* text, size_t capacity);
