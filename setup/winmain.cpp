#include "setup_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    SetupRestrictDllSearch();
    return SetupMain(instance, previousInstance, commandLine, showCommand);
}
