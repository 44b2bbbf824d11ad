// Creating the items of a dialog. Every operation takes the dialog first (null gives null), then the
// position and size in character units (x and w in columns, y and h in lines), then the kind's own
// arguments; label is shown left of the control, unit right of it (null or empty: none). The Named
// forms add the variable name under which recording and playback know the item.
#pragma once

#include "dialogs/dialog.h"

DialogItem* DlgText(Dialog* dialog, double x, double y, double w, const wchar_t* text, int flags,
                    int textColor, int backColor);
DialogItem* DlgLine(Dialog* dialog, double x, double y, double w);
DialogItem* DlgButton(Dialog* dialog, double x, double y, double w, double h, DlgCallback callback,
                      const wchar_t* label, const wchar_t* tooltip, int flags);
DialogItem* DlgButtonNamed(Dialog* dialog, double x, double y, double w, double h, DlgCallback callback,
                           const wchar_t* label, const wchar_t* tooltip, int flags, const wchar_t* name);
DialogItem* DlgString(Dialog* dialog, double x, double y, double w, wchar_t* variable, int maximum, int flags,
                      const wchar_t* label, const wchar_t* unit);
DialogItem* DlgStringNamed(Dialog* dialog, double x, double y, double w, wchar_t* variable, int maximum,
                           int flags, const wchar_t* label, const wchar_t* unit, const wchar_t* name);
DialogItem* DlgTextBox(Dialog* dialog, double x, double y, double w, double h, const wchar_t* text);

// Replaces a text item's text (and a text box's), keeping it in the item for later refreshes.
int DlgSetText(DialogItem* item, const wchar_t* text);

#ifndef NIMBO_PLUGIN
DialogItem* DlgVLine(Dialog* dialog, double x, double y, double h);

DialogItem* DlgToggle(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                      const wchar_t* label);
DialogItem* DlgToggleNamed(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                           const wchar_t* label, const wchar_t* name);

// colour: three bytes red, green, blue
DialogItem* DlgColor(Dialog* dialog, double x, double y, double w, unsigned char* color, int flags,
                     const wchar_t* label);
DialogItem* DlgColorNamed(Dialog* dialog, double x, double y, double w, unsigned char* color, int flags,
                          const wchar_t* label, const wchar_t* name);

// Limits are optional: null means none.
DialogItem* DlgInt(Dialog* dialog, double x, double y, double w, int* variable, const int* lower,
                   const int* upper, int flags, const wchar_t* label, const wchar_t* unit);
DialogItem* DlgIntNamed(Dialog* dialog, double x, double y, double w, int* variable, const int* lower,
                        const int* upper, int flags, const wchar_t* label, const wchar_t* unit,
                        const wchar_t* name);
DialogItem* DlgUInt(Dialog* dialog, double x, double y, double w, unsigned int* variable, const int* lower,
                    const int* upper, int flags, const wchar_t* label, const wchar_t* unit);
DialogItem* DlgInt64(Dialog* dialog, double x, double y, double w, long long* variable,
                     const long long* lower, const long long* upper, int flags, const wchar_t* label,
                     const wchar_t* unit);
DialogItem* DlgInt64Named(Dialog* dialog, double x, double y, double w, long long* variable,
                          const long long* lower, const long long* upper, int flags, const wchar_t* label,
                          const wchar_t* unit, const wchar_t* name);
DialogItem* DlgDouble(Dialog* dialog, double x, double y, double w, double* variable, int decimals,
                      const double* lower, const double* upper, int flags, const wchar_t* label,
                      const wchar_t* unit);
DialogItem* DlgDoubleNamed(Dialog* dialog, double x, double y, double w, double* variable, int decimals,
                           const double* lower, const double* upper, int flags, const wchar_t* label,
                           const wchar_t* unit, const wchar_t* name);

DialogItem* DlgChoice(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                      const wchar_t* label);
DialogItem* DlgChoiceNamed(Dialog* dialog, double x, double y, double w, int* variable, int flags,
                           const wchar_t* label, const wchar_t* name);
int DlgChoiceAdd(DialogItem* choice, int value, const wchar_t* text);
int DlgChoiceAddSeparator(DialogItem* choice, int value);
int DlgChoiceAddRange(DialogItem* choice, int first, int last); // entries "%d" first..last
// The colour table that colour choices (flag 0x4) draw from: 256 entries of red, green, blue.
void DlgChoiceSetColor(int index, unsigned char red, unsigned char green, unsigned char blue);
const unsigned char (*DlgChoiceColorTable())[3];

DialogItem* DlgList(Dialog* dialog, double x, double y, double w, double h, long long* lineVariable,
                    long long lineCount, int flags, DlgListDrawCallback draw);
void DlgListSetClickCallback(DialogItem* list, DlgListClickCallback click);
int DlgListSetCount(DialogItem* list, long long lineCount);
int DlgListSelect(DialogItem* list, long long line);   // writes the variable
int DlgListShowLine(DialogItem* list, long long line); // centred when outside the visible page
// Selected lines of a multi-selection list in a block tagged "LstBsl" that the caller frees; returns
// the count (0 with *lines null when nothing is selected or the block cannot be had).
int DlgListSelection(DialogItem* list, int** lines);

DialogItem* DlgSlider(Dialog* dialog, double x, double y, double w, int* variable, int minimum, int maximum,
                      int pageSize, int flags);
DialogItem* DlgSliderNamed(Dialog* dialog, double x, double y, double w, int* variable, int minimum,
                           int maximum, int pageSize, int flags, const wchar_t* name);

DialogItem* DlgSwatch(Dialog* dialog, double x, double y, double w, double h, int backColor);
DialogItem* DlgCustom(Dialog* dialog, double x, double y, double w, double h, DWORD extraStyle);
void DlgCustomSetHandler(DialogItem* custom, DlgCustomHandler handler, void* userData);
DialogItem* DlgRichText(Dialog* dialog, double x, double y, double w, double h, const wchar_t* initialText,
                        int flags, RichTextBuffer* buffer);
DialogItem* DlgBitmap(Dialog* dialog, double x, double y, double w, double h, const wchar_t* resourceName,
                      int flags, int backColor);
DialogItem* DlgToolbar(Dialog* dialog, double x, double y);
#endif
