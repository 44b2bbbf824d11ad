// Reading setup.inf, the installation description, into g_setup.
#pragma once

#include "setup_state.h"

#include <cstdint>

// Section numbers of the description's headers; 0 is any other text behind a "[" (ignored lines).
enum InfSectionNumber : int {
    InfSectionNone = 0,
    InfSectionApplication = 1,
    InfSectionVersions = 2,
    InfSectionExeDirs = 3,
    InfSectionSetDirs = 4,
    InfSectionExeFiles = 5,
    InfSectionSetFiles = 6,
    InfSectionEnd = 7,
};

// Reads the whole description (up to "[End]"); false only when the file cannot be opened.
bool InfRead(const wchar_t* path);

// The section a header line opens, 0 when it is none of the known headers.
int InfSection(const wchar_t* line);

// Applies one non-header line of a section to g_setup.
void InfParseLine(int section, const wchar_t* line);

InstallKind InfTargetKind(const wchar_t* value);

// FileFlags for the letters of a file entry's third field.
uint32_t InfFlags(const wchar_t* letters);
