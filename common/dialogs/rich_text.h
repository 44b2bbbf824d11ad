// Feeding formatted lines into a rich-text item: a buffer that knows its item, keeps a copy of the text
// it added, assembles lines from columns, and can save the item's text as a plain text file.
#pragma once

#include <windows.h>

struct Dialog;
struct DialogItem;

constexpr int kRichTextLineLength = 800;     // assembled line, without the terminator
constexpr int kRichTextMinimumStore = 16384; // characters
constexpr int kRichTextStoreGrowth = 4096;   // characters
constexpr int kRichTextSaveLineLength = 8000;

enum RichTextState { RichTextIdle = 0, RichTextWriting = 1, RichTextComplete = 2 };

// Format flags of a line.
enum RichTextFormat {
    RichTextBold = 0x1,
    RichTextDarkRed = 0x2, // red 128, green 0, blue 0 instead of black
    RichTextLarge = 0x4,   // 12 points instead of 10
    RichTextFixed = 0x8,   // "Consolas" instead of "Calibri"
};

enum RichTextAlign { RichTextAlignLeft = 0, RichTextAlignCentre = 1, RichTextAlignRight = 2 };

struct RichTextBuffer {
    DialogItem* item; // the rich-text item written to; cleared when that item is destroyed
    wchar_t* store;   // tag "RepTxt": every line added, each ending with a carriage return and line feed
    int capacity;     // characters of store
    int used;         // characters in store, without the terminator
    int state;        // RichTextState
    wchar_t line[kRichTextLineLength + 1];
    int lineLength;
};

// Clears the buffer (item included); with a non-zero capacity allocates the store, at least 16384
// characters. 0 when the store could not be had.
int RichTextInit(RichTextBuffer* buffer, int capacity);
// Frees the store and clears store, capacity, used length and state; the item stays.
void RichTextFree(RichTextBuffer* buffer);
void RichTextBegin(RichTextBuffer* buffer);
void RichTextEnd(RichTextBuffer* buffer);

// Appends text and a line break to the item and formats that line (RichTextFormat flags). Only while
// being written and with an item; 0 otherwise, and when the store cannot grow.
int RichTextAddLine(RichTextBuffer* buffer, const wchar_t* text, int flags);

// Line assembly: places text in a column of width characters (filled with blanks, cut at the width) at
// the end of the line buffer. 0 when the column did not fit whole into the 800 characters of the line.
int RichTextColumn(RichTextBuffer* buffer, const wchar_t* text, int width, int align);
// Adds the assembled line with the given flags; the line buffer is empty afterwards.
int RichTextAddAssembled(RichTextBuffer* buffer, int flags);
// Adds a line of count "-" characters (at most 799) in the fixed font.
int RichTextAddRule(RichTextBuffer* buffer, int count, int flags);
// Replaces the last line added with text and formats it.
int RichTextReplaceLastLine(RichTextBuffer* buffer, const wchar_t* text, int flags);

// Scrolls the item to its first line and removes the selection.
void RichTextToTop(RichTextBuffer* buffer);
// Paints the item now.
void RichTextRepaint(RichTextBuffer* buffer);

// Asks for a file name ("Save as text file") and writes the item's text, one paragraph a line.
// 1 saved, 0 cancelled, -1 the file was not written, -2 no item.
int RichTextSaveAsText(Dialog* dialog, RichTextBuffer* buffer);
// Writes text (paragraphs ending with a carriage return, as the item holds them) to path in the system's
// 8-bit code page with a carriage return and line feed after every line. 1 written, 0 not; the file is
// replaced only once all of it is written, so on 0 an earlier file of that name is as it was.
int RichTextWriteFile(const wchar_t* path, const wchar_t* text, int length);

// The store's capacity after making room for needed more characters: unchanged while used + needed stays
// below it, else grown by 4096 characters, or by needed when that is more.
int RichTextGrownCapacity(int capacity, int used, int needed);

// Moves the selection over the whole text and back to the end, painting after each step, so that the
// formatting of lines added while the item was hidden shows; the view keeps its scroll position.
void RichTextShowFormatting(RichTextBuffer* buffer);
