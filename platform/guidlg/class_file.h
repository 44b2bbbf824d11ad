// Point-class files: the name, colour and visibility of point classes, one class a line.
//
//   # comment
//   2, Ground, 170 85 0, 1
//   6, Building, 200 60 60, 0
//
// Fields: class number 0..255; name (1 to 63 characters, no comma, blanks around it dropped);
// colour as red, green and blue 0..255 separated by blanks; visible 1 or 0. Blank lines and lines
// starting with "#" or ";" are comments. Text is UTF-8 (a byte-order mark is skipped); a file that is
// not valid UTF-8 is read as Windows-1252. A file with any malformed line is refused as a whole.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int kClassCount = 256;
constexpr int kClassNameChars = 64;         // terminator included
constexpr int kClassLineChars = 256;        // longest line, line end excluded
constexpr size_t kClassFileBytes = 1 << 20; // a class file is small; anything bigger is not one
constexpr int kClassErrorChars = 256;

struct PointClass {
    bool defined; // the file names this class
    bool visible;
    uint8_t red, green, blue;
    wchar_t name[kClassNameChars];
};

struct PointClassTable {
    PointClass classes[kClassCount];
    int definedCount;
};

struct ClassFileError {
    int line; // 1-based line of the fault; 0 when it concerns the whole file
    wchar_t reason[kClassErrorChars];
};

// Parses the text into table. 1 on success; 0 with error filled and table left as it was.
int ClassFileParse(const char* text, size_t length, PointClassTable* table, ClassFileError* error);

enum ClassFileStatus { ClassFileOk, ClassFileMissing, ClassFileUnreadable, ClassFileMalformed };

// Reads and parses the file at path. On anything but ClassFileOk the table is left as it was and
// error says why (for ClassFileMissing too).
ClassFileStatus ClassFileLoad(const wchar_t* path, PointClassTable* table, ClassFileError* error);
