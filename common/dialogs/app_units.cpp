// Character units: the measured metrics and the conversions every layout goes through.
#include "dialogs/app.h"
#include "dialogs/app_internal.h"

#include <cwchar>

namespace {

AppMetrics metrics;

} // namespace

AppMetrics* AppMutableMetrics() {
    return &metrics;
}

const AppMetrics* AppGetMetrics() {
    return &metrics;
}

HINSTANCE AppInstance() {
    return metrics.instance;
}

const wchar_t* AppName() {
    return metrics.appName;
}

int AppRound(double value) {
    return value >= 0 ? static_cast<int>(value + 0.5) : static_cast<int>(value - 0.5);
}

int AppUnitsToPixels(double units, int pixelsPerUnit) {
    return AppRound(units * pixelsPerUnit);
}

int AppColumnsToPixels(double columns) {
    return AppUnitsToPixels(columns, metrics.columnUnit);
}

int AppLinesToPixels(double lines) {
    return AppUnitsToPixels(lines, metrics.lineUnit);
}

// Before a successful start the units are zero; a zero unit reads as zero rather than dividing by it.
double AppPixelsToColumns(int pixels) {
    return metrics.columnUnit ? static_cast<double>(pixels) / metrics.columnUnit : 0.0;
}

double AppPixelsToLines(int pixels) {
    return metrics.lineUnit ? static_cast<double>(pixels) / metrics.lineUnit : 0.0;
}

AppMetrics AppDeriveMetrics(int W, int H) {
    AppMetrics derived{};
    derived.W = W;
    derived.H = H;
    derived.columnUnit = W + 1;
#ifdef NIMBO_PLUGIN
    derived.pad = H / 8 + 2;
    derived.lineUnit = H + 2 * derived.pad;
#else
    derived.pad = H / 20 + 4;
    derived.lineUnit = H + 2 * (H / 20) + 8;
#endif
    derived.halfPad = (2 * derived.pad - 4) / 2;
    derived.textPadHeight = derived.pad + H;
    derived.controlTextHeight = H + 4;
    derived.rowMargin = 2;
    return derived;
}

int AppDropDownRows(int workAreaHeight, int lineUnit) {
    if (lineUnit <= 0) return 10;
    int rows = AppRound(0.75 * (workAreaHeight / lineUnit));
    if (rows < 10) return 10;
    if (rows > 30) return 30;
    return rows;
}

int AppTextWidth(HWND window, const wchar_t* text, int bold) {
    if (!text) return 0;
    int length = static_cast<int>(wcslen(text));
    HDC dc = GetDC(window);
    if (!dc) return length * metrics.columnUnit;
    HFONT font = AppFont(bold ? AppFontBold : AppFontRegular);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    if (!GetTextExtentPoint32W(dc, text, length, &size)) size.cx = length * metrics.columnUnit;
    if (previous) SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size.cx;
}
