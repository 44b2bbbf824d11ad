// Points entered in a view land on the cloud: the input-queue listener, the snap filter and their
// shared point search, and the cursor and last-click helpers of the point-size adjustment.
#pragma once

#include "orbisa_cface.h"
#include "pcv.h"

void InputListener(int kind, DPoint3d* point, ViewHandle view);
int SnapFilter(int mode, DPoint3d* point, ViewHandle view);
void CursorRead(int* x, int* y);
int LastClickView();

// The engine works in master units, the host in the design file's working units.
Point3Dd EnginePointFromHost(const DPoint3d& point, double workingPerMaster);
DPoint3d HostPointFromEngine(const double found[3], double workingPerMaster);

// Where a projected point lies in the engine's image, as the projection gave it.
struct ProjectedPosition {
    int columnLeft, columnRight; // equal in a mono view
    int rowFromBottom;
    float depth;
};

// The engine's request for the cloud point nearest that position: the middle column of both eyes,
// the row counted from the top of an image of imageHeight rows, the nearest-point search, no point
// found yet, and the depth only when passDepth is set.
SnapMouse SnapMouseFor(const ProjectedPosition& position, int imageHeight, bool passDepth);
