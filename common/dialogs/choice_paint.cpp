#ifndef NIMBO_PLUGIN
#include "dialogs/choice_paint.h"

#include "dialogs/app.h"
#include "dialogs/choice_colors.h"
#include "dialogs/dialog.h"

namespace {

const COLORREF SeparatorGrey = RGB(192, 192, 192);

// Pixels on, pixels off, repeated along the line.
const int Dash1[] = {4, 1};
const int Dash2[] = {7, 3};
const int Dash3[] = {16, 4};
const int Dash4[] = {11, 3, 3, 3};
const int Dash5[] = {6, 4};
const int Dash6[] = {8, 2, 3, 2, 3, 2};
const int Dash7[] = {10, 2, 6, 2};

struct DashStyle {
    const int* runs;
    int count;
};

const DashStyle DashStyles[8] = {
    {nullptr, 0}, {Dash1, 2}, {Dash2, 2}, {Dash3, 2}, {Dash4, 4}, {Dash5, 2}, {Dash6, 6}, {Dash7, 4},
};

// What a decorated choice draws behind an entry's text, decided by the first flag whose range
// holds the entry's value.
enum Decoration { DecorationNone, DecorationWeight, DecorationStyle, DecorationSwatch };

struct DecorationRule {
    int flag;
    int highest;
    Decoration decoration;
};

const DecorationRule DecorationRules[] = {
    {DlgChoiceWeights, 15, DecorationWeight},
    {DlgChoiceStyles, 7, DecorationStyle},
    {DlgChoiceColors, 255, DecorationSwatch},
};

Decoration DecorationOf(int choiceFlags, int value) {
    for (const DecorationRule& rule : DecorationRules)
        if ((choiceFlags & rule.flag) && value >= 0 && value <= rule.highest) return rule.decoration;
    return DecorationNone;
}

void FillPixels(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT area = {left, top, right, bottom};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

int CentreY(const RECT* rect) {
    return (rect->top + rect->bottom) / 2;
}

int WeightLeft(const RECT* rect, int W) {
    return rect->left + AppRound(2.5 * W);
}

void PaintSeparator(HDC dc, const RECT* rect) {
    int yc = CentreY(rect);
    FillPixels(dc, rect->left, yc, rect->right, yc + 2, SeparatorGrey);
}

void PaintText(HDC dc, const RECT* rect, const ChoiceEntryLook* look) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int x = rect->left + LOWORD(GetDialogBaseUnits()) / 2;
    int y = CentreY(rect) - metrics.tmHeight / 2;
    ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, rect, look->text, static_cast<UINT>(look->textLength),
                nullptr);
}

// Bars and lines run from x0 to x1 inclusive, like the solid line style.
void PaintWeight(HDC dc, const RECT* rect, const ChoiceEntryLook* look, int weight) {
    int x0 = WeightLeft(rect, look->W);
    int x1 = x0 + 7 * look->W;
    int rows = weight + 1;
    int top = CentreY(rect) - rows / 2;
    FillPixels(dc, x0, top, x1 + 1, top + rows, GetTextColor(dc));
}

void PaintLineStyle(HDC dc, const RECT* rect, const ChoiceEntryLook* look, int style) {
    int x0 = WeightLeft(rect, look->W);
    int x1 = x0 + 7 * look->W;
    int yc = CentreY(rect);
    COLORREF color = GetTextColor(dc);
    const int* runs = nullptr;
    int count = ChoiceDashRuns(style, &runs);
    if (count == 0) {
        FillPixels(dc, x0, yc, x1 + 1, yc + 1, color);
        return;
    }
    int x = x0;
    for (int run = 0; x <= x1; run = (run + 1) % count) {
        int end = x + runs[run];
        if (end > x1 + 1) end = x1 + 1;
        if (run % 2 == 0) FillPixels(dc, x, yc, end, yc + 2, color);
        x = end;
    }
}

void PaintSwatch(HDC dc, const RECT* rect, const ChoiceEntryLook* look, int colorIndex) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int left = rect->left + 5 * look->W;
    int right = left + 3 * look->W;
    int top = CentreY(rect) - metrics.tmHeight / 2 + 1;
    int bottom = top + look->H - 2;
    FillPixels(dc, left, top, right, bottom, RGB(0, 0, 0));
    unsigned char rgb[3];
    ChoiceColorOf(colorIndex, rgb);
    FillPixels(dc, left + 1, top + 1, right - 1, bottom - 1, RGB(rgb[0], rgb[1], rgb[2]));
}

void PaintDecoration(HDC dc, const RECT* rect, const ChoiceEntryLook* look) {
    int value = ChoiceEntryValue(look->data);
    switch (DecorationOf(look->choiceFlags, value)) {
        case DecorationWeight:
            PaintWeight(dc, rect, look, value);
            break;
        case DecorationStyle:
            PaintLineStyle(dc, rect, look, value);
            break;
        case DecorationSwatch:
            PaintSwatch(dc, rect, look, value);
            break;
        case DecorationNone:
            break;
    }
}

int IsSeparator(const ChoiceEntryLook* look) {
    return !ChoiceEntrySelectable(look->data) && look->text && look->textLength > 0 && look->text[0] == L'-';
}

void ChooseColours(HDC dc, const ChoiceEntryLook* look) {
    // A disabled control greys its face like a native one would, besides the unselectable entries.
    int grey = !ChoiceEntrySelectable(look->data) || look->disabled;
    if (grey) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    } else if (look->selected) {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    }
}

} // namespace

int ChoiceDashRuns(int style, const int** runs) {
    if (style < 0 || style > 7) style = 0;
    *runs = DashStyles[style].runs;
    return DashStyles[style].count;
}

void ChoicePaintEntry(HDC dc, const RECT* rect, const ChoiceEntryLook* look) {
    COLORREF oldText = GetTextColor(dc);
    COLORREF oldBack = GetBkColor(dc);
    HGDIOBJ oldFont = look->font ? SelectObject(dc, look->font) : nullptr;
    ChooseColours(dc, look);
    // The background first: separators and over-long entries paint nothing else.
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, rect, L"", 0, nullptr);
    if (look->textLength < ChoicePaintTextLimit) {
        if (IsSeparator(look)) {
            PaintSeparator(dc, rect);
        } else {
            PaintText(dc, rect, look);
            PaintDecoration(dc, rect, look);
        }
    }
    if (look->focused) DrawFocusRect(dc, rect);
    if (oldFont) SelectObject(dc, oldFont);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}
#endif
