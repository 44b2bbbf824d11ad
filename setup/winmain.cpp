#include "command_line.h"
#include "setup_main.h"

// The 8-bit command line of WinMain is in the ANSI code page, which turns characters outside it into
// others (a Greek capital omega into "O", Japanese into "?"): the folders come from the UTF-16 one.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand) {
    SetupRestrictDllSearch();
    return SetupMain(instance, previousInstance, SetupCommandLineArguments(GetCommandLineW()), showCommand);
}
