// Session files (.tss): a viewing state of the engine as 8-bit text (UTF-8), one "Key=value" per line
// after the header line "[Ocularis session]":
//
//     Version=1
//     Project=D:\scans\site.prj          the project (absolute); when it has moved, a project of the
//                                        same name beside the session is taken
//     EngineValue=0                      the caller's value, handed back as it was saved
//     CameraMask=5                       camera enable bits (bit i: camera i, repeating every 32)
//     ClassFile=D:\scans\classes.ptc
//     ImageList=D:\scans\images.txt
//     ImageListAux=
//     VisibleClasses=1 ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff ffffffff
//     SessionClasses=0 ffffffff ...      the leading word, then the 8 words of class bits (hex)
//     View1.PointSize=2500               the perspective view record, then View2: the parallel one
//     ...                                (one key per field, see kViewFields in session_file.cpp)
//
// The views' Channel key holds a channel mask (1 << channel), as the records of pcvLoadSession do.
// Unknown keys are ignored and missing ones read as 0, so later versions can add keys.
#pragma once

#include "engine_text.h"
#include "pcv.h"

#include <stddef.h>

struct SessionData {
    wchar_t projectFile[kPathChars];
    int engineValue;
    int cameraMask;
    wchar_t classFile[kPathChars];
    wchar_t imageList[kPathChars];
    wchar_t imageListAux[kPathChars];
    ProjectionImageData views[2]; // perspective, parallel; imageBuffer not stored
    ClassificationMask256 visibleClasses;
    ClassificationMask256 sessionClasses;
};

// True when path's first line is the session header.
bool SessionFileIs(const wchar_t* path);
bool SessionWrite(const wchar_t* path, const SessionData& session, wchar_t* error, size_t errorChars);
bool SessionRead(const wchar_t* path, SessionData* session, wchar_t* error, size_t errorChars);
// The project a session names (moved projects found beside the session).
bool SessionProjectOf(const wchar_t* path, wchar_t* project, size_t projectChars, wchar_t* error,
                      size_t errorChars);
