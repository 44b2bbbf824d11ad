// Sessions: what a loaded session file gives back, the session steps of a load, and saving.
#pragma once

#include "pcv.h"

#include <stdint.h>

struct SessionStateRecord {
    bool loaded; // the last load was a session
    wchar_t imageList[PCV_TEXT_CHARS];
    wchar_t imageListAux[PCV_TEXT_CHARS];
    wchar_t classFile[PCV_TEXT_CHARS];
    int32_t engineValue;
    int32_t cameraMask; // bit i % 32: camera i on
};
extern SessionStateRecord SessionState;

// The session steps of a load of file: pcvLoadSession, the restored settings, the class mask for the
// session's class file, LastSessionFile. False (nothing recorded) when the engine refuses the file.
// firstViewChannel receives the channel mask of the session's first view record.
bool SessionLoadSteps(const wchar_t* file, uint32_t* firstViewChannel);
// The image-list step after the engine has loaded a session.
void SessionAttachImageList();

// Whether camera number camera of an attached image list is switched on by the session's mask.
bool SessionCameraEnabled(int32_t cameraMask, unsigned int camera);
// The class file a session's classes are read from: its own when it names one (2 characters or
// more), else the user's default.
const wchar_t* SessionClassFileFor(const wchar_t* sessionClassFile, const wchar_t* defaultClassFile);
