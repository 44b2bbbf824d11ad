// The enabled cameras of the attached image list, drawn over a rendered view as small yellow
// squares (each eye at its own column), so that the user sees where the photographs were taken.
#pragma once

#include "image_list.h"
#include "pcv.h"

// Draws the markers into view's image buffer (one image, or both eyes for a stereo record).
void DrawCameraMarkers(const ImageList& images, const ProjectionImageData& view);
