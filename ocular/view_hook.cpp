// The plug-in's part in every host redraw: the engine renders the view's camera into its own buffer
// and the host paints straight from that buffer. A redraw allocates nothing: the record is global and
// everything else lives on the stack.
#include "settings.h"
#include "view.h"
#include "view_record_math.h"

ProjectionImageData SharedView;
HANDLE ViewMutex;
uint32_t CurrentChannel;

namespace {

constexpr unsigned kViewCount = 8;
// Applied by the engine on every draw; the settings have no say in it.
constexpr float kShadingStrength = 0.25f;

void WaitForView() {
    WaitForSingleObject(ViewMutex, INFINITE);
}

void NarrowToDepthInSight(ProjectionImageData* record) {
    pcvGetDepthEstimation(record);
    if (record->nearDepthEstimate > record->nearDistance) record->nearDistance = record->nearDepthEstimate;
    if (record->farDepthEstimate < record->farDistance) record->farDistance = record->farDepthEstimate;
}

void PrepareRender(ProjectionImageData* record) {
    record->pageLockPriority = 0;
    record->highlightFound = 0;
    record->shadingStrength = kShadingStrength;
    record->renderingMode = static_cast<uint32_t>(OcularSettings.RenderingMode);
    record->channel = CurrentChannel;
}

void PaintImage(ViewHandle view, const ProjectionImageData& record, int width, int height) {
    RasterPoint origin = {0, 0};
    RasterPoint size = {width, height};
    if (record.flags & PcvViewStereo) {
        DrawRasterStereo(view, 0, &origin, &size, width, height, DrawRasterFormatBgrx, record.imageBuffer);
        DrawRasterStereo(view, 1, &origin, &size, width, height, DrawRasterFormatBgrx,
                         record.imageBuffer + ViewRightEyeOffset(record));
    } else {
        DrawRaster(view, &origin, &size, width, height, DrawRasterFormatBgrx, record.imageBuffer);
    }
}

// Phase 0 comes before the host paints its own contents, which would cover the image.
int ViewsUpdate(int phase, DocHandle, intptr_t, ViewHandle view) {
    if (phase != 0) DrawView(view);
    return 1;
}

} // namespace

int ViewHookInstall() {
    ViewMutex = CreateMutexA(nullptr, FALSE, nullptr);
    pcvSetDefaultView(&SharedView);
    ViewsSetFuncOnUpdate(ViewsUpdate);
    return 1;
}

// Also runs after a failed start, when no mutex was made, and again at the host's unload.
void ViewHookRemove() {
    ViewsSetFuncOnUpdate(nullptr);
    if (ViewMutex) {
        CloseHandle(ViewMutex);
        ViewMutex = nullptr;
    }
}

void DrawView(ViewHandle view) {
    int index = ViewGetIndex(view);
    if (static_cast<unsigned>(index) >= kViewCount) return;
    WaitForView();
    FillViewRecord(&SharedView, view);
    int width = 0, height = 0;
    // Without a size the raster the host would be handed is undefined: the view keeps its own contents.
    if (ViewGetImageSize(&width, &height, index)) {
        NarrowToDepthInSight(&SharedView);
        PrepareRender(&SharedView);
        if (pcvSetView(&SharedView) > 0) {
            PaintImage(view, SharedView, width, height);
            pcvReleasePageLockPri(SharedView.pageLockPriority);
        }
    }
    ViewUnlock();
}

void ViewUnlock() {
    ReleaseMutex(ViewMutex);
}

void ViewCopy(ProjectionImageData* destination) {
    WaitForView();
    *destination = SharedView;
    ViewUnlock();
}
