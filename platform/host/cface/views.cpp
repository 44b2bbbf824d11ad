#include "cface/views.h"

#include "cface/main_window.h"
#include "cadio/cadio_host.h"

#include <cmath>

namespace {

// The range the views show at start: a cube of 100 master units about the design's zero.
constexpr double kStartHalfSize = 50;

const char* OrientationName(ViewOrientation orientation) {
    switch (orientation) {
        case kViewFront:
            return "Front";
        case kViewRight:
            return "Right";
        case kViewIso:
            return "Iso";
        default:
            return "Top";
    }
}

// Sizes the view windows get before the main window lays them out.
constexpr int kStartWidth = 560;
constexpr int kStartHeight = 340;

} // namespace

void InitViews() {
    HostState& host = Host();
    double half = kStartHalfSize * CadHostWorkingPerMaster();
    host.rangeLow = {-half, -half, -half};
    host.rangeHigh = {half, half, half};
    static const ViewOrientation kOrientations[kMaxViews] = {kViewTop, kViewFront, kViewRight, kViewIso,
                                                             kViewTop, kViewFront, kViewRight, kViewIso};
    for (int i = 0; i < kMaxViews; ++i) {
        OrbisaView& view = host.views[i];
        view = OrbisaView{};
        view.index = i;
        view.open = i < 4;
        view.width = kStartWidth;
        view.height = kStartHeight;
        view.geometry =
            ParallelGeometry(kOrientations[i], host.rangeLow, host.rangeHigh, view.width, view.height);
        view.orientation = OrientationName(kOrientations[i]);
        view.lastMotionX = view.lastMotionY = -1;
    }
    GeometryToCamera(host.views[3].geometry, kStartWidth, kStartHeight);
    GeometryFit(host.views[3].geometry, host.rangeLow, host.rangeHigh, kStartWidth, kStartHeight);
    host.activeView = 0;
    host.lastClickView = -1;
}

int OpenViewCount() {
    int count = 0;
    for (const OrbisaView& view : Host().views) count += view.open ? 1 : 0;
    return count;
}

bool OpenView(OrbisaView& view) {
    if (view.open) return true;
    view.open = true;
    if (Host().main) {
        CreateViewWindow(view, Host().main);
        LayoutMainWindow();
    }
    RequestRedraw(view);
    return true;
}

bool CloseView(OrbisaView& view) {
    if (!view.open) return true;
    view.open = false;
    view.cursorInside = false;
    if (view.window) DestroyWindow(view.window);
    view.window = nullptr;
    ReleaseViewImages(view);
    if (Host().activeView == view.index) {
        for (const OrbisaView& other : Host().views)
            if (other.open) {
                Host().activeView = other.index;
                break;
            }
    }
    if (Host().main) LayoutMainWindow();
    return true;
}

void ReleaseViewImages(OrbisaView& view) {
    if (view.contentBitmap) DeleteObject(view.contentBitmap);
    if (view.shownBitmap) DeleteObject(view.shownBitmap);
    view.contentBitmap = view.shownBitmap = nullptr;
    view.content = view.shown = nullptr;
    view.eyes[0].clear();
    view.eyes[1].clear();
}

namespace {

HBITMAP CreateImage(int width, int height, uint32_t** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = bitmap ? static_cast<uint32_t*>(bits) : nullptr;
    return bitmap;
}

} // namespace

void SetViewClientSize(OrbisaView& view, int width, int height) {
    if (width <= 0 || height <= 0) return; // minimised: keep what there is
    if (view.content && width == view.width && height == view.height) return;
    ReleaseViewImages(view);
    view.width = width;
    view.height = height;
    view.contentBitmap = CreateImage(width, height, &view.content);
    view.shownBitmap = CreateImage(width, height, &view.shown);
    if (!view.content || !view.shown) ReleaseViewImages(view);
    GeometryRefresh(view.geometry, width, height);
    RequestRedraw(view);
}

void RequestRedraw(OrbisaView& view) {
    if (!view.open) return;
    view.needsRedraw = true;
    if (view.window) InvalidateRect(view.window, nullptr, FALSE);
}

void RequestRedrawAll() {
    for (OrbisaView& view : Host().views) RequestRedraw(view);
}

bool FlushRedraws() {
    bool any = false;
    for (OrbisaView& view : Host().views) {
        if (view.open && view.needsRedraw && view.content) {
            RedrawView(view);
            any = true;
        }
        if (view.window) UpdateWindow(view.window);
    }
    return any;
}

