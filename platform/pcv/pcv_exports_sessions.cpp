// pcv.dll's sessions and image lists.
#include "engine_error.h"
#include "engine_state.h"
#include "project_file.h"
#include "session_state.h"

#include "pcv.h"

#include <new>

namespace {

void CopyOut(wchar_t* to, const wchar_t* from) {
    if (to) TextCopy(to, PCV_TEXT_CHARS, from);
}

} // namespace

extern "C" {

PCV_API bool pcvLoadSession(const wchar_t* file, wchar_t* imageList, wchar_t* imageListAux, int* engineValue,
                            int* cameraMask, wchar_t* classFile, ProjectionImageData* view1,
                            ProjectionImageData* view2, ClassificationMask256* visibleClasses,
                            ClassificationMask256* sessionClasses, wchar_t* sessionFile) {
    wchar_t error[kPathChars + 256] = L"";
    SessionData* session = new (std::nothrow) SessionData;
    if (!session || !file || !SessionRead(file, session, error, kPathChars + 256)) {
        EngineErrorSet(session && file ? error : L"No session file was named.");
        delete session;
        return false;
    }
    EngineState& engine = Engine();
    uint8_t* pixels = engine.renderer ? RendererImageBuffer(engine.renderer) : nullptr;
    CopyOut(imageList, session->imageList);
    CopyOut(imageListAux, session->imageListAux);
    CopyOut(classFile, session->classFile);
    if (engineValue) *engineValue = session->engineValue;
    if (cameraMask) *cameraMask = session->cameraMask;
    if (view1) {
        *view1 = session->views[0];
        view1->imageBuffer = pixels;
    }
    if (view2) {
        *view2 = session->views[1];
        view2->imageBuffer = pixels;
    }
    if (visibleClasses) *visibleClasses = session->visibleClasses;
    if (sessionClasses) *sessionClasses = session->sessionClasses;
    wchar_t full[kPathChars];
    if (sessionFile && FullPath(full, kPathChars, file)) CopyOut(sessionFile, full);
    SessionIntoEngine(*session);
    delete session;
    return true;
}

PCV_API bool pcvSaveSession(const wchar_t* file, int engineValue, int cameraMask, const wchar_t* classFile,
                            const wchar_t* imageList, const wchar_t* imageListAux) {
    wchar_t error[kPathChars + 256] = L"";
    SessionData* session = new (std::nothrow) SessionData;
    bool ok = session && file && *file &&
              SessionFromEngine(session, engineValue, cameraMask, classFile, imageList, imageListAux, error,
                                kPathChars + 256) &&
              SessionWrite(file, *session, error, kPathChars + 256);
    if (!ok) EngineErrorSet(session && file && *file ? error : L"No session file was named.");
    delete session;
    return ok;
}

PCV_API int pcvAttachImageList(const wchar_t* imageList, const wchar_t* imageListAux) {
    wchar_t error[kPathChars + 256] = L"";
    ImageList& images = Engine().images;
    if (!ImageListAttach(&images, imageList, imageListAux, error, kPathChars + 256)) {
        EngineErrorSet(error);
        return 0;
    }
    return static_cast<int>(images.cameras.size());
}

// Reads the attached lists again (they may have changed), keeping each camera's switch.
PCV_API int pcvReAttachImageList(void) {
    ImageList& images = Engine().images;
    if (!images.attached) return 0;
    std::vector<Camera> before = images.cameras;
    wchar_t path[kPathChars], aux[kPathChars];
    TextCopy(path, kPathChars, images.path);
    TextCopy(aux, kPathChars, images.auxPath);
    wchar_t error[kPathChars + 256] = L"";
    if (!ImageListAttach(&images, path, aux, error, kPathChars + 256)) {
        EngineErrorSet(error);
        return static_cast<int>(images.cameras.size());
    }
    for (size_t i = 0; i < images.cameras.size() && i < before.size(); ++i)
        images.cameras[i].enabled = before[i].enabled;
    return static_cast<int>(images.cameras.size());
}

PCV_API bool pcvIsImageListAttached(void) {
    return Engine().images.attached;
}

PCV_API void pcvSetCameraEnable(unsigned int camera, bool on) {
    ImageList& images = Engine().images;
    if (camera < images.cameras.size()) images.cameras[camera].enabled = on;
}

} // extern "C"
