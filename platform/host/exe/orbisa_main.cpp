// orbisa.exe: the Orbisa host. Everything lives in Orbisa.CFace.dll; this is only its entry.
#include "cface/host_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return OrbisaHostMain(instance, showCommand);
}
