// "AdjustPointSize": a typed size, or a size dragged out with the mouse between two data points.
//
// Every step of the adjustment reads and writes the setting the view actually draws with (PointSize
// in a camera view, PointSizeParallel in a parallel one), so that what the user sees move is what
// the motion changes and what a reset puts back. The view-index mapping of PointSizeForView would,
// in views 4 and 5 or in a camera view 0 to 5, adjust a setting that view does not show.
#include "commands.h"
#include "display.h"
#include "engine_start.h"
#include "settings.h"
#include "snapping.h"
#include "view.h"

#include <stdio.h>

PointSizeAdjustState PointSizeAdjust;

namespace {

constexpr const wchar_t* kAdjustName = L"Point Size Adjustment";
constexpr const wchar_t* kAdjustFirstPrompt = L"Start adjustment by entering a datapoint";
constexpr const wchar_t* kAdjustMotionPrompt = L"Move mouse to Adjust";

// Rendering-mode bits the adjustment looks at: unshaded points take the channel's colours once their
// size is adjusted (plain points become 5); the shaded modes keep theirs.
constexpr int32_t kRenderShadingBit = 2;
constexpr int32_t kRenderChannelBit = 4;

double* ShownPointSize(int viewIndex) {
    bool perspective = ViewIsPerspective(nullptr, nullptr, nullptr, nullptr, viewIndex) == 1;
    return perspective ? &OcularSettings.PointSize : &OcularSettings.PointSizeParallel;
}

void AdjustMotion(const DPoint3d*, int viewIndex) {
    int x = 0, y = 0;
    CursorRead(&x, &y);
    int32_t size =
        AdjustedPointSize(PointSizeAdjust.startSize, PointSizeAdjust.startX, PointSizeAdjust.startY, x, y);
    *ShownPointSize(viewIndex) = size;
    if ((OcularSettings.RenderingMode & kRenderShadingBit) == 0)
        OcularSettings.RenderingMode |= kRenderChannelBit;
    UpdateView(viewIndex);
}

void AdjustAccept(const DPoint3d*, int) {
    SetStateMotionFunc(nullptr);
    StopStateCommand();
}

void AdjustReset(const DPoint3d*, int) {
    SetStateMotionFunc(nullptr);
    StopStateCommand();
    // The host names the view of the last click as the reset's view; LastClickView also keeps an
    // index outside the eight views from reaching the settings.
    int viewIndex = LastClickView();
    *ShownPointSize(viewIndex) = PointSizeAdjust.startSize;
    if (IsViewVisible(viewIndex)) UpdateView(viewIndex);
}

// Before the first data point nothing has been changed and the start size is still that of an earlier
// adjustment (or 0 before any): putting it back would set a size the user never had.
void AdjustCancel(const DPoint3d*, int) {
    SetStateMotionFunc(nullptr);
    StopStateCommand();
}

void AdjustFirstPoint(const DPoint3d*, int viewIndex) {
    int x = 0, y = 0;
    CursorRead(&x, &y);
    PointSizeAdjust.startX = x;
    PointSizeAdjust.startY = y;
    PointSizeAdjust.startSize = PointSizeTruncated(*ShownPointSize(viewIndex));
    StartStateCommand(AdjustAccept, AdjustReset, kAdjustName, kAdjustMotionPrompt);
    SetStateMotionFunc(AdjustMotion);
}

int64_t HeldHalf(int64_t half) {
    constexpr int64_t kLimit = int64_t{1} << 24;
    return half > kLimit ? kLimit : half < -kLimit ? -kLimit : half;
}

} // namespace

int32_t PointSizeTruncated(double size) {
    if (!(size == size)) return 0;
    if (size >= 2147483647.0) return INT32_MAX;
    if (size <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(size);
}

int32_t AdjustedPointSize(int32_t startSize, int32_t startX, int32_t startY, int32_t x, int32_t y) {
    // 64 bits, and halves held to 2^24, which already passes the clamp from any start size: cursor
    // positions wide apart must clamp, not wrap.
    int64_t dx = HeldHalf((static_cast<int64_t>(x) - startX) / 2);
    int64_t dy = HeldHalf((static_cast<int64_t>(y) - startY) / 2);
    int64_t amount = (dx * dx + dy * dy) / 3;
    int64_t size = dx >= 0 ? startSize + amount : startSize - amount;
    if (size < kPointSizeAdjustMin) return kPointSizeAdjustMin;
    if (size > kPointSizeAdjustMax) return kPointSizeAdjustMax;
    return static_cast<int32_t>(size);
}

void CmdAdjustPointSize(const wchar_t* argument) {
    ResetCurrentTransform();
    int typed = 0;
    if (argument && swscanf(argument, L"%d", &typed) == 1) {
        // A typed size is taken as it stands, unclamped: it is how a user reaches sizes the mouse
        // range does not offer.
        OcularSettings.PointSize = typed;
        return;
    }
    StartStateCommand(AdjustFirstPoint, AdjustCancel, kAdjustName, kAdjustFirstPrompt);
}
