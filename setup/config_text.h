// How the installer's configuration files are encoded and written: 8-bit text, one byte per character,
// every line ending in carriage return and line feed.
#pragma once

#include <string>

// Appends text as 8-bit bytes. False when a character does not fit into one byte: writing it cut down to
// a byte would name another folder than the one installed to.
bool ConfigNarrow(const wchar_t* text, std::string* bytes);

// The folder with every backslash turned into "/" and ending in exactly one added "/".
bool ConfigSlashForm(const wchar_t* folder, std::string* form);

// Writes bytes into a temporary file beside path and moves it into place once all of it is written and
// flushed. False when that failed: an earlier file of that name is then as it was, and no temporary file
// is left.
bool ConfigWriteWholeFile(const wchar_t* path, const std::string& bytes);
