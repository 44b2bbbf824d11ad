// The views as mini apps see them.
#include "cface/call_log.h"
#include "cface/miniapps.h"
#include "cface/views.h"

namespace {

std::string FormatParams(const VwParams& p) {
    std::string rotation;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rotation += (rotation.empty() ? "" : ",") + FormatNumber(p.rotation[r][c]);
    return "{origin=" + FormatPoint(&p.origin) + " delta=" + FormatPoint(&p.delta) + " rotation=(" +
           rotation + ") eye=" + FormatPoint(&p.eye) + " target=" + FormatPoint(&p.target) +
           " lens=" + FormatNumber(p.cameraLensAngle) + " focal=" + FormatNumber(p.cameraFocalLength) +
           " size=(" + std::to_string(p.imageWidth) + "," + std::to_string(p.imageHeight) +
           ") perspective=" + std::to_string(p.perspective) + " stereo=" + std::to_string(p.stereo) +
           " index=" + std::to_string(p.index) + " open=" + std::to_string(p.open) + "}";
}

int FillParams(VwParams* params, const OrbisaView* view) {
    if (!params) return -1;
    if (!view || !view->open) return -2;
    *params = ParamsOf(*view);
    return 0;
}

void LogParams(const char* name, const char* argument, long long value, const VwParams* params, int result) {
    if (!CallLogging()) return;
    LogLine line;
    LogBegin(line, name);
    LogPointer(line, "params", params);
    LogInt(line, argument, value);
    LogResult(line, result);
    if (result == 0) LogAfter(line, "out", FormatParams(*params));
    CallLogWrite(line);
}

int IndexForLog(ViewHandle view) {
    OrbisaView* known = ViewOfHandle(view);
    return known ? known->index : -1;
}

} // namespace

extern "C" {

int ViewsSetFuncOnUpdate(ViewsUpdateFunc hook) {
    OrbisaMiniApp* app = ActiveApp();
    int result = app ? 1 : -1;
    if (app) app->updateHook = hook;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "ViewsSetFuncOnUpdate");
        LogPointer(line, "hook", reinterpret_cast<const void*>(hook));
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

int ViewGetIndex(ViewHandle view) {
    OrbisaView* known = ViewOfHandle(view);
    int result = known ? known->index : -1;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "ViewGetIndex");
        LogRaw(line, "view", known ? "view" + std::to_string(result) : FormatPointer(view));
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

DocHandle DocGetActive(void) {
    DocHandle document = &Host().document;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "DocGetActive");
        LogResultText(line, FormatPointer(document));
        CallLogWrite(line);
    }
    return document;
}

int VwGetParams(VwParams* params, int viewIndex) {
    int result = FillParams(params, ViewOfIndex(viewIndex));
    LogParams("VwGetParams", "viewIndex", viewIndex, params, result);
    return result;
}

int VwParamsByView(VwParams* params, ViewHandle view) {
    int result = FillParams(params, ViewOfHandle(view));
    LogParams("VwParamsByView", "view", IndexForLog(view), params, result);
    return result;
}

int VwParamsByDocAndIndex(VwParams* params, DocHandle document, int viewIndex) {
    int result = document == &Host().document ? FillParams(params, ViewOfIndex(viewIndex)) : -3;
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "VwParamsByDocAndIndex");
        LogPointer(line, "params", params);
        LogPointer(line, "document", document);
        LogInt(line, "viewIndex", viewIndex);
        LogResult(line, result);
        if (result == 0) LogAfter(line, "out", FormatParams(*params));
        CallLogWrite(line);
    }
    return result;
}

int VwIsPerspective(DPoint3d* eye, DPoint3d* target, double* lensAngle, double* focalLength, int viewIndex) {
    OrbisaView* view = ViewOfIndex(viewIndex);
    int result = view && view->open && view->geometry.camera ? 1 : 0;
    if (result) {
        const ViewGeometry& g = view->geometry;
        if (eye) *eye = {g.eye.x, g.eye.y, g.eye.z};
        if (target) *target = {g.target.x, g.target.y, g.target.z};
        if (lensAngle) *lensAngle = g.lensAngle;
        if (focalLength) *focalLength = GeometryFocal(g);
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "VwIsPerspective");
        LogPointer(line, "eye", eye);
        LogPointer(line, "target", target);
        LogPointer(line, "lensAngle", lensAngle);
        LogPointer(line, "focalLength", focalLength);
        LogInt(line, "viewIndex", viewIndex);
        LogResult(line, result);
        if (result && eye) LogAfter(line, "eye", FormatPoint(eye));
        if (result && target) LogAfter(line, "target", FormatPoint(target));
        CallLogWrite(line);
    }
    return result;
}

int VwIsStereo(int viewIndex, double* eyeSeparation, double* convergence) {
    OrbisaView* view = ViewOfIndex(viewIndex);
    int result = view && view->open && view->stereo ? 1 : 0;
    if (view && view->open) {
        const ViewGeometry& g = view->geometry;
        double distance = g.camera ? GeometryFocal(g) : Length(g.delta);
        if (convergence) *convergence = distance;
        if (eyeSeparation) *eyeSeparation = distance / 30;
    }
    LogIntCall("VwIsStereo", "viewIndex", viewIndex, result);
    return result;
}

int VwGetIsVisible(int viewIndex) {
    OrbisaView* view = ViewOfIndex(viewIndex);
    int result =
        view && view->open && view->window && IsWindowVisible(view->window) && !IsIconic(Host().main) ? 1 : 0;
    LogIntCall("VwGetIsVisible", "viewIndex", viewIndex, result);
    return result;
}

int VwUpdate(int viewIndex) {
    OrbisaView* view = ViewOfIndex(viewIndex);
    int result = -1;
    if (view && view->open) {
        // A hook that asks for its own view during that view's update would redraw it for ever.
        if (!view->updating) RequestRedraw(*view);
        result = 0;
    }
    LogIntCall("VwUpdate", "viewIndex", viewIndex, result);
    return result;
}

int VwGetLastClick(void) {
    int result = Host().lastClickView;
    LogIntCall("VwGetLastClick", nullptr, 0, result);
    return result;
}

} // extern "C"
