// The window of a view: shows its image and turns mouse input into data points, resets, cursor
// movement and navigation (wheel zooms about the cursor, middle-drag pans, right-drag or Shift +
// left-drag rotates; a right click without a drag is a reset).
#include "cface/input.h"
#include "cface/toolbars.h"
#include "cface/views.h"

#include <windowsx.h>

#include <cmath>

namespace {

const wchar_t kViewClass[] = L"OrbisaView";
// A right button that moved less than this far is a click (a reset), not a rotation.
constexpr int kDragThreshold = 4;
constexpr double kWheelZoom = 0.8;

OrbisaView* ViewOfWindow(HWND window) {
    return reinterpret_cast<OrbisaView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Paint(HWND window, OrbisaView& view) {
    if (view.needsRedraw) RedrawView(view);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (view.shownBitmap) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, view.shownBitmap);
        BitBlt(dc, 0, 0, view.width, view.height, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    } else {
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    }
    EndPaint(window, &paint);
}

void Activate(OrbisaView& view) {
    if (Host().activeView == view.index) return;
    Host().activeView = view.index;
    RequestHeaderRepaint();
    RefreshHostToolBar();
}

void StartDrag(HWND window, OrbisaView& view, DragKind kind, int x, int y) {
    view.drag = kind;
    view.dragStart = view.dragLast = {x, y};
    view.dragMoved = false;
    SetCapture(window);
}

void DragTo(OrbisaView& view, int x, int y) {
    int dx = x - view.dragLast.x, dy = y - view.dragLast.y;
    if (!view.dragMoved && std::abs(x - view.dragStart.x) < kDragThreshold &&
        std::abs(y - view.dragStart.y) < kDragThreshold)
        return;
    view.dragMoved = true;
    view.dragLast = {x, y};
    if (dx == 0 && dy == 0) return;
    if (view.drag == kDragPan) {
        GeometryPan(view.geometry, view.width, view.height, dx, dy);
        ViewNavigated(view, false);
    } else {
        GeometryRotate(view.geometry, view.width, view.height, dx, dy);
        ViewNavigated(view, true);
    }
}

// Ends a drag; true when it was a click (no movement past the threshold).
bool EndDrag(OrbisaView& view) {
    bool click = !view.dragMoved;
    view.drag = kDragNone;
    ReleaseCapture();
    return click;
}

bool IsRealMouseIgnored(UINT message) {
    const HostState& host = Host();
    if (!host.scriptPointerOnly || host.scriptMouseSends > 0) return false;
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE;
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    OrbisaView* view = ViewOfWindow(window);
    if (!view) return DefWindowProcW(window, message, wParam, lParam);
    if (IsRealMouseIgnored(message)) return 0;
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_PAINT:
            Paint(window, *view);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            SetViewClientSize(*view, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_SETCURSOR:
            // The host draws its own cursor cross in views.
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        case WM_MOUSEMOVE: {
            POINT screen{x, y};
            ClientToScreen(window, &screen);
            if (IsScriptedCursorMove(screen)) return 0;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            if (view->drag != kDragNone) DragTo(*view, x, y);
            CursorMovedTo(*view, x, y);
            return 0;
        }
        case WM_MOUSELEAVE:
            CursorLeft(*view);
            return 0;
        case WM_LBUTTONDOWN:
            Activate(*view);
            StartDrag(window, *view, (wParam & MK_SHIFT) ? kDragRotate : kDragNone, x, y);
            if (!(wParam & MK_SHIFT)) SetCapture(window);
            return 0;
        case WM_LBUTTONUP: {
            bool rotating = view->drag == kDragRotate;
            bool click = EndDrag(*view);
            if (!rotating || click) EnterDataPoint(*view, x, y);
            return 0;
        }
        case WM_MBUTTONDOWN:
            Activate(*view);
            StartDrag(window, *view, kDragPan, x, y);
            return 0;
        case WM_MBUTTONUP:
            EndDrag(*view);
            return 0;
        case WM_RBUTTONDOWN:
            Activate(*view);
            StartDrag(window, *view, kDragRight, x, y);
            return 0;
        case WM_RBUTTONUP:
            if (EndDrag(*view)) EnterReset(view);
            return 0;
        case WM_MOUSEWHEEL: {
            POINT point{x, y};
            ScreenToClient(window, &point);
            double notches = GET_WHEEL_DELTA_WPARAM(wParam) / double(WHEEL_DELTA);
            GeometryZoom(view->geometry, view->width, view->height, point.x, point.y,
                         std::pow(kWheelZoom, notches));
            ViewNavigated(*view, false);
            return 0;
        }
        case WM_CHAR:
            // Typing in a view goes to the key-in line.
            if (Host().keyinEdit) {
                SetFocus(Host().keyinEdit);
                SendMessageW(Host().keyinEdit, message, wParam, lParam);
            }
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterViewClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW view{};
    view.style = CS_DBLCLKS;
    view.lpfnWndProc = ViewProc;
    view.hInstance = Host().instance;
    view.hCursor = nullptr;
    view.lpszClassName = kViewClass;
    RegisterClassW(&view);
    registered = true;
}

} // namespace

HWND CreateViewWindow(OrbisaView& view, HWND parent) {
    RegisterViewClass();
    if (view.window) return view.window;
    std::wstring title = L"View " + std::to_wstring(view.index);
    view.window = CreateWindowExW(0, kViewClass, title.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                  view.width, view.height, parent, nullptr, Host().instance, nullptr);
    if (!view.window) return nullptr;
    SetWindowLongPtrW(view.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view));
    RECT client;
    GetClientRect(view.window, &client);
    SetViewClientSize(view, client.right, client.bottom);
    return view.window;
}
