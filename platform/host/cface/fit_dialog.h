// View > Fit Range...: asks for the design range (master units, six numbers) the active view shows.
#pragma once

#include "parts/view_math.h"

// low and high come in and go out in working units; false on Cancel.
bool AskFitRange(Vec3* low, Vec3* high);
