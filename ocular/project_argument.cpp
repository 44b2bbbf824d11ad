// What the argument of "LoadProject" asks for, and whether a file is a session. Both are decided on
// the text alone, before anything of the engine is touched.
#include "projects.h"

#include <wchar.h>

ProjectArgumentKind ProjectArgumentKindOf(const wchar_t* argument) {
    if (!argument || !argument[0]) return kProjectArgumentAsk;
    // Exactly the two spellings a menu or a script uses; "Reload" may well be a file's name.
    if (wcscmp(argument, L"RELOAD") == 0 || wcscmp(argument, L"reload") == 0) return kProjectArgumentReload;
    // A path that does not fit the load's buffer would be cut into the name of another file.
    if (wcsnlen(argument, kProjectPathChars) >= kProjectPathChars) return kProjectArgumentTooLong;
    return kProjectArgumentPath;
}

bool IsSessionFile(const wchar_t* file) {
    const wchar_t* lastDot = wcsrchr(file, L'.');
    // Case matters: the engine writes ".tss"; a ".TSS" file is taken as a project. ".tssbak" and the
    // like are sessions too, as backups keep the content.
    return lastDot && wcsstr(lastDot, L".tss");
}
