// A gallery of the dialog toolkit: one dialog holding an item of every kind, and buttons that show
// each message dialog and the status and busy windows, so that a person can look at all of them.
#include <windows.h>

#include <cwchar>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/grid.h"
#include "dialogs/items.h"
#include "dialogs/message_box.h"
#include "dialogs/rich_text.h"
#include "dialogs/row_box.h"
#include "dialogs/status_window.h"
#include "gallery_rows.h"

namespace {

const wchar_t GalleryTitle[] = L"Nimbo Toolkit Gallery";

// Everything the gallery's items are bound to.
struct GalleryValues {
    int showUnits = 1;
    wchar_t name[64] = L"Ocularis";
    int count = 12;
    unsigned int size = 4096;
    long long points = 123456789012LL;
    double scale = 2.5;
    double pi = 3.14159265;
    int folder = 1;
    int weight = 3;
    int style = 2;
    int colour = 4;
    unsigned char pointColour[3] = {220, 120, 30};
    int contrast = 40;
    long long line = 2;
};

GalleryValues Values;
RichTextBuffer Report;
RowBoxModel Rows;
GridModel Cells;

const int CountLowest = 1;
const int CountHighest = 100;

// A few colours of a host's colour table for the colour choice.
struct NamedColour {
    int index;
    unsigned char red, green, blue;
};
const NamedColour HostColours[] = {
    {0, 255, 255, 255}, {1, 0, 0, 255}, {2, 0, 200, 0}, {3, 255, 0, 0}, {4, 240, 200, 0}, {5, 160, 0, 200},
};

// ---- Painting of the caller-drawn items ----

void DrawText(HDC dc, int x, int y, const wchar_t* text) {
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

void DrawListLine(DialogItem*, long long line, HDC dc, const RECT* rect, int) {
    wchar_t text[48];
    swprintf(text, 48, L"Virtual line %lld", line);
    DrawText(dc, rect->left + 4, rect->top + 2, text);
}

void PaintRow(long long row, RowBoxModel*, HDC dc, const RECT* rect, int textColor, int backColor) {
    FillRect(dc, rect, AppPaletteBrush(backColor));
    SetTextColor(dc, AppPaletteColor(textColor));
    wchar_t text[48];
    swprintf(text, 48, L"Row %lld", row);
    DrawText(dc, rect->left + 4, rect->top + 1, text);
}

void PaintCell(int cell, GridModel* model, HDC dc, const RECT* rect, int textColor, int backColor) {
    FillRect(dc, rect, AppPaletteBrush(backColor));
    if (cell >= model->cellCount) return;
    RECT sample = {rect->left + 3, rect->top + 3, rect->left + 13, rect->bottom - 3};
    FillRect(dc, &sample, AppPaletteBrush(2 + cell % 6));
    SetTextColor(dc, AppPaletteColor(textColor));
    wchar_t text[16];
    swprintf(text, 16, L"%d", cell);
    DrawText(dc, rect->left + 17, rect->top + 1, text);
}

// The custom area: a band of palette colours with its name on it.
int PaintCustomArea(DialogItem* item, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_PAINT) return 0;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(item->control, &paint);
    RECT client;
    GetClientRect(item->control, &client);
    const int bands[] = {11, 12, 13, 14};
    for (int band = 0; band < 4; ++band) {
        RECT part = {client.right * band / 4, 0, client.right * (band + 1) / 4, client.bottom};
        FillRect(dc, &part, AppPaletteBrush(bands[band]));
    }
    HGDIOBJ old = SelectObject(dc, AppFont(AppFontBold));
    SetTextColor(dc, AppPaletteColor(AppColorBlack));
    DrawText(dc, 8, 6, L"Custom area painted by its caller");
    SelectObject(dc, old);
    EndPaint(item->control, &paint);
    *result = 0;
    return 1;
}

// ---- The buttons ----

int ShowMessages(Dialog* dialog) {
    HWND owner = dialog->window;
    MsgInfo(owner, L"This is an information message about %s.", L"the gallery");
    MsgOkCancel(owner, L"Continue with the next message dialog?", nullptr);
    MsgYesNo(owner, L"Do you like the %s?", L"line weights");
    MsgYesNoCancel(owner, L"Save the changes to %s?", L"gallery.txt");
    MsgRetrySkipCancel(owner, L"The file %s is in use.", L"C:\\Nimbo\\settings\\ocular.upf");
    return 0;
}

void WaitPainting(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

int ShowStatusWindow(Dialog* dialog) {
    Dialog* status = StatusWindowOpen(L"Copying files", L" ", dialog->window, L"Nimbo Setup");
    const wchar_t* files[] = {L"ocular.ix", L"pcv.dll", L"GuiDlg.dll", L"korvane.ico"};
    for (const wchar_t* file : files) {
        StatusWindowSetLine(status, 1, L"Copying %s", file);
        WaitPainting(700);
    }
    StatusWindowClose(&status);
    return 0;
}

int ShowBusyWindow(Dialog* dialog) {
    Dialog* busy = BusyWindowOpen(L"Loading %s ...", L"project.prj", dialog->window, L"Ocularis");
    WaitPainting(2500);
    BusyWindowClose(&busy);
    return 0;
}

// ---- The gallery dialog, column by column ----

void AddChoices(Dialog* dialog, double y) {
    DialogItem* folder = DlgChoice(dialog, 16, y, 24, &Values.folder, 0, L"Folder:");
    DlgChoiceAdd(folder, 0, L"Standard folders");
    DlgChoiceAdd(folder, 1, L"Beside the host");
    DlgChoiceAddSeparator(folder, -1);
    DlgChoiceAdd(folder, 2, L"Chosen by hand");
    DlgRefresh(folder);

    DialogItem* weights = DlgChoice(dialog, 16, y + 1, 24, &Values.weight, DlgChoiceWeights, L"Line weight:");
    DlgChoiceAddRange(weights, 0, 15);
    DlgRefresh(weights);

    DialogItem* styles = DlgChoice(dialog, 16, y + 2, 24, &Values.style, DlgChoiceStyles, L"Line style:");
    DlgChoiceAddRange(styles, 0, 7);
    DlgRefresh(styles);

    for (const NamedColour& colour : HostColours)
        DlgChoiceSetColor(colour.index, colour.red, colour.green, colour.blue);
    DialogItem* colours = DlgChoice(dialog, 16, y + 3, 24, &Values.colour, DlgChoiceColors, L"Colour:");
    DlgChoiceAddRange(colours, 0, 5);
    DlgChoiceAddSeparator(colours, -1);
    DlgChoiceAdd(colours, 256, L"By level");
    DlgRefresh(colours);
}

void AddFields(Dialog* dialog) {
    DlgText(dialog, 1, 0.2, 0, L"An item of every kind", DlgTextBold, 1, 10);
    DlgLine(dialog, 1, 1.3, 44);
    DlgToggle(dialog, 16, 1.6, 24, &Values.showUnits, 0, L"Show units");
    DlgString(dialog, 16, 2.6, 24, Values.name, 63, 0, L"Name:", nullptr);
    DlgInt(dialog, 16, 3.6, 12, &Values.count, &CountLowest, &CountHighest, 0, L"Count:", L"pieces");
    DlgUInt(dialog, 16, 4.6, 12, &Values.size, nullptr, nullptr, 0, L"Size:", L"bytes");
    DlgInt64(dialog, 16, 5.6, 16, &Values.points, nullptr, nullptr, 0, L"Points:", nullptr);
    DlgDouble(dialog, 16, 6.6, 12, &Values.scale, 3, nullptr, nullptr, 0, L"Scale:", L"m");
    DlgDouble(dialog, 16, 7.6, 12, &Values.pi, 5, nullptr, nullptr, DlgItemDisplayOnly, L"Pi:",
              L"(read only)");
    AddChoices(dialog, 8.6);
    DlgColor(dialog, 16, 12.6, 8, Values.pointColour, 0, L"Point colour:");
    DlgText(dialog, 1, 13.6, 14, L"Contrast:", DlgTextRight, 1, 10);
    DlgSlider(dialog, 16, 13.6, 24, &Values.contrast, 0, 100, 10, 0);
    DlgTextBox(dialog, 1, 14.8, 44, 2.6,
               L"A text box shows long, read-only text such as the body of a message dialog. It never keeps "
               L"the focus: Tab passes over it.");
}

void AddReport(Dialog* dialog) {
    RichTextInit(&Report, 0);
    DlgRichText(dialog, 1, 17.7, 44, 6.3, nullptr, 0, &Report);
    RichTextBegin(&Report);
    RichTextAddLine(&Report, L"Rich text report", RichTextBold | RichTextLarge);
    RichTextAddRule(&Report, 40, 0);
    RichTextColumn(&Report, L"Files copied", 20, RichTextAlignLeft);
    RichTextColumn(&Report, L"128", 8, RichTextAlignRight);
    RichTextAddAssembled(&Report, RichTextFixed);
    RichTextAddLine(&Report, L"One service could not be started.", RichTextDarkRed);
    RichTextEnd(&Report);
    RichTextToTop(&Report);
}

void AddPictures(Dialog* dialog) {
    DlgToolbar(dialog, 49, 0.2);
    DlgBitmap(dialog, 79, 0.2, 4, 1.4, L"DISPLAY_MODE", 0, 0);
    DlgBitmap(dialog, 84, 0.2, 4, 1.4, L"ZOOM_IN", 0, 0);
    const int swatches[] = {2, 3, 4, 5, 7, 9};
    for (int index = 0; index < 6; ++index) DlgSwatch(dialog, 49 + index * 8.5, 2.2, 7, 1.1, swatches[index]);
    DialogItem* custom = DlgCustom(dialog, 49, 3.7, 50, 2.4, WS_BORDER);
    DlgCustomSetHandler(custom, PaintCustomArea, nullptr);
}

void AddLists(Dialog* dialog) {
    DlgText(dialog, 49, 6.5, 24, L"Virtual list:", 0, 1, 10);
    DlgList(dialog, 49, 7.5, 24, 7, &Values.line, 200, 0, DrawListLine);
    DlgText(dialog, 75, 6.5, 24, L"Row box:", 0, 1, 10);
    RowBoxClear(&Rows);
    Rows.painter = PaintRow;
    DlgRowBox(dialog, 75, 7.5, 24, 7, &Rows);
    RowBoxSetRowCount(&Rows, 1000, 1);
    RowBoxSelectRange(&Rows, 3, 5, 1, 1);

    DlgText(dialog, 49, 15.1, 24, L"Grid:", 0, 1, 10);
    GridClear(&Cells);
    Cells.painter = PaintCell;
    Cells.cellWidth = AppColumnsToPixels(5.5);
    Cells.cellHeight = AppGetMetrics()->controlTextHeight;
    Cells.columns = 8;
    DlgTable(dialog, 49, 16.1, 50, 7.9, &Cells);
    GridSetCellCount(&Cells, 100, 1);
}

Dialog* BuildGallery() {
    Dialog* dialog = DlgCreate(GalleryTitle, 100, 26.6, DlgWindowPopup, 0, nullptr);
    if (!dialog) return nullptr;
    AddFields(dialog);
    AddReport(dialog);
    DlgVLine(dialog, 47, 0.3, 24);
    AddPictures(dialog);
    AddLists(dialog);
    DlgLine(dialog, 0, 24.7, 0);
    DlgButton(dialog, 1, 25.1, 12, 0, ShowMessages, L"Messages...", L"Each kind of message dialog in turn",
              0);
    DlgButton(dialog, 14, 25.1, 14, 0, ShowStatusWindow, L"Status window...", nullptr, 0);
    DlgButton(dialog, 29, 25.1, 14, 0, ShowBusyWindow, L"Busy window...", nullptr, 0);
    DlgButton(dialog, 44, 25.1, 16, 0, GalleryShowRowControls, L"Row controls...", nullptr, 0);
    DlgButton(dialog, 75, 25.1, 11, 0, DlgStandardOk, L"OK", nullptr, 0);
    DlgButton(dialog, 88, 25.1, 11, 0, DlgStandardCancel, L"Cancel", nullptr, 0);
    return dialog;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    AppStart(instance, 0, 0, L"Nimbo Gallery", L"GALLERY", nullptr, 12);
    int result = DlgRun(BuildGallery());
    RichTextFree(&Report);
    RowBoxRelease(&Rows);
    GridRelease(&Cells);
    AppEnd();
    return result == 1 ? 0 : 1;
}
