// The installer's one state record: what setup.inf describes, what the user chose, and how the run ended.
#pragma once

#include <cstdint>

// Which host the product plugs into; it picks the main page, the meaning of the third command-line
// folder and the host-specific steps. The numbers are part of the description format: 2 is unused.
enum class InstallKind : int { None = 0, MicroStation = 1, Slave = 3, Orbisa = 4 };

// Bits of a file entry's third field.
struct FileFlags {
    enum : uint32_t { Shortcut = 1, Service = 2, KeepExisting = 4, ConfigTemplate = 8 };
};

// How a run ends, as the program's exit code; scripts that install silently have nothing else to go by.
enum SetupExit : int {
    SetupExitCompleted = 0,
    SetupExitNotStarted = 1, // setup.inf could not be read, or a folder on the command line cannot be one
    SetupExitDeclined = 2,   // declined or cancelled before anything was installed
    SetupExitStepFailed = 4, // an installation step failed
    SetupExitUserEnded = 5,  // the user stopped the installation while it ran
};

constexpr int kSetupPathChars = 400;      // 399 characters and the terminator
constexpr int kSetupAppNameChars = 40;    // 39 characters
constexpr int kSetupAccountChars = 80;    // 79 characters
constexpr int kSetupEntryFieldChars = 40; // a description field keeps 39 characters
constexpr int kSetupMaxFolders = 80;
constexpr int kSetupMaxFiles = 800;

struct FolderEntry {
    wchar_t name[kSetupEntryFieldChars];
};

struct FileEntry {
    wchar_t name[80];
    wchar_t file[80];
    uint32_t flags;
};

struct SetupState {
    wchar_t moduleFolder[kSetupPathChars]; // ends with a backslash
    wchar_t appName[kSetupAppNameChars];
    wchar_t defaultFolder[kSetupPathChars];
    InstallKind kind;
    bool silent;
    wchar_t exeFolder[kSetupPathChars];
    wchar_t settingsFolder[kSetupPathChars];
    wchar_t microStationFolder[kSetupPathChars];
    wchar_t orbisaFolder[kSetupPathChars];
    int folderChoice;
    wchar_t serviceUser[kSetupAccountChars];
    wchar_t servicePassword[kSetupAccountChars];
    FolderEntry exeDirs[kSetupMaxFolders];
    int exeDirCount;
    FolderEntry setDirs[kSetupMaxFolders];
    int setDirCount;
    FileEntry exeFiles[kSetupMaxFiles];
    int exeFileCount;
    FileEntry setFiles[kSetupMaxFiles];
    int setFileCount;
    int accepted;
    int notAccepted;
    // Set when the user answered a question during the steps with No or Cancel, so that the exit code can
    // tell a deliberate stop from a step that failed on its own.
    bool userEnded;
};

// The process-wide instance; every part of the installer reads and writes it directly.
extern SetupState g_setup;

// Back to the zero-filled start state (the program starts that way; tests call it between cases).
void SetupStateReset();