Vec3 ViewPixelToDesign(const OrbisaView& view, double px, double py) {
    return GeometryPixelToDesign(view.geometry, view.width, view.height, px, py);
}

bool ViewDesignToPixel(const OrbisaView& view, Vec3 point, double* px, double* py) {
    return GeometryDesignToPixel(view.geometry, view.width, view.height, point, px, py);
}

VwParams ParamsOf(const OrbisaView& view) {
    const ViewGeometry& g = view.geometry;
    VwParams params{};
    params.origin = {g.origin.x, g.origin.y, g.origin.z};
    params.delta = {g.delta.x, g.delta.y, g.delta.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) params.rotation[r][c] = g.rotation.m[r][c];
    if (g.camera) {
        params.eye = {g.eye.x, g.eye.y, g.eye.z};
        params.target = {g.target.x, g.target.y, g.target.z};
        params.cameraLensAngle = static_cast<float>(g.lensAngle);
        params.cameraFocalLength = static_cast<float>(GeometryFocal(g));
    } else {
        // A parallel view's camera stands in front of its centre at the length of the box's diagonal.
        Vec3 centre = GeometryCentre(g);
        Vec3 eye = Add(centre, Scale(Row(g.rotation, 2), Length(g.delta)));
        params.eye = {eye.x, eye.y, eye.z};
        params.target = {centre.x, centre.y, centre.z};
    }
    params.imageWidth = view.width;
    params.imageHeight = view.height;
    params.perspective = g.camera ? 1 : 0;
    params.stereo = view.stereo ? 1 : 0;
    params.index = view.index;
    params.open = view.open ? 1 : 0;
    return params;
}

bool ShownPixel(const OrbisaView& view, int x, int y, uint32_t* pixel) {
    if (!view.shown || x < 0 || y < 0 || x >= view.width || y >= view.height) return false;
    *pixel = view.shown[static_cast<size_t>(y) * view.width + x] & 0x00FFFFFFu;
    return true;
}

void SetViewOrientation(OrbisaView& view, ViewOrientation orientation) {
    GeometrySetRotation(view.geometry, StandardRotation(orientation), view.width, view.height);
    view.orientation = OrientationName(orientation);
    ViewNavigated(view, false);
}

void SetViewCamera(OrbisaView& view, Vec3 eye, Vec3 target) {
    GeometrySetCamera(view.geometry, eye, target, view.width, view.height);
    view.orientation = "Rotated";
    ViewNavigated(view, false);
}

void SetViewPerspective(OrbisaView& view, bool on) {
    if (on)
        GeometryToCamera(view.geometry, view.width, view.height);
    else
        GeometryToParallel(view.geometry, view.width, view.height);
    ViewNavigated(view, false);
}

void SetViewStereo(OrbisaView& view, bool on) {
    view.stereo = on;
    ViewNavigated(view, false);
}

void FitView(OrbisaView& view, Vec3 low, Vec3 high) {
    Host().rangeLow = {std::fmin(low.x, high.x), std::fmin(low.y, high.y), std::fmin(low.z, high.z)};
    Host().rangeHigh = {std::fmax(low.x, high.x), std::fmax(low.y, high.y), std::fmax(low.z, high.z)};
    GeometryFit(view.geometry, Host().rangeLow, Host().rangeHigh, view.width, view.height);
    ViewNavigated(view, false);
}

void ViewNavigated(OrbisaView& view, bool rotated) {
    if (rotated) view.orientation = "Rotated";
    RequestRedraw(view);
    RequestHeaderRepaint();
}

namespace {

bool g_scriptedMovePending = false;
POINT g_scriptedMove{};

} // namespace

void ExpectScriptedCursorMove(POINT screen) {
    // Where the system really put the cursor (it keeps it on the screen).
    POINT placed = screen;
    GetCursorPos(&placed);
    g_scriptedMove = placed;
    g_scriptedMovePending = true;
}

bool IsScriptedCursorMove(POINT screen) {
    if (!g_scriptedMovePending || screen.x != g_scriptedMove.x || screen.y != g_scriptedMove.y) return false;
    g_scriptedMovePending = false;
    return true;
}

std::wstring ViewTitle(const OrbisaView& view) {
    std::wstring title = L"View " + std::to_wstring(view.index) + L" - ";
    title += std::wstring(view.orientation.begin(), view.orientation.end());
    if (view.geometry.camera) title += L", Camera";
    if (view.stereo) title += L", Stereo";
    return title;
}

void RequestHeaderRepaint() {
    if (Host().main) InvalidateRect(Host().main, nullptr, FALSE);
}
