// The host's views: their geometry, their images and their redraws.
//
// A redraw of a view calls the mini apps' update hooks with phase 0, paints the host's own contents
// (the background and the design range as a box), calls the hooks with phase 1 (when mini apps paint
// with DrawRaster or DrawRasterStereo), combines a stereo pair when both eyes were given, and then draws
// the host's overlays (marker points, the cursor cross, the axis triad) on a copy that is shown.
// Moving the cursor only redraws the overlays. VwUpdate asks for a redraw, done when the host's
// message queue runs dry (or at once when the script waits for redraws).
#pragma once

#include "cface/host.h"

// Geometry of all eight views; views 0 to 3 open (top, front, right, an isometric camera view).
void InitViews();
HWND CreateViewWindow(OrbisaView& view, HWND parent);
bool OpenView(OrbisaView& view);
bool CloseView(OrbisaView& view);
int OpenViewCount();
// The view window got a new client size.
void SetViewClientSize(OrbisaView& view, int width, int height);
void ReleaseViewImages(OrbisaView& view);

void RequestRedraw(OrbisaView& view);
void RequestRedrawAll();
void RedrawView(OrbisaView& view);
// Redraws every open view that asked for it; true when one did.
bool FlushRedraws();
void RefreshOverlays(OrbisaView& view);
void RefreshOverlaysAll();

Vec3 ViewPixelToDesign(const OrbisaView& view, double px, double py);
bool ViewDesignToPixel(const OrbisaView& view, Vec3 point, double* px, double* py);
VwParams ParamsOf(const OrbisaView& view);
// The shown pixel (0x00RRGGBB), or false outside the image.
bool ShownPixel(const OrbisaView& view, int x, int y, uint32_t* pixel);

// Changes of a view, each followed by a redraw. Coordinates are working units.
void SetViewOrientation(OrbisaView& view, ViewOrientation orientation);
void SetViewCamera(OrbisaView& view, Vec3 eye, Vec3 target);
void SetViewPerspective(OrbisaView& view, bool on);
void SetViewStereo(OrbisaView& view, bool on);
void FitView(OrbisaView& view, Vec3 low, Vec3 high);
// After navigation (zoom, pan, rotate): a rotation makes the view "Rotated".
void ViewNavigated(OrbisaView& view, bool rotated);

// The script moved the real cursor to this screen point: the mouse-move message the system sends for
// that is not a movement of the user's (it may land elsewhere when the point is off the screen).
void ExpectScriptedCursorMove(POINT screen);
bool IsScriptedCursorMove(POINT screen);

// The title of a view's header: "View 0 - Top", with "Camera" and "Stereo" where they apply.
std::wstring ViewTitle(const OrbisaView& view);
// The main window repaints the views' headers (the active one stands out).
void RequestHeaderRepaint();
