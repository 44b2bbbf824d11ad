// "UpdateLoaded": the points Lidora holds in memory become the engine's storage below the data folder
// and are loaded from there like any project. Lidora keeps the arrays; the engine reads them through
// the pointers while it converts, so nothing here copies them.
#include "projects.h"

#include "folders.h"

#include "lidora.h"
#include "pcv.h"

#include <windows.h>

#include <stdio.h>
#include <wchar.h>

const wchar_t* const kStaleStorageFiles[kStaleStorageFileCount] = {
    L"octree\\singleblock.oct",      L"octree\\singleblock.c28",  L"octree\\singleblock.c07",
    L"octree\\singleblock.c05",      L"octree\\singleblock.c01",  L"octree\\LoadedPoints_STATS.c08",
    L"octree\\LoadedPoints_LUT.c05", L"octree\\LoadedPoints.oct", L"octree\\LoadedPoints.c28",
    L"octree\\LoadedPoints.c08",     L"octree\\LoadedPoints.c07", L"octree\\LoadedPoints.c05",
    L"octree\\LoadedPoints.c01",     L"octree\\LoadedPoints.inf", L"LoadedPoints.prj",
    L"LoadedPoints_shadow.prj",
};

const char kLoadedPointsDescription[] = "[Ocularis project]\nStorage=Lidora\n\nBlock singleblock\n";

namespace {

constexpr DWORD kConversionPollMs = 10;
constexpr int kEngineDone = 100;

struct LidoraPoints {
    Point3Di* points = nullptr;
    unsigned char* classes = nullptr;
    unsigned short* intensities = nullptr;
    unsigned short* colours = nullptr;
    int64_t count = 0;
};

// False when Lidora is not loaded, lacks an entry point or holds no points.
bool LidoraPointsGet(LidoraPoints* held) {
    auto getPoints = reinterpret_cast<FnScanGetPntFunc>(LidoraEntry(FN_SCAN_GET_PNT));
    auto getClasses = reinterpret_cast<FnScanGetClsFunc>(LidoraEntry(FN_SCAN_GET_CLS));
    auto getIntensities = reinterpret_cast<FnScanGetIntFunc>(LidoraEntry(FN_SCAN_GET_INT));
    auto getColours = reinterpret_cast<FnScanGetClrFunc>(LidoraEntry(FN_SCAN_GET_CLR));
    if (!getPoints || !getClasses || !getIntensities || !getColours) return false;
    held->count = getPoints(&held->points);
    if (held->count == 0) return false;
    getClasses(&held->classes);
    getIntensities(&held->intensities);
    getColours(&held->colours);
    return true;
}

void StaleStorageDelete(const wchar_t* dataFolder) {
    wchar_t path[kComposedPathChars];
    for (const wchar_t* name : kStaleStorageFiles) {
        // A name that does not fit would be another file: leave it rather than delete that one.
        int length = swprintf(path, kComposedPathChars, L"%ls\\%ls", dataFolder, name);
        if (length < 0 || length >= static_cast<int>(kComposedPathChars)) continue;
        DeleteFileW(path);
    }
}

// Text mode, so that the engine (and a person opening the file) sees CR LF line ends.
bool LoadedPointsDescriptionWrite(const wchar_t* path) {
    FILE* file = _wfopen(path, L"w");
    if (!file) return false;
    bool written = fputs(kLoadedPointsDescription, file) >= 0;
    return fclose(file) == 0 && written;
}

void ConversionWait() {
    while (pcvCalculateGetProgressStatus() < kEngineDone) Sleep(kConversionPollMs);
}

} // namespace

bool MemoryPointsSummary(int64_t count, int32_t divisor, const LidoraCoordSetup& setup,
                         PointCloudSummary* summary) {
    summary->pointCount = static_cast<uint32_t>(count & 0xFFFFFFFFll);
    summary->scaleX = summary->scaleY = summary->scaleZ = 1.0 / divisor;
    summary->offsetX = setup.offsetX;
    summary->offsetY = setup.offsetY;
    summary->offsetZ = setup.offsetZ;
    // A count cut to 32 bits would convert part of the cloud as if it were all of it.
    return count > 0 && count <= static_cast<int64_t>(UINT32_MAX) && divisor > 0;
}

void ConvertMemoryPoints() {
    LidoraPoints held;
    if (!LidoraPointsGet(&held)) return;
    auto getCoordSetup = reinterpret_cast<FnScanGetCoordSetupFunc>(LidoraEntry(FN_SCAN_GET_COORD_SETUP));
    if (!getCoordSetup) return;
    LidoraCoordSetup setup{};
    int32_t divisor = getCoordSetup(&setup);
    PointCloudSummary summary{};
    // Refused before anything on disk is touched: the storage of the last conversion stays usable.
    if (!MemoryPointsSummary(held.count, divisor, setup, &summary)) return;

    wchar_t dataFolder[kComposedPathChars];
    if (!ComposeSettingsPath(dataFolder, kComposedPathChars, kDataFolderSuffix)) return;
    CreateDirectoryW(dataFolder, nullptr);
    StaleStorageDelete(dataFolder);
    wchar_t description[kComposedPathChars];
    int length = swprintf(description, kComposedPathChars, L"%ls\\%ls", dataFolder, kLoadedPointsName);
    if (length < 0 || length >= static_cast<int>(kComposedPathChars)) return;
    if (!LoadedPointsDescriptionWrite(description)) return;

    if (pcvIsProjectLoaded()) pcvReInit();
    pcvSetMemoryPoints(held.points, held.classes, held.intensities, held.colours, &summary);
    pcvConvertLidoraProject(description, kMemoryPointsChannelMask, nullptr, 0, false, true);
    ConversionWait();
    LoadProject(L"RELOAD");
}
