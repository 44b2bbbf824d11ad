// Where the plug-in's files are: the module's own path, the settings folder every file of the plug-in
// lies below, and the composition of paths from that folder and a fixed suffix.
#pragma once

#include <stddef.h>

constexpr size_t kModulePathChars = 400;
constexpr size_t kSettingsFolderChars = 400;
// Every composed path is built in a buffer of this many characters, terminator included.
constexpr size_t kComposedPathChars = 1024;

// Full path of the loaded module; only its folder is used (the settings-path file lies one above it).
extern wchar_t ModulePath[kModulePathChars];
// Root of every file of the plug-in; "c:\nimbo64" until start-up reads the settings-path file.
extern wchar_t SettingsFolder[kSettingsFolderChars];

// Suffixes below SettingsFolder, appended as they stand (their separators are the path's).
inline constexpr const wchar_t* kIniSuffix = L"/ocular/ocular.ini";
inline constexpr const wchar_t* kDataFolderSuffix = L"\\ocular\\data";
inline constexpr const wchar_t* kLoadedPointsSuffix = L"\\ocular\\data\\LoadedPoints.prj";

// path := SettingsFolder followed by each suffix in turn (null suffixes are skipped). Nothing is
// inserted, removed or normalised. False, with path emptied, when the result would not fit in
// pathChars: a cut path would name another file, so the caller treats the file as missing.
bool ComposeSettingsPath(wchar_t* path, size_t pathChars, const wchar_t* suffix1, const wchar_t* suffix2 = nullptr);

// The host preference file: the folder part of SettingsFolder (up to its last backslash), one folder
// up (a drive root stays), then "ocular\ocularObx.upf". False when it does not fit.
bool HostPreferencePath(wchar_t* path, size_t pathChars);
