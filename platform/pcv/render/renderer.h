// The CPU renderer: draws a cloud for a view record into the engine's image buffer (one image, or the
// left eye followed by the right), projects points into a view's image and finds the cloud point
// under an image position.
#pragma once

#include "../cloud_source.h"

#include "pcv.h"

struct Renderer;

// What decides which points are drawn and how, besides the view record.
struct RenderSettings {
    const ClassificationMask256* visibleClasses; // null or inactive: every class
    uint32_t pointBudget;                        // most points drawn per eye and frame
    int maxChannelWidth;                         // bytes per point of a channel the renderer may use
};

// Allocates the image buffer (height x doubleWidth pixels, 4 bytes each) and the depth buffers, and
// starts threads worker threads. Null when the memory cannot be had.
Renderer* RendererCreate(int height, int doubleWidth, int threads);
void RendererDestroy(Renderer* renderer);
uint8_t* RendererImageBuffer(Renderer* renderer);

// Renders view (its camera, projection, rendering mode, channel, point size) into the image buffer and
// points view->imageBuffer at it. A view larger than the buffer grows it. Greater than 0 when an
// image is ready; 0 when the view cannot be drawn (no size, a singular camera).
int RendererDraw(Renderer* renderer, const CloudSource& cloud, ProjectionImageData* view,
                 const RenderSettings& settings);
// Writes the nearest and farthest depth of the cloud in sight into the view's estimate fields and
// returns the nearest; without anything in sight the view's own near and far distances stand.
float RendererEstimateDepth(Renderer* renderer, const CloudSource& cloud, ProjectionImageData* view);
// The image position of a point: columns for the left and the right eye (equal for a mono view), row
// counted from the bottom, and depth. 0 when the point is outside the view.
int RendererProject(const ProjectionImageData& view, const Point3Dd& point, int* columnLeft, int* columnRight,
                    int* rowFromBottom, float* depth);
// The visible cloud point nearest to the mouse position (x, y from the top), within a few pixels; fills
// mouse->found and mouse->index. false when there is none.
bool RendererFindPoint(Renderer* renderer, const CloudSource& cloud, const ProjectionImageData& view,
                       const RenderSettings& settings, SnapMouse* mouse);

// The point budget per eye the renderer uses when the settings give none (pointBudget 0), and for
// depth estimates before the first frame.
constexpr uint32_t kRendererDefaultPointBudget = 2000000;

// What the last RendererDraw did, for benchmarks and tests.
struct RenderFrameStats {
    uint32_t nodesSelected;
    uint64_t pointsSelected;   // per eye: what the level of detail chose under the budget
    uint64_t pointsLooked;     // points the drawing loop went through, both eyes together
    double selectMilliseconds; // choosing and acquiring the nodes
    double drawMilliseconds;   // clearing and drawing (on the workers)
    double shadeMilliseconds;  // turning the samples into the image, shaded when the mode asks
    double totalMilliseconds;
};
const RenderFrameStats& RendererLastFrameStats(const Renderer* renderer);
