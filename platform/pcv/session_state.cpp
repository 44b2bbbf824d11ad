#include "session_state.h"

#include "class_mask.h"

#include <math.h>
#include <string.h>

namespace {

// Point size of the parallel record when neither a drawn view nor a session gives one: 3 pixels.
constexpr float kDefaultParallelPointSize = 3000;

ProjectionImageData SavedView(int kind) {
    EngineState& engine = Engine();
    ProjectionImageData view{};
    if (engine.lastViewDrawn[kind]) {
        view = engine.lastViews[kind];
        if (kind == 0 && view.projectionScale1 > 0) view.pointSize /= sqrtf(view.projectionScale1);
        view.channel = view.channel < 32 ? 1u << view.channel : 0;
    } else if (engine.sessionLoaded) {
        return engine.session.views[kind]; // already in the session's form
    } else {
        if (engine.defaultView) view = *engine.defaultView;
        view.pointSize = kind == 0 ? 0 : kDefaultParallelPointSize;
        view.channel = view.channel < 32 ? 1u << view.channel : 0;
    }
    view.renderingMode &= ~static_cast<uint32_t>(PcvRenderCpu);
    view.imageBuffer = nullptr;
    return view;
}

} // namespace

bool SessionFromEngine(SessionData* session, int engineValue, int cameraMask, const wchar_t* classFile,
                       const wchar_t* imageList, const wchar_t* imageListAux, wchar_t* error,
                       size_t errorChars) {
    memset(session, 0, sizeof(*session));
    EngineState& engine = Engine();
    LoadedProject* project = engine.project;
    if (!project) {
        TextCopy(error, errorChars, L"No project is loaded, so there is no session to save.");
        return false;
    }
    TextCopy(session->projectFile, kPathChars, project->project.path);
    session->engineValue = engineValue;
    session->cameraMask = cameraMask;
    bool fits = TextCopy(session->classFile, kPathChars, classFile) &&
                TextCopy(session->imageList, kPathChars, imageList) &&
                TextCopy(session->imageListAux, kPathChars, imageListAux);
    if (!fits) {
        TextCopy(error, errorChars, L"A path given for the session is too long.");
        return false;
    }
    session->views[0] = SavedView(0);
    session->views[1] = SavedView(1);
    session->visibleClasses = engine.visibleClasses;
    session->sessionClasses = engine.sessionClasses;
    return true;
}

void SessionIntoEngine(const SessionData& session) {
    EngineState& engine = Engine();
    engine.session = session;
    engine.sessionLoaded = true;
    engine.lastViewDrawn[0] = engine.lastViewDrawn[1] = false;
    engine.visibleClasses = session.visibleClasses;
    engine.sessionClasses = session.sessionClasses;
    engine.shownClasses = ClassMaskCombine(&engine.visibleClasses, &engine.sessionClasses);
}
