// How a choice entry looks: its data word (value and selectable bit) and its owner-drawn painting,
// shared by the open list's entries and the closed control's face.
#pragma once

#include <windows.h>

// Entry data: the value in the low 32 bits, bit 32 set when the entry can be chosen.
constexpr unsigned long long ChoiceSelectableBit = 1ULL << 32;
inline LPARAM ChoiceEntryData(int value, int selectable) {
    unsigned long long data = static_cast<unsigned int>(value);
    if (selectable) data |= ChoiceSelectableBit;
    return static_cast<LPARAM>(data);
}
inline int ChoiceEntryValue(LPARAM data) {
    return static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long long>(data) & 0xFFFFFFFFULL));
}
inline int ChoiceEntrySelectable(LPARAM data) {
    return (static_cast<unsigned long long>(data) & ChoiceSelectableBit) != 0;
}

// Texts this long or longer are not painted at all (their colours and focus still are).
enum { ChoicePaintTextLimit = 800 };

// One entry to paint. W and H are the regular font's average character width and cell height, which
// place the weight bars, dashes and swatches; font null keeps the device context's font.
struct ChoiceEntryLook {
    const wchar_t* text;
    int textLength;
    LPARAM data;
    int choiceFlags; // weights 0x1, line styles 0x2, colours 0x4
    int selected;
    int focused;
    int disabled; // the whole control is disabled
    int W, H;
    HFONT font;
};

void ChoicePaintEntry(HDC dc, const RECT* rect, const ChoiceEntryLook* look);

// The on/off runs of a dashed line style (1..7), or 0 runs for the solid style 0 and unknown styles.
int ChoiceDashRuns(int style, const int** runs);
