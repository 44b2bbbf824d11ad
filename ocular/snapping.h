// Points entered in a view land on the cloud: the input-queue listener, the snap filter and their
// shared point search, and the cursor and last-click helpers of the point-size adjustment.
#pragma once

#include "orbisa_cface.h"

void InputListener(int kind, DPoint3d* point, ViewHandle view);
int SnapFilter(int mode, DPoint3d* point, ViewHandle view);
void CursorRead(int* x, int* y);
int LastClickView();
