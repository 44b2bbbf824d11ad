#ifndef NIMBO_PLUGIN
#include "dialogs/rich_text.h"

#include <richedit.h>

#include "dialogs/choosers.h"
#include "dialogs/dialog.h"
#include "runtime/memory.h"
#include "runtime/out_file.h"
#include "runtime/text.h"

namespace {

const wchar_t kLineBreak[] = L"\r\n";

int Length(const wchar_t* text) {
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n > 0x3fffffff ? 0x3fffffff : static_cast<int>(n);
}

HWND ControlOf(const RichTextBuffer* buffer) {
    return buffer && buffer->item ? buffer->item->control : nullptr;
}

void Select(HWND control, LONG start, LONG end) {
    CHARRANGE range = {start, end};
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// In the control's own positions, where a paragraph break counts one. (Selecting everything would also
// take in the final paragraph mark, which no text can be put behind.)
LONG TextEnd(HWND control) {
    GETTEXTLENGTHEX ask = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT length = SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&ask), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}

void SetSelectionFormat(HWND control, int flags) {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_COLOR | CFM_SIZE | CFM_FACE;
    format.dwEffects = (flags & RichTextBold) ? CFE_BOLD : 0;
    format.crTextColor = (flags & RichTextDarkRed) ? RGB(128, 0, 0) : RGB(0, 0, 0);
    format.yHeight = (flags & RichTextLarge) ? 240 : 200;
    TextCopyMax(format.szFaceName, LF_FACESIZE - 1, (flags & RichTextFixed) ? L"Consolas" : L"Calibri");
    SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

// The line goes in at start: the text, a line break, and the format over both. The range is what was
// inserted rather than the last display line, so a paragraph that wraps is formatted whole. The insertion
// point gets the format first, so the text is laid out in it from the start rather than reformatted.
void InsertLine(HWND control, LONG start, const wchar_t* text, int flags) {
    Select(control, start, TextEnd(control));
    SetSelectionFormat(control, flags);
    SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text ? text : L""));
    SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kLineBreak));
    LONG end = TextEnd(control);
    Select(control, start, end);
    SetSelectionFormat(control, flags);
    Select(control, end, end);
}

void ScrollToNewLine(HWND control) {
    int minimum = 0, maximum = 0;
    if (GetScrollRange(control, SB_VERT, &minimum, &maximum) && maximum > minimum)
        SendMessageW(control, EM_SCROLL, SB_LINEDOWN, 0);
}

bool IsBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// The whole text of the control in a block the caller frees, paragraphs ending in a carriage return.
wchar_t* ReadAllText(HWND control, int* length) {
    *length = 0;
    GETTEXTLENGTHEX ask = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LRESULT count = SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&ask), 0);
    if (count < 0) count = 0;
    size_t capacity = static_cast<size_t>(count) + 1;
    auto* text = static_cast<wchar_t*>(MemAllocZero(capacity * sizeof(wchar_t), "RepGet"));
    if (!text) return nullptr;
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(capacity * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    LRESULT got =
        SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text));
    *length = got > 0 ? static_cast<int>(got) : 0;
    text[*length] = 0;
    return text;
}

// Where the last complete paragraph of the control starts (0 when there is only one).
LONG LastParagraphStart(HWND control) {
    int length = 0;
    wchar_t* text = ReadAllText(control, &length);
    if (!text) return 0;
    int at = length;
    while (at > 0 && IsBreak(text[at - 1])) --at; // the break that ends the last paragraph
    while (at > 0 && !IsBreak(text[at - 1])) --at;
    MemFree(text);
    return at;
}

// Grows the store so that needed more characters fit; false when it cannot.
bool StoreMakeRoom(RichTextBuffer* buffer, int needed) {
    if (!buffer->store) return true;
    int capacity = RichTextGrownCapacity(buffer->capacity, buffer->used, needed);
    if (capacity == buffer->capacity) return true;
    void* grown = MemReallocZero(buffer->store, static_cast<size_t>(capacity) * sizeof(wchar_t));
    if (!grown) return false;
    buffer->store = static_cast<wchar_t*>(grown);
    buffer->capacity = capacity;
    return true;
}

