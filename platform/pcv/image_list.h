// Image lists: the cameras of photographs taken along with the scan, shown as markers in the views.
// 8-bit text, one camera per line after the header line:
//
//     [Ocularis image list]
//     ; x y z image           master units; the image's file name (may hold blanks) ends the line
//     637012.50 849020.25 131.00 IMG_0001.jpg
//
// Empty lines and lines starting with ";" or "#" are ignored. The auxiliary list, when given, is a
// second list in the same format whose cameras follow those of the first.
#pragma once

#include "engine_text.h"

#include <stddef.h>

#include <vector>

struct Camera {
    double position[3];
    wchar_t image[260];
    bool enabled;
};

struct ImageList {
    wchar_t path[kPathChars];
    wchar_t auxPath[kPathChars];
    std::vector<Camera> cameras;
    bool attached;
};

// The most cameras a list may hold.
constexpr size_t kMaxCameras = 100000;

// Reads both lists (aux may be null or empty) into list; every camera enabled. False with the reason
// in error; list is then left as it was.
bool ImageListAttach(ImageList* list, const wchar_t* path, const wchar_t* aux, wchar_t* error,
                     size_t errorChars);
void ImageListDetach(ImageList* list);
