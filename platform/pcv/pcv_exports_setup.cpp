// pcv.dll's set-up: modes, budgets, the renderer and its views.
#include "engine_error.h"
#include "engine_state.h"
#include "node_cache.h"

#include "pcv.h"

#include <windows.h>

namespace {

// The most pixels a side of the image buffer may have.
constexpr int kMaxImageSide = 32768;

bool CpuInitialisationBlocked() {
    wchar_t value[16] = L"";
    DWORD length = GetEnvironmentVariableW(PCV_FAIL_CPU_INIT_VARIABLE, value, 16);
    return length > 0 && !(length == 1 && value[0] == L'0');
}

void PointAtImageBuffer(ProjectionImageData* view) {
    EngineState& engine = Engine();
    if (view && engine.renderer) view->imageBuffer = RendererImageBuffer(engine.renderer);
}

} // namespace

extern "C" {

PCV_API void pcvDllInit(void) {
    EngineReset();
}

PCV_API void pcvSetTelemetrySession(int product, int reserved, int hostMajor, int hostMinor, int reserved2) {
    int* t = Engine().telemetry;
    t[0] = product;
    t[1] = reserved;
    t[2] = hostMajor;
    t[3] = hostMinor;
    t[4] = reserved2;
}

PCV_API void pcvSetCpuMode(bool cpu) {
    Engine().cpuMode = cpu;
}

PCV_API bool pcvGetCpuMode(void) {
    return Engine().cpuMode;
}

PCV_API void pcvSetImageMem(unsigned int megabytes) {
    Engine().imageMemoryMegabytes = megabytes;
}

PCV_API unsigned int* pcvInit(int height, int doubleWidth, unsigned long long, bool, const wchar_t* root) {
    EngineState& engine = Engine();
    TextCopy(engine.root, kPathChars, root ? root : L"");
    if (!engine.cpuMode) {
        EngineErrorSet(L"There is no GPU renderer in this engine; use CPU mode.");
        return nullptr;
    }
    if (CpuInitialisationBlocked()) {
        EngineErrorSet(L"CPU initialisation failed: the environment variable PCV_TEST_FAIL_CPU_INIT is set.");
        return nullptr;
    }
    if (height <= 0 || doubleWidth <= 0 || height > kMaxImageSide || doubleWidth > kMaxImageSide) {
        EngineErrorSet(L"The image buffer's size is not usable.");
        return nullptr;
    }
    if (engine.renderer) RendererDestroy(engine.renderer);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    int threads = system.dwNumberOfProcessors >= 2 ? 2 : 1;
    engine.renderer = RendererCreate(height, doubleWidth, threads);
    if (!engine.renderer) {
        EngineErrorSet(L"There is not enough memory for the image buffer.");
        return nullptr;
    }
    PointAtImageBuffer(engine.defaultView);
    for (int i = 0; i < engine.windowCount; ++i) PointAtImageBuffer(engine.windows[i]);
    return reinterpret_cast<unsigned int*>(RendererImageBuffer(engine.renderer));
}

PCV_API void pcvSetMaxChannelWidth(int width) {
    Engine().maxChannelWidth = width > 0 ? width : 1;
}

PCV_API void pcvSetCpuMemoryUsageLimit(unsigned long long megabytes) {
    EngineState& engine = Engine();
    engine.memoryLimitMegabytes = megabytes > 0 ? megabytes : kDefaultMemoryLimitMegabytes;
    if (engine.memoryLimitMegabytes > (1ull << 40)) engine.memoryLimitMegabytes = 1ull << 40;
    LoadedProject* project = engine.project;
    if (project) NodeCacheSetLimit(&project->cache, EngineCacheBytes());
}

PCV_API void pcvSetDefaultView(ProjectionImageData* view) {
    Engine().defaultView = view;
    PointAtImageBuffer(view);
}

PCV_API void pcvSetMultiWindow(int count, ProjectionImageData** views) {
    EngineState& engine = Engine();
    engine.windowCount = 0;
    if (!views || count <= 0) return;
    for (int i = 0; i < count && i < kMaxWindows; ++i) {
        engine.windows[engine.windowCount++] = views[i];
        PointAtImageBuffer(views[i]);
    }
}

PCV_API void pcvFree(void) {
    EngineReset();
}

} // extern "C"
