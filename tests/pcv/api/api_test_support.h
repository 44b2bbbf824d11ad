// Scaffolding of the tests that meet the engine as the plug-in does, through pcv.dll: its start-up
// sequence, waiting for the worker as the plug-in's busy window does, and view records filled the
// way the plug-in fills them from a host view.
#pragma once

#include "../pcv_test_support.h"
#include "pcv.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

namespace apitest {

using pcvtest::Narrow;

// The plug-in's one view record and its engine handle.
struct Plugin {
    ProjectionImageData view{};
    ProjectionImageData* windows[1] = {&view};
    unsigned int* handle = nullptr;
};

// The engine start of the plug-in, in its order, with GPU mode asked for first. Returns the handle.
inline unsigned int* EngineStart(Plugin* plugin, const std::wstring& settingsFolder,
                                 bool cpuSetting = false) {
    pcvDllInit();
    pcvSetTelemetrySession(10, 0, 8, 1, 0);
    pcvSetCpuMode(cpuSetting);
    unsigned int* handle = nullptr;
    if (!pcvGetCpuMode()) {
        handle = pcvInit(2160, 7920, 0, false, settingsFolder.c_str());
        if (!handle) pcvSetCpuMode(true);
    }
    if (pcvGetCpuMode()) {
        handle = pcvInit(2160, 7920, 0, false, settingsFolder.c_str());
        if (!handle) return nullptr;
    }
    pcvSetMaxChannelWidth(4);
    ULONGLONG kibibytes = 0;
    GetPhysicallyInstalledSystemMemory(&kibibytes);
    pcvSetCpuMemoryUsageLimit(kibibytes / 1000);
    pcvSetDefaultView(&plugin->view);
    plugin->view.flags &= ~2u;
    plugin->view.imageHeight = 2160;
    plugin->view.imageWidth = 3960;
    plugin->view.pageLockPriority = 0;
    if (pcvGetCpuMode()) plugin->view.renderingMode |= 8;
    pcvSetMultiWindow(1, plugin->windows);
    plugin->handle = handle;
    return handle;
}

// What a wait saw of the worker.
struct Waited {
    std::vector<int> progress;
    std::vector<std::wstring> descriptions;
    bool finished = false;
};

// Polls the progress until 100, as the plug-in's waits do, with a time limit only so that a broken
// engine fails the test instead of hanging it.
inline Waited WaitForEngine(DWORD pollMilliseconds = 10, DWORD limitMilliseconds = 120000) {
    Waited waited;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMilliseconds) {
        int progress = pcvCalculateGetProgressStatus();
        wchar_t text[PCV_TEXT_CHARS];
        pcvCalculateGetProgressStatusDescription(text);
        waited.progress.push_back(progress);
        if (waited.descriptions.empty() || waited.descriptions.back() != text)
            waited.descriptions.push_back(text);
        if (progress == 100) {
            waited.finished = true;
            break;
        }
        Sleep(pollMilliseconds);
    }
    return waited;
}

// The engine's pending error, or "" when there is none.
inline std::wstring TakeError() {
    wchar_t text[PCV_TEXT_CHARS] = L"";
    return pcvGetError(text) ? std::wstring(text) : std::wstring();
}