void StoreAppend(RichTextBuffer* buffer, const wchar_t* text, int length) {
    if (!buffer->store) return;
    for (int i = 0; i < length; ++i) buffer->store[buffer->used++] = text[i];
    buffer->store[buffer->used++] = L'\r';
    buffer->store[buffer->used++] = L'\n';
    buffer->store[buffer->used] = 0;
}

void StoreDropLastLine(RichTextBuffer* buffer) {
    if (!buffer->store) return;
    int at = buffer->used;
    while (at > 0 && IsBreak(buffer->store[at - 1])) --at;
    while (at > 0 && !IsBreak(buffer->store[at - 1])) --at;
    buffer->used = at;
    buffer->store[at] = 0;
}

void ClearLine(RichTextBuffer* buffer) {
    buffer->line[0] = 0;
    buffer->lineLength = 0;
}

bool CanWrite(const RichTextBuffer* buffer) {
    return buffer && buffer->state == RichTextWriting && ControlOf(buffer);
}

void Repaint(HWND control) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
}

} // namespace

int RichTextGrownCapacity(int capacity, int used, int needed) {
    if (used + needed < capacity) return capacity;
    return capacity + (needed <= kRichTextStoreGrowth ? kRichTextStoreGrowth : needed);
}

int RichTextInit(RichTextBuffer* buffer, int capacity) {
    if (!buffer) return 0;
    *buffer = RichTextBuffer{};
    if (capacity <= 0) return 1;
    if (capacity < kRichTextMinimumStore) capacity = kRichTextMinimumStore;
    buffer->store =
        static_cast<wchar_t*>(MemAllocZero(static_cast<size_t>(capacity) * sizeof(wchar_t), "RepTxt"));
    if (!buffer->store) return 0;
    buffer->capacity = capacity;
    return 1;
}

void RichTextFree(RichTextBuffer* buffer) {
    if (!buffer) return;
    MemFree(buffer->store);
    buffer->store = nullptr;
    buffer->capacity = 0;
    buffer->used = 0;
    buffer->state = RichTextIdle;
}

void RichTextBegin(RichTextBuffer* buffer) {
    if (buffer) buffer->state = RichTextWriting;
}

void RichTextEnd(RichTextBuffer* buffer) {
    if (buffer) buffer->state = RichTextComplete;
}

int RichTextAddLine(RichTextBuffer* buffer, const wchar_t* text, int flags) {
    if (!CanWrite(buffer)) return 0;
    int length = Length(text);
    if (!StoreMakeRoom(buffer, length + 2)) return 0;
    HWND control = ControlOf(buffer);
    InsertLine(control, TextEnd(control), text, flags);
    ScrollToNewLine(control);
    StoreAppend(buffer, text, length);
    ClearLine(buffer);
    return 1;
}

int RichTextColumn(RichTextBuffer* buffer, const wchar_t* text, int width, int align) {
    if (!buffer || width < 0) return 0;
    int room = kRichTextLineLength - buffer->lineLength;
    int fitted = width < room ? width : room;
    TextColumn(buffer->line + buffer->lineLength, static_cast<size_t>(fitted), text ? text : L"", align);
    buffer->lineLength += fitted;
    return fitted == width ? 1 : 0;
}

int RichTextAddAssembled(RichTextBuffer* buffer, int flags) {
    if (!buffer) return 0;
    wchar_t line[kRichTextLineLength + 1];
    TextCopyMax(line, kRichTextLineLength, buffer->line);
    ClearLine(buffer);
    return RichTextAddLine(buffer, line, flags);
}

int RichTextAddRule(RichTextBuffer* buffer, int count, int flags) {
    if (count < 0) count = 0;
    if (count > kRichTextLineLength - 1) count = kRichTextLineLength - 1;
    wchar_t rule[kRichTextLineLength];
    for (int i = 0; i < count; ++i) rule[i] = L'-';
    rule[count] = 0;
    return RichTextAddLine(buffer, rule, flags | RichTextFixed);
}

