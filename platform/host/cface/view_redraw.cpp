// The redraw of one view: the mini apps' update hooks around the host's own contents, the stereo pair,
// then the overlays.
#include "cface/call_log.h"
#include "cface/host_scene.h"
#include "cface/views.h"

#include <cstring>

namespace {

void CallUpdateHooks(OrbisaView& view, int phase) {
    HostState& host = Host();
    view.phase = phase;
    for (int i = 0; i < host.appCount && view.open; ++i) {
        OrbisaMiniApp& app = host.apps[i];
        if (!app.loaded || !app.updateHook) continue;
        LogLine line;
        LogCallbackBegin(line, "ViewsUpdate", &app);
        LogInt(line, "phase", phase);
        LogInt(line, "viewIndex", view.index);
        CallLogWrite(line);
        ActiveScope scope(&app);
        app.updateHook(phase, &host.document, view.index, &view);
    }
}

} // namespace

void RedrawView(OrbisaView& view) {
    if (!view.open || !view.content || view.updating) return;
    HostState& host = Host();
    view.needsRedraw = false;
    view.updating = true;
    OrbisaView* outer = host.updatingView;
    host.updatingView = &view;
    view.eyeGiven[0] = view.eyeGiven[1] = false;
    CallUpdateHooks(view, 0);
    DrawHostContents(view);
    CallUpdateHooks(view, 1);
    if (view.content && view.eyeGiven[0] && view.eyeGiven[1])
        StereoCombine({view.content, view.width, view.height}, view.eyes[0].data(), view.eyes[1].data(),
                      host.stereoLayout);
    view.updating = false;
    host.updatingView = outer;
    RefreshOverlays(view);
}

void RefreshOverlays(OrbisaView& view) {
    if (!view.content || !view.shown) return;
    memcpy(view.shown, view.content, static_cast<size_t>(view.width) * view.height * 4);
    DrawOverlays(view);
    if (view.window) InvalidateRect(view.window, nullptr, FALSE);
}

void RefreshOverlaysAll() {
    for (OrbisaView& view : Host().views) RefreshOverlays(view);
}
