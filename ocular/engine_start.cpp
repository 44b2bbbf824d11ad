// Starting the pcv engine inside the host: GPU mode when it can be had, else CPU mode, the memory
// budgets, the default view record, and the host's input callbacks that snap points to the cloud.
#include "engine_start.h"

#include "dialogs/message_box.h"
#include "orbisa_cadio.h"
#include "orbisa_cface.h"
#include "pcv.h"
#include "plugin.h"
#include "settings.h"
#include "snapping.h"
#include "folders.h"
#include "view.h"

#include <windows.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>

namespace {

// The default view: image height and width in pixels. The engine's image buffer holds both eyes of
// such a view side by side, hence twice the width at pcvInit.
constexpr int kDefaultImageHeight = 2160;
constexpr int kDefaultImageWidth = 3960;
constexpr int kEngineBufferWidth = 2 * kDefaultImageWidth;
constexpr int kMaxChannelWidth = 4;
constexpr int kTelemetryProduct = 10;
// The engine's own mark for records that its CPU renderer draws.
constexpr uint32_t kCpuRenderingMark = 8;

// The second texts go on the lines below the first, so the user learns what to do about it.
constexpr const wchar_t* kGpuWarning = L"Warning - Unable to use accelerated GPU mode\r\n%s";
constexpr const wchar_t* kGpuWarningDetail =
    L"Reverting to slower CPU rendering mode\r\nPlease close other instances of Ocularis and/or "
    L"Microstation or Orbisa and update nVidia drivers (397.44 or newer) to clear this warning";
constexpr const wchar_t* kCpuError = L"Error - Environment variables are not correctly set.\r\n%s";
constexpr const wchar_t* kCpuErrorDetail = L"Please re-install software.";

// GlobalMemoryStatusEx reports bytes; this divisor gives the same limit as installed kibibytes / 1000
// would on a machine where both agree.
constexpr unsigned long long kBytesPerLimitUnit = 1024000;

// The engine is told which host it runs in.
void TellEngineTheHost() {
    int major = 0;
    int minor = 0;
    OrbisaVersionGetInfo(&major, &minor, nullptr, nullptr, nullptr, nullptr);
    pcvSetTelemetrySession(kTelemetryProduct, 0, major, minor, 0);
}

// The host runner reads the plug-in's standard output from a file; without the flush the line would
// wait in the buffer until the host ends, behind everything printed after it.
void AnnounceStart() {
    fputs("Starting Orbisa PCV handler\n", stdout);
    fflush(stdout);
}

unsigned int* StartGpuMode() {
    unsigned long long allocation = MegabytesFromGigabytes(OcularSettings.GpuMemoryAllocation_Gb);
    unsigned long long imageMemory = MegabytesFromGigabytes(OcularSettings.ImageMem_Gb);
    if (imageMemory != 0)
        pcvSetImageMem(imageMemory > UINT32_MAX ? UINT32_MAX : static_cast<unsigned int>(imageMemory));
    unsigned int* handle =
        pcvInit(kDefaultImageHeight, kEngineBufferWidth, allocation, false, SettingsFolder);
    if (!handle) {
        MsgInfo(TopWindow, kGpuWarning, kGpuWarningDetail);
        pcvSetCpuMode(true);
    }
    return handle;
}

unsigned long long InstalledMemoryLimit() {
    ULONGLONG kibibytes = 0;
    if (GetPhysicallyInstalledSystemMemory(&kibibytes)) return CpuMemoryLimitFromInstalled(kibibytes);
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) return status.ullTotalPhys / kBytesPerLimitUnit;
    return 0;
}

// The mutex does not exist yet and no view callback can run, so the record is written unlocked.
void PrepareDefaultView() {
    pcvSetDefaultView(&SharedView);
    SharedView.flags &= ~static_cast<uint32_t>(PcvViewStereo);
    SharedView.imageHeight = kDefaultImageHeight;
    SharedView.imageWidth = kDefaultImageWidth;
    SharedView.pageLockPriority = 0;
    if (pcvGetCpuMode()) SharedView.renderingMode |= kCpuRenderingMark;
}

} // namespace

unsigned long long CpuMemoryLimitFromInstalled(unsigned long long installedKibibytes) {
    return installedKibibytes / 1000;
}

unsigned long long MegabytesFromGigabytes(double gigabytes) {
    double megabytes = gigabytes * 1000;
    if (!(megabytes >= 1)) return 0; // also not-a-number
    if (megabytes >= 18446744073709551615.0) return UINT64_MAX;
    return static_cast<unsigned long long>(megabytes);
}

void ResetCurrentTransform() {
    CurrTransIdentity();
    CurrTransBegin();
    CurrTransSetMasterUnitsIdentity(1);
}

unsigned int* EngineStart() {
    pcvDllInit();
    TellEngineTheHost();
    ResetCurrentTransform();
    AnnounceStart();
    SettingsLoad();
    IniRead();
    pcvSetCpuMode(OcularSettings.CpuMode != 0);
    unsigned int* handle = nullptr;
    if (!pcvGetCpuMode()) handle = StartGpuMode();
    if (pcvGetCpuMode()) {
        handle = pcvInit(kDefaultImageHeight, kEngineBufferWidth, 0, false, SettingsFolder);
        if (!handle) {
            MsgInfo(TopWindow, kCpuError, kCpuErrorDetail);
            return nullptr;
        }
    }
    pcvSetMaxChannelWidth(kMaxChannelWidth);
    pcvSetCpuMemoryUsageLimit(InstalledMemoryLimit());
    PrepareDefaultView();
    // The engine keeps the array, so it lives as long as the plug-in.
    static ProjectionImageData* views[1] = {&SharedView};
    pcvSetMultiWindow(1, views);
    SnapSetFilterFunction(SnapFilter, 0);
    SetInputQueueEventListener(InputListener, 0);
    return handle;
}

int EngineStop() {
    SettingsSave();
    pcvFree();
    return 1;
}
