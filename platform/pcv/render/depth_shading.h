// From samples to the image: each pixel takes its sample's colour, darkened with depth-edge shading
// of the eye-dome-lighting kind when asked. A drawn pixel darkens by how far its neighbours at the
// shading radius stand in front of it, measured as a slope (depth step over the radius, both in
// pixels), so that silhouettes and steps show whatever the colouring.
#pragma once

#include <stdint.h>

struct ShadingParameters {
    float strength;   // 0 leaves the colours alone; 0.25 is the caller's usual weight
    int radius;       // pixels, 1 to kLargestShadingRadius
    bool perspective; // depth keys are depths; in parallel views, depths less a constant
    float pixelScale; // pixels per unit across (at unit depth in perspective)
};

constexpr int kLargestShadingRadius = 32;

// Writes rows rowBegin to rowEnd - 1 of one eye's image from its samples (width * height, see
// point_drawing.h); shading reads the samples of the rows within the radius around them.
void ShadeRows(const uint64_t* samples, uint32_t* image, int width, int height, int rowBegin, int rowEnd,
               const ShadingParameters& parameters);
// The same without shading: the samples' colours.
void CopyRows(const uint64_t* samples, uint32_t* image, int width, int rowBegin, int rowEnd);
