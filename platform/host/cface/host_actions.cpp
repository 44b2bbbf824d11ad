#include "cface/host_actions.h"

#include "cface/fit_dialog.h"
#include "cface/host.h"
#include "cface/host_output.h"
#include "cface/main_window.h"
#include "cface/toolbars.h"
#include "cface/views.h"

namespace {

OrbisaView* ActiveView() {
    OrbisaView* view = ViewOfIndex(Host().activeView);
    return view && view->open ? view : nullptr;
}

void OpenFirstViews(int count) {
    for (OrbisaView& view : Host().views) {
        if (view.index < count)
            OpenView(view);
        else
            CloseView(view);
    }
}

void SetStereoLayout(StereoLayout layout) {
    Host().stereoLayout = layout;
    RequestRedrawAll();
}

void Orient(ViewOrientation orientation) {
    if (OrbisaView* view = ActiveView()) SetViewOrientation(*view, orientation);
}

// A script run has nobody to answer a dialog: the host says so instead of waiting.
bool NobodyToAsk(const char* what) {
    if (!Host().scriptMode) return false;
    PrintProblem(std::string(what) + " asks the user, which a script run cannot; nothing done");
    return true;
}

void ShowAbout() {
    if (Host().scriptMode) {
        PrintLine("About Orbisa: Orbisa CAD host 8.1");
        return;
    }
    MessageBoxW(
        Host().main,
        L"Orbisa CAD host 8.1\n\nA host for mini apps: four views, tool bars, key-ins, state commands "
        L"and stereo display.",
        L"About Orbisa", MB_OK | MB_ICONINFORMATION);
}

} // namespace

void RunHostAction(HostAction action) {
    OrbisaView* view = ActiveView();
    switch (action) {
        case kActionExit:
            RequestHostExit(Host().exitCode);
            break;
        case kActionOneView:
            OpenFirstViews(1);
            break;
        case kActionTwoViews:
            OpenFirstViews(2);
            break;
        case kActionFourViews:
            OpenFirstViews(4);
            break;
        case kActionTop:
            Orient(kViewTop);
            break;
        case kActionFront:
            Orient(kViewFront);
            break;
        case kActionRight:
            Orient(kViewRight);
            break;
        case kActionIso:
            Orient(kViewIso);
            break;
        case kActionTogglePerspective:
            if (view) SetViewPerspective(*view, !view->geometry.camera);
            break;
        case kActionToggleStereo:
            if (view) SetViewStereo(*view, !view->stereo);
            break;
        case kActionStereoAnaglyph:
            SetStereoLayout(kStereoAnaglyph);
            break;
        case kActionStereoSideBySide:
            SetStereoLayout(kStereoSideBySide);
            break;
        case kActionStereoOverUnder:
            SetStereoLayout(kStereoOverUnder);
            break;
        case kActionToggleSnap:
            Host().snapOn = !Host().snapOn;
            break;
        case kActionFitActive:
            if (view) FitView(*view, Host().rangeLow, Host().rangeHigh);
            break;
        case kActionFitRange:
            if (view && !NobodyToAsk("Fit Range...")) {
                Vec3 low = Host().rangeLow, high = Host().rangeHigh;
                if (AskFitRange(&low, &high)) FitView(*view, low, high);
            }
            break;
        case kActionClearPoints:
            Host().markers.clear();
            RefreshOverlaysAll();
            break;
        case kActionShowToolBars:
            for (const auto& bar : ToolBarList()) ShowToolBar(bar.first, true);
            break;
        case kActionAbout:
            ShowAbout();
            break;
        case kActionNone:
            break;
    }
    RefreshHostToolBar();
}

bool HostActionChecked(HostAction action) {
    const OrbisaView* view = ViewOfIndex(Host().activeView);
    switch (action) {
        case kActionTogglePerspective:
            return view && view->open && view->geometry.camera;
        case kActionToggleStereo:
            return view && view->open && view->stereo;
        case kActionStereoAnaglyph:
            return Host().stereoLayout == kStereoAnaglyph;
        case kActionStereoSideBySide:
            return Host().stereoLayout == kStereoSideBySide;
        case kActionStereoOverUnder:
            return Host().stereoLayout == kStereoOverUnder;
        case kActionToggleSnap:
            return Host().snapOn;
        case kActionOneView:
            return OpenViewCount() == 1;
        case kActionTwoViews:
            return OpenViewCount() == 2;
        case kActionFourViews:
            return OpenViewCount() == 4;
        default:
            return false;
    }
}
