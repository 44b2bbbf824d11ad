#include "cface/input.h"

#include "cface/call_log.h"
#include "cface/host_output.h"
#include "cface/state_commands.h"
#include "cface/status_line.h"
#include "cface/views.h"
#include "cadio/cadio_host.h"

#include <cmath>

namespace {

DPoint3d ToPoint(Vec3 v) {
    return {v.x, v.y, v.z};
}

Vec3 ToVec(const DPoint3d& p) {
    return {p.x, p.y, p.z};
}

// The point as the state command wants it.
DPoint3d ForStateCommand(DPoint3d point) {
    if (!Host().state.useCurrentTransform) return point;
    double factor = CadHostCurrentTransformFactor();
    return {point.x * factor, point.y * factor, point.z * factor};
}

void CallStateFunction(const char* what, StateFunc function, const DPoint3d* point, int viewIndex) {
    StateCommand state = Host().state;
    LogLine line;
    LogCallbackBegin(line, what, state.app);
    LogText(line, "command", state.name.c_str());
    LogPoint(line, "point", point);
    LogInt(line, "viewIndex", viewIndex);
    CallLogWrite(line);
    ActiveScope scope(state.app);
    function(point, viewIndex);
}

// The host's own snapping: the nearest marker point within kHostSnapPixels of the point's pixel.
void SnapToMarker(OrbisaView& view, DPoint3d* point) {
    double px = 0, py = 0;
    if (!ViewDesignToPixel(view, ToVec(*point), &px, &py)) return;
    double best = kHostSnapPixels * kHostSnapPixels;
    for (const Vec3& marker : Host().markers) {
        double mx = 0, my = 0;
        if (!ViewDesignToPixel(view, marker, &mx, &my)) continue;
        double distance = (mx - px) * (mx - px) + (my - py) * (my - py);
        if (distance <= best) {
            best = distance;
            *point = ToPoint(marker);
        }
    }
}

void PlaceMarker(OrbisaView& view, const DPoint3d& point) {
    Host().markers.push_back(ToVec(point));
    PrintLine("point " + std::to_string(view.index) + " " + FormatNumber(point.x) + " " +
              FormatNumber(point.y) + " " + FormatNumber(point.z));
    RefreshOverlaysAll();
}

std::wstring CoordinatesText(Vec3 point) {
    double perMaster = CadHostWorkingPerMaster();
    std::string text = "X " + FormatNumber(std::round(point.x / perMaster * 1000) / 1000) + "  Y " +
                       FormatNumber(std::round(point.y / perMaster * 1000) / 1000) + "  Z " +
                       FormatNumber(std::round(point.z / perMaster * 1000) / 1000);
    return Utf8ToWideText(text);
}

} // namespace

bool OfferToListener(int kind, DPoint3d* point, OrbisaView* view) {
    HostState& host = Host();
    if (!host.listener) return false;
    LogLine line;
    LogCallbackBegin(line, "InputListener", host.listenerOwner);
    LogInt(line, "kind", kind);
    LogPoint(line, "point", point);
    LogInt(line, "view", view ? view->index : -1);
    CallLogWrite(line);
    ActiveScope scope(host.listenerOwner);
    host.listener(kind, point, view);
    return true;
}

int OfferToSnapFilter(int mode, DPoint3d* point, OrbisaView* view) {
    HostState& host = Host();
    if (!host.snapFilter) return -1;
    LogLine line;
    LogCallbackBegin(line, "SnapFilter", host.snapOwner);
    LogInt(line, "mode", mode);
    LogPoint(line, "point", point);
    LogInt(line, "view", view ? view->index : -1);
    CallLogWrite(line);
    ActiveScope scope(host.snapOwner);
    return host.snapFilter(mode, point, view);
}

void EnterDataPoint(OrbisaView& view, double px, double py) {
    HostState& host = Host();
    host.lastClickView = view.index;
    host.activeView = view.index;
    DPoint3d point = ToPoint(ViewPixelToDesign(view, px, py));
    OfferToListener(InputEventDataPoint, &point, &view);
    if (host.snapOn && OfferToSnapFilter(0, &point, &view) != 1) SnapToMarker(view, &point);
    if (host.state.running && host.state.dataPoint) {
        DPoint3d given = ForStateCommand(point);
        CallStateFunction("StateDataPoint", host.state.dataPoint, &given, view.index);
    } else if (!host.state.running) {
        PlaceMarker(view, point);
    }
    RequestHeaderRepaint();
}

void EnterReset(OrbisaView* view) {
    HostState& host = Host();
    if (view) host.lastClickView = view->index;
    OrbisaView* target = view ? view : ViewOfIndex(host.lastClickView);
    int index = target ? target->index : -1;
    if (target) {
        DPoint3d point = ToPoint(ViewPixelToDesign(*target, target->cursorX, target->cursorY));
        OfferToListener(InputEventReset, &point, target);
    }
    if (host.state.running && host.state.reset)
        CallStateFunction("StateReset", host.state.reset, nullptr, index);
}

void CursorMovedTo(OrbisaView& view, int px, int py) {
    if (view.cursorInside && view.lastMotionX == px && view.lastMotionY == py) return;
    for (OrbisaView& other : Host().views) {
        if (&other != &view && other.cursorInside) CursorLeft(other);
    }
    view.cursorInside = true;
    view.cursorX = view.lastMotionX = px;
    view.cursorY = view.lastMotionY = py;
    Vec3 design = ViewPixelToDesign(view, px, py);
    SetStatusCoordinates(CoordinatesText(design));
    RefreshOverlays(view);
    HostState& host = Host();
    if (host.state.running && host.state.motion) {
        DPoint3d point = ForStateCommand(ToPoint(design));
        CallStateFunction("StateMotion", host.state.motion, &point, view.index);
    }
}

void CursorLeft(OrbisaView& view) {
    if (!view.cursorInside) return;
    view.cursorInside = false;
    SetStatusCoordinates(L"");
    RefreshOverlays(view);
}
