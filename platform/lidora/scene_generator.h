// A synthetic lidar scene for demonstrations, tests and benchmarks: rolling ground with two roads
// (class 2), houses with flat and gabled roofs (class 6) and trees (class 5), about 400 m across
// around the origin 637000, 849000, 100, with intensities and colours a scanner would give them.
//
// Point i depends only on i, so a scene of n points is the same for a given n, and its first points
// are those of any larger scene.
#pragma once

#include "lidora_cloud.h"

#include <stdint.h>

constexpr double kSceneOrigin[3] = {637000.0, 849000.0, 100.0};
constexpr double kSceneHalfSize = 200.0; // metres either side of the origin
constexpr int32_t kSceneDivisor = 1000;  // millimetres
constexpr int64_t kSceneDefaultPoints = 1000000;

enum SceneClass : uint8_t { SceneGround = 2, SceneTree = 5, SceneBuilding = 6 };

struct ScenePoint {
    double position[3]; // metres, absolute
    uint8_t classification;
    uint16_t intensity;
    uint16_t rgb[3]; // 16-bit red, green, blue
};

// Point index of the scene.
void SceneMakePoint(uint64_t index, ScenePoint* point);
// The height of the ground at x, y (absolute metres).
double SceneGroundHeight(double x, double y);
// Fills a new cloud with the first count points, in millimetres from the origin. 0 with the reason in
// error (kLidoraErrorChars) when the count is out of range or memory is short.
int SceneGenerate(int64_t count, LidoraCloud* cloud, wchar_t* error);
