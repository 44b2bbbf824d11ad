// The snap settings dialog: in which of the eight views data points snap to the cloud, and, where the
// caller keeps them, the snap radius and type.
#pragma once

#include <windows.h>

extern const wchar_t kSnapTitle[];

struct SnapSettings {
    int mask; // bit n: view n + 1 snaps; bits above 7 are kept as they are
    bool hasRadius;
    double radius; // metres, more than 0 and at most kSnapRadiusMax
    bool hasType;
    int type;
};

constexpr double kSnapRadiusMax = 10000.0;

enum SnapControl {
    kSnapViewFirst = 1400, // + view index 0..7
    kSnapRadius = 1410,
    kSnapType = 1411,
};

// 1 on OK with settings written, 0 on Cancel (settings untouched), -1 when it could not be shown.
int SnapDialogRun(HWND owner, SnapSettings* settings);
// The radius a text gives: 1 and radius set for a number above 0 and at most kSnapRadiusMax.
int SnapRadiusParse(const wchar_t* text, double* radius);