int RichTextReplaceLastLine(RichTextBuffer* buffer, const wchar_t* text, int flags) {
    if (!CanWrite(buffer)) return 0;
    int length = Length(text);
    // Room is made before anything changes, so a failed growth leaves store and control as they were.
    if (!StoreMakeRoom(buffer, length + 2)) return 0;
    StoreDropLastLine(buffer);
    HWND control = ControlOf(buffer);
    InsertLine(control, LastParagraphStart(control), text, flags);
    StoreAppend(buffer, text, length);
    return 1;
}

void RichTextToTop(RichTextBuffer* buffer) {
    HWND control = ControlOf(buffer);
    if (!control) return;
    Select(control, 0, 0);
    SendMessageW(control, WM_VSCROLL, SB_TOP, 0);
}

void RichTextRepaint(RichTextBuffer* buffer) {
    HWND control = ControlOf(buffer);
    if (control) Repaint(control);
}

void RichTextShowFormatting(RichTextBuffer* buffer) {
    HWND control = ControlOf(buffer);
    if (!control || buffer->state == RichTextIdle) return;
    LRESULT firstLine = SendMessageW(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    Select(control, 0, -1);
    Repaint(control);
    LONG end = TextEnd(control);
    Select(control, end, end);
    Repaint(control);
    // The caller scrolled where the reader should start (the top of an agreement); keep it there.
    LRESULT nowFirst = SendMessageW(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowFirst != firstLine) {
        SendMessageW(control, EM_LINESCROLL, 0, firstLine - nowFirst);
        Repaint(control);
    }
}

int RichTextWriteFile(const wchar_t* path, const wchar_t* text, int length) {
    if (!path || !text || length < 0) return 0;
    int bytes = length ? WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
    if (length && bytes <= 0) return 0;
    char* narrow = static_cast<char*>(MemAlloc(static_cast<size_t>(bytes) + 1, "RepSav"));
    if (!narrow) return 0;
    if (bytes) WideCharToMultiByte(CP_ACP, 0, text, length, narrow, bytes, nullptr, nullptr);
    // Written beside and put in place whole, so that a full disk leaves a file the user chose to replace
    // as it was.
    OutFile file;
    if (!OutFileOpen(&file, kOutFileMinBufferKb, path, kOutFileReplace)) {
        MemFree(narrow);
        return 0;
    }
    // Carriage returns and line feeds are single bytes in every 8-bit code page, so lines can be split
    // after the conversion. A lone return, a lone feed and the pair each end one line.
    int start = 0;
    for (int at = 0; at <= bytes; ++at) {
        bool atEnd = at == bytes;
        if (!atEnd && narrow[at] != '\r' && narrow[at] != '\n') continue;
        if (atEnd && at == start) break; // nothing after the last break
        OutFileWrite(&file, narrow + start, static_cast<size_t>(at - start));
        OutFileWrite(&file, "\r\n", 2);
        if (!atEnd && narrow[at] == '\r' && at + 1 < bytes && narrow[at + 1] == '\n') ++at;
        start = at + 1;
    }
    MemFree(narrow);
    return OutFileClose(&file);
}

int RichTextSaveAsText(Dialog* dialog, RichTextBuffer* buffer) {
    HWND control = ControlOf(buffer);
    if (!control) return -2;
    wchar_t path[kChooserPathCapacity] = {};
    if (!SaveFileChooser(path, dialog ? dialog->window : nullptr, L"Save as text file",
                         L"Text files\0*.txt\0All files\0*.*\0", L"txt"))
        return 0;
    int length = 0;
    wchar_t* text = ReadAllText(control, &length);
    if (!text) return -1;
    int written = RichTextWriteFile(path, text, length);
    MemFree(text);
    return written ? 1 : -1;
}
#endif
