// What the host draws into a view image itself: its contents (background, the design range as a box
// with the design axes) before the mini apps paint, and its overlays (marker points, the cursor cross,
// the axis triad) after them. Colours are 0x00RRGGBB, which is raster format 5 in memory.
#pragma once

#include "cface/host.h"

constexpr uint32_t kBackgroundColor = 0x00282C34;
constexpr uint32_t kRangeColor = 0x005C6370;
constexpr uint32_t kAxisXColor = 0x00E06C75;
constexpr uint32_t kAxisYColor = 0x0098C379;
constexpr uint32_t kAxisZColor = 0x0061AFEF;
constexpr uint32_t kMarkerColor = 0x00E5C07B;
constexpr uint32_t kCursorColor = 0x00FFFFFF;
// The cursor cross reaches this far from the cursor, leaving a gap of kCursorGap pixels about it.
constexpr int kCursorReach = 12;
constexpr int kCursorGap = 3;
// The axis triad sits in the lower-left corner, inside a square of this side.
constexpr int kTriadBox = 48;

void DrawHostContents(OrbisaView& view);
void DrawOverlays(OrbisaView& view);
