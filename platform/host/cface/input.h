// The path of the user's input, the same for a real mouse and for the script:
// a data point goes to the input listener (event kind 2, which may rewrite it), then, with snapping on,
// to the snap filter (mode 0; when it leaves the point, the host snaps to a marker point within
// kHostSnapPixels), then to the running state command's data-point function, or it is placed as a
// marker point (and printed) when none runs. A reset goes to the listener (kind 1) and to the state
// command's reset function. Cursor movement goes to the state command's motion function. Points are in
// working units (in the current transform's units for a state command that asked for them).
#pragma once

#include "cface/host.h"

constexpr double kHostSnapPixels = 8;

// A data point at a pixel of the view.
void EnterDataPoint(OrbisaView& view, double px, double py);
// A reset; in the view given, or in the view of the last click for null.
void EnterReset(OrbisaView* view);
// The cursor at a pixel of the view.
void CursorMovedTo(OrbisaView& view, int px, int py);
// The cursor left the view.
void CursorLeft(OrbisaView& view);

// Offers a point to the input listener as an event of the given kind; false when there is none.
bool OfferToListener(int kind, DPoint3d* point, OrbisaView* view);
// Offers a point to the snap filter; the filter's result, or -1 when there is none.
int OfferToSnapFilter(int mode, DPoint3d* point, OrbisaView* view);
