#include "camera_markers.h"

#include "render/renderer.h"

#include <string.h>

namespace {

constexpr int kMarkerSide = 11;
constexpr int kMarkerLine = 2;
constexpr uint32_t kMarkerPixel = 0x00FFFF00u; // bytes blue 0, green 255, red 255: yellow

// The outline of a square centred on (column, row from the top) in one eye's image.
void DrawSquare(uint8_t* image, int width, int height, int column, int row) {
    int half = kMarkerSide / 2;
    for (int y = row - half; y <= row + half; ++y) {
        if (y < 0 || y >= height) continue;
        for (int x = column - half; x <= column + half; ++x) {
            if (x < 0 || x >= width) continue;
            bool edge = x < column - half + kMarkerLine || x > column + half - kMarkerLine ||
                        y < row - half + kMarkerLine || y > row + half - kMarkerLine;
            if (edge) memcpy(image + (static_cast<size_t>(y) * width + x) * 4, &kMarkerPixel, 4);
        }
    }
}

} // namespace

void DrawCameraMarkers(const ImageList& images, const ProjectionImageData& view) {
    if (!images.attached || !view.imageBuffer || view.imageWidth <= 0 || view.imageHeight <= 0) return;
    bool stereo = (view.flags & PcvViewStereo) != 0;
    size_t eyeBytes = static_cast<size_t>(view.imageWidth) * view.imageHeight * 4;
    for (const Camera& camera : images.cameras) {
        if (!camera.enabled) continue;
        Point3Dd point{camera.position[0], camera.position[1], camera.position[2]};
        int left = 0, right = 0, fromBottom = 0;
        float depth = 0;
        if (!RendererProject(view, point, &left, &right, &fromBottom, &depth)) continue;
        int row = view.imageHeight - fromBottom;
        DrawSquare(view.imageBuffer, view.imageWidth, view.imageHeight, left, row);
        if (stereo) DrawSquare(view.imageBuffer + eyeBytes, view.imageWidth, view.imageHeight, right, row);
    }
}
