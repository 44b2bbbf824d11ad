// Where tests keep their files and pictures, and small helpers every test program shares.
#pragma once

#include <windows.h>

#include <string>

namespace testenv {

// The build folder as Wine sees it (Z:\...\build), without a trailing backslash.
std::wstring BuildFolder();

// A fresh, empty folder below the build folder for one test's files, as a Windows path.
std::wstring ScratchFolder(const std::wstring& name);

// Saves a picture of the whole X display as build/screenshots/<variant>/<name>.png.
// Returns false when there is no display or ImageMagick's import fails.
bool SaveScreenshot(const std::string& name);

// Dispatches every pending message of this thread, for at least the given time.
void PumpMessages(DWORD milliseconds = 0);

// Writes bytes to a file, replacing it; returns false on any failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Reads a whole file; returns false when it cannot be opened.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);

} // namespace testenv
