// The recording log: action lines for named commands and one block of values per dialog that ends.
//
// The file is written as wide text through a text-mode stream in the C locale would write it, and
// that is what readers of these logs know: one byte per character (characters up to U+00FF keep their
// number, so ASCII text stays ASCII and the rest is Latin-1) and CR LF for every line feed. A character
// beyond U+00FF has no byte there; it is written as "?" so that the rest of the line still arrives.
#include "dialogs/dialog_recording.h"

#include "dialogs/dialog_name_registry.h"
#include "runtime/text.h"

#include <cwchar>

namespace {

wchar_t logPath[DlgLogPathLength + 1];

const wchar_t* const kRule = L"===============================================\n";

// Opened for appending, created when it does not exist yet; closed after every write so that the log
// is complete even when the program ends abruptly.
HANDLE OpenLog() {
    if (!logPath[0]) return INVALID_HANDLE_VALUE;
    return CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void WriteText(HANDLE file, const wchar_t* text) {
    if (file == INVALID_HANDLE_VALUE || !text) return;
    char bytes[1024];
    DWORD count = 0;
    for (const wchar_t* c = text; *c; ++c) {
        if (count + 2 > sizeof bytes) {
            DWORD written = 0;
            WriteFile(file, bytes, count, &written, nullptr);
            count = 0;
        }
        if (*c == L'\n') {
            bytes[count++] = '\r';
            bytes[count++] = '\n';
        } else if (*c <= 0xFF) {
            bytes[count++] = static_cast<char>(*c);
        } else {
            // A surrogate pair is one character and gets one "?".
            if (IsHighSurrogate(c[0]) && IsLowSurrogate(c[1])) ++c;
            bytes[count++] = '?';
        }
    }
    DWORD written = 0;
    if (count) WriteFile(file, bytes, count, &written, nullptr);
}

// The block heading: the dialog's recording name, or its title. The plug-in's dialogs are named for
// other purposes, so its blocks always use the title.
void HeadingOf(Dialog* dialog, wchar_t* heading, int capacity) {
    heading[0] = 0;
#ifndef NIMBO_PLUGIN
    if (dialog->name[0]) {
        TextCopyMax(heading, static_cast<size_t>(capacity - 1), dialog->name);
        return;
    }
#endif
    if (dialog->window) GetWindowTextW(dialog->window, heading, capacity);
}

} // namespace

int DlgSetLogFile(const wchar_t* path) {
    logPath[0] = 0;
    if (!path || !path[0] || wcsnlen(path, DlgLogPathLength + 1) > DlgLogPathLength) return 0;
    TextCopyMax(logPath, DlgLogPathLength, path);
    return 1;
}

const wchar_t* DlgLogFile() {
    return logPath;
}

void DlgRecordFailedAssignment(const wchar_t* line) {
    HANDLE file = OpenLog();
    if (file == INVALID_HANDLE_VALUE) return;
    WriteText(file, L"!!!!!!!! Failed to set variable ");
    WriteText(file, line);
    WriteText(file, L"\n");
    CloseHandle(file);
}

void DlgRecordAction(const wchar_t* name) {
    if (!name || !name[0] || !logPath[0]) return;
    HANDLE file = OpenLog();
    if (file == INVALID_HANDLE_VALUE) return;
    WriteText(file, L"Action ");
    WriteText(file, name);
    WriteText(file, L"\n\n");
    CloseHandle(file);
}

void DlgRecordCommand(DlgCallback callback, const wchar_t* name) {
    if (name && name[0]) {
        DlgRecordAction(name);
        return;
    }
#ifdef NIMBO_PLUGIN
    const DlgNamedAction* action = DlgNamedActionOf(callback);
    if (action) DlgRecordAction(action->name);
#else
    (void)callback;
#endif
}

void DlgRecordValues(Dialog* dialog) {
    if (!dialog || !logPath[0]) return;
    HANDLE file = OpenLog();
    if (file == INVALID_HANDLE_VALUE) return;

    wchar_t heading[DlgItemTextLength];
    HeadingOf(dialog, heading, DlgItemTextLength);
    WriteText(file, heading);
    WriteText(file, L"\n");
    WriteText(file, kRule);

    // name, value (a string field holds up to 3999 characters), label and type word
    enum { LineLength = DlgNameLength + DlgStringMaximum + DlgItemTextLength + 32 };
    static wchar_t line[LineLength];
    for (int i = 0; i < dialog->itemCount; ++i) {
        if (!DlgFormatRecordedItem(dialog->items[i], line, LineLength)) continue;
        WriteText(file, line);
        WriteText(file, L"\n");
    }
    WriteText(file, L"\n");
    CloseHandle(file);
}
