// The session part of a load: the engine reads the session file and hands back what the plug-in
// keeps of it, the viewer's point sizes and rendering mode are taken over from its views, and the
// image list it names is attached once the engine has loaded the session's project.
#include "sessions.h"

#include "projects.h"
#include "settings.h"

#include "pcv.h"
#include "runtime/text.h"

namespace {

// The engine starts with this maximum; a session may need a wider channel, never a narrower one.
constexpr int kStartMaxChannelWidth = 4;
constexpr int kCameraMaskBits = 32;

struct SessionRead {
    wchar_t imageList[PCV_TEXT_CHARS];
    wchar_t imageListAux[PCV_TEXT_CHARS];
    wchar_t classFile[PCV_TEXT_CHARS];
    wchar_t sessionFile[PCV_TEXT_CHARS];
    int engineValue;
    int cameraMask;
    ProjectionImageData firstView;
    ProjectionImageData secondView;
};

void SessionStateRecordFrom(const SessionRead& read) {
    TextCopyMax(SessionState.imageList, PCV_TEXT_CHARS - 1, read.imageList);
    TextCopyMax(SessionState.imageListAux, PCV_TEXT_CHARS - 1, read.imageListAux);
    TextCopyMax(SessionState.classFile, PCV_TEXT_CHARS - 1, read.classFile);
    SessionState.engineValue = read.engineValue;
    SessionState.cameraMask = read.cameraMask;
    SessionState.loaded = true;
}

void SettingsFromSessionViews(const SessionRead& read) {
    OcularSettings.PointSize = read.firstView.pointSize;
    OcularSettings.PointSizeParallel = read.secondView.pointSize;
    OcularSettings.RenderingMode = static_cast<int32_t>(read.firstView.renderingMode);
}

} // namespace

bool SessionCameraEnabled(int32_t cameraMask, unsigned int camera) {
    // More cameras than mask bits: the bits repeat.
    return (static_cast<uint32_t>(cameraMask) >> (camera % kCameraMaskBits)) & 1u;
}

const wchar_t* SessionClassFileFor(const wchar_t* sessionClassFile, const wchar_t* defaultClassFile) {
    // A single character names no file (a drive letter, a stray blank): the user's default applies.
    return TextLength(sessionClassFile) >= 2 ? sessionClassFile : defaultClassFile;
}

bool SessionLoadSteps(const wchar_t* file, uint32_t* firstViewChannel) {
    // Large for the host's stack and used by one load at a time on the host's thread.
    static SessionRead read;
    read = SessionRead{};
    TextCopyMax(read.sessionFile, PCV_TEXT_CHARS - 1, file);
    if (!pcvLoadSession(file, read.imageList, read.imageListAux, &read.engineValue, &read.cameraMask,
                        read.classFile, &read.firstView, &read.secondView, &VisibilityMask, &SessionClassMask,
                        read.sessionFile))
        return false;
    SessionStateRecordFrom(read);
    SettingsFromSessionViews(read);
    int width = pcvGetChannelWidth(read.firstView.channel);
    if (width > kStartMaxChannelWidth) pcvSetMaxChannelWidth(width);
    ClassMaskPrepare(file, SessionClassFileFor(read.classFile, OcularSettings.DefaultPtcFile));
    TextCopyMax(OcularSettings.LastSessionFile, kSettingStringChars - 1, read.sessionFile);
    *firstViewChannel = read.firstView.channel;
    return true;
}

void SessionAttachImageList() {
    if (TextLength(SessionState.imageList) < 2) return;
    // An attached list stays with its camera switches; the user may have changed them since.
    if (pcvIsImageListAttached()) {
        pcvReAttachImageList();
        return;
    }
    int cameras = pcvAttachImageList(SessionState.imageList, SessionState.imageListAux);
    for (int camera = 0; camera < cameras; ++camera)
        pcvSetCameraEnable(static_cast<unsigned int>(camera),
                           SessionCameraEnabled(SessionState.cameraMask, static_cast<unsigned int>(camera)));
}