// A parallel view looking straight down on a box centred on (x, y), dy high, its top at top and
// dz deep, as the plug-in fills the record (the host's top view: rotation identity, second row
// negated; camera above the centre at the box's diagonal).
inline void TopView(ProjectionImageData* view, double x, double y, double top, double dy, double dz,
                    int width, int height) {
    uint8_t* pixels = view->imageBuffer;
    uint32_t mode = view->renderingMode;
    memset(view, 0, sizeof(*view));
    view->imageBuffer = pixels;
    view->renderingMode = mode;
    const float rotation[3][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    memcpy(view->rotation, rotation, sizeof(rotation));
    view->flags = PcvViewParallel;
    view->imageWidth = width;
    view->imageHeight = height;
    view->heightToWidth = static_cast<float>(height) / width;
    view->projectionScale1 = 1;
    view->projectionScale2 = static_cast<float>(2 / dy);
    double dx = dy * width / height;
    double diagonal = sqrt(dx * dx + dy * dy + dz * dz);
    view->cameraPosition[0] = x;
    view->cameraPosition[1] = y;
    view->cameraPosition[2] = top - dz / 2 + diagonal;
    double depth = diagonal + dz / 2;
    view->viewBoxFar = static_cast<float>(depth);
    view->viewBoxNear = static_cast<float>(depth - dz);
    view->nearDistance = view->viewBoxNear;
    view->farDistance = view->viewBoxFar;
    view->pointSize = 3000;
    view->shadingStrength = 0.25f;
    view->shadingRadius = 5;
    view->highlightColor = 0xFFFF00;
}

// A perspective view from eye straight down onto target (dy high at the target), stereo or mono.
inline void DownwardCamera(ProjectionImageData* view, double x, double y, double eyeZ, double targetZ,
                           double dy, int width, int height, bool stereo) {
    TopView(view, x, y, targetZ, dy, eyeZ - targetZ, width, height);
    view->flags = stereo ? PcvViewStereo : 0;
    double f = 2 * (eyeZ - targetZ) / dy;
    view->projectionScale1 = static_cast<float>(f);
    view->projectionScale2 = 1;
    view->cameraPosition[2] = eyeZ;
    view->nearDistance = view->viewBoxNear = 0.5f;
    view->farDistance = view->viewBoxFar = static_cast<float>(eyeZ - targetZ) * 2;
    view->pointSize = static_cast<float>(2000 * sqrt(f));
}

// Pixels of one eye that are not the background of the top-left corner.
inline size_t LitPixels(const ProjectionImageData& view, int eye = 0) {
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(view.imageBuffer) +
                             static_cast<size_t>(eye) * view.imageWidth * view.imageHeight;
    uint32_t background = pixels[0] & 0xFFFFFF;
    size_t lit = 0;
    for (size_t i = 0; i < static_cast<size_t>(view.imageWidth) * view.imageHeight; ++i)
        lit += (pixels[i] & 0xFFFFFF) != background ? 1 : 0;
    return lit;
}

inline uint32_t PixelAt(const ProjectionImageData& view, int eye, int column, int row) {
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(view.imageBuffer) +
                             static_cast<size_t>(eye) * view.imageWidth * view.imageHeight;
    return pixels[static_cast<size_t>(row) * view.imageWidth + column] & 0xFFFFFF;
}

// Saves one eye of the view's image as build/screenshots/platform/<name>.bmp (24-bit, bottom row
// first as BMP wants), so that a person can look at what the engine drew.
inline bool SaveImage(const std::string& name, const ProjectionImageData& view, int eye = 0) {
    std::wstring folder = testenv::BuildFolder() + L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\platform";
    CreateDirectoryW(folder.c_str(), nullptr);
    int width = view.imageWidth, height = view.imageHeight;
    int stride = (width * 3 + 3) & ~3;
    std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
    auto put32 = [&](size_t at, uint32_t v) { memcpy(&bytes[at], &v, 4); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put32(26, 1 | (24 << 16));
    const uint8_t* pixels = view.imageBuffer + static_cast<size_t>(eye) * width * height * 4;
    for (int row = 0; row < height; ++row) {
        const uint8_t* from = pixels + static_cast<size_t>(height - 1 - row) * width * 4;
        char* to = &bytes[54 + static_cast<size_t>(row) * stride];
        for (int x = 0; x < width; ++x) memcpy(to + 3 * x, from + 4 * x, 3);
    }
    std::wstring wide(name.begin(), name.end());
    return testenv::WriteFileBytes(folder + L"\\" + wide + L".bmp", bytes);
}

// The 16 files the plug-in deletes from its data folder before converting points in memory.
inline const std::vector<std::wstring>& StaleFiles() {
    static const std::vector<std::wstring> files = {
        L"octree\\singleblock.oct",      L"octree\\singleblock.c28",  L"octree\\singleblock.c07",
        L"octree\\singleblock.c05",      L"octree\\singleblock.c01",  L"octree\\LoadedPoints_STATS.c08",
        L"octree\\LoadedPoints_LUT.c05", L"octree\\LoadedPoints.oct", L"octree\\LoadedPoints.c28",
        L"octree\\LoadedPoints.c08",     L"octree\\LoadedPoints.c07", L"octree\\LoadedPoints.c05",
        L"octree\\LoadedPoints.c01",     L"octree\\LoadedPoints.inf", L"LoadedPoints.prj",
        L"LoadedPoints_shadow.prj"};
    return files;
}

// "UpdateLoaded" as the plug-in runs it, up to the wait for the conversion: deletes the stale files,
// writes LoadedPoints.prj, re-initialises a loaded engine, hands the points over and converts.
inline int UpdateLoaded(const std::wstring& dataFolder, const pcvtest::MemoryScene& scene, Waited* waited) {
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    for (const std::wstring& file : StaleFiles()) DeleteFileW((dataFolder + L"\\" + file).c_str());
    if (!pcvtest::WriteLoadedPointsProject(dataFolder)) return 0;
    if (pcvIsProjectLoaded()) pcvReInit();
    pcvSetMemoryPoints(scene.points.data(), scene.classes.data(), scene.intensities.data(),
                       scene.colours.data(), &scene.summary);
    int started = pcvConvertLidoraProject((dataFolder + L"\\LoadedPoints.prj").c_str(), 0x100000A2, nullptr,
                                          0, false, true);
    *waited = WaitForEngine(10);
    return started;
}

// "LoadProject" of a project file as the plug-in runs it with GuiDlg converting and loading: the
// engine re-initialised, the file converted where needed and loaded, the wait, the error check and
// the first channel (mask 1). Returns the engine's error text, "" on success.
inline std::wstring LoadProject(const std::wstring& file, unsigned int* channel, Waited* waited = nullptr) {
    pcvReInit();
    if (!pcvConvertLidoraProject(file.c_str(), 0, nullptr, 0, false, false)) return TakeError();
    Waited w = WaitForEngine(50);
    if (waited) *waited = w;
    std::wstring error = TakeError();
    if (!error.empty()) return error;
    unsigned int first = 0, second = 0;
    pcvGetChannelFromChannelMask(&first, &second, 1);
    if (pcvIsProjectLoaded()) *channel = second;
    return L"";
}

} // namespace apitest
