// The wizard pages the interactive installation shows before it touches the disk.
#pragma once

#include <cstddef>

struct Dialog;

// The agreement page: true when it ended with OK and the agreement was accepted.
bool PageAgreement();

// The main page for the installation kind: true when it ended with OK (folders without trailing backslashes).
bool PageMain();

// The agreement text as setup.exe carries it: 8-bit lines, a heading starts with "# ", empty lines part
// paragraphs. One line of it, the marker and the line end already taken off.
struct AgreementLine {
    const char* text;
    size_t length;
    bool heading;
};

// Reads the line at *cursor (which moves past its line end) into line; false at the end of the text.
bool AgreementNextLine(const char** cursor, const char* end, AgreementLine* line);

// The main page's folder choice: sets the folders the current choice stands for and shows them...
void FolderChoiceApply(Dialog* page);
// ...and lets the user edit them (and browse for them) only when the choice is the free one.
void FolderChoiceEnable(Dialog* page);

// Takes trailing backslashes off a folder typed or chosen on the main page, but keeps the one of a
// root ("C:\" or "\"): without it the folder would name the current folder of that drive.
void PageStripTrailingBackslashes(wchar_t* folder);
