// Operations on Windows paths in caller-owned buffers. Backslashes separate folders; a forward
// slash is accepted as well where a path is taken apart. A result that would not fit its buffer
// is never cut (a cut path names another file): the operation fails instead, as each one says.
// A null path, output buffer or required input is refused with 0 (and an empty output where there is
// one); only the parts documented as optional may be null.
#pragma once

#include <cstddef>

// Size in characters, terminator included, of the path buffers the library works with.
constexpr size_t kPathCapacity = 400;

// Appends a backslash unless the path is empty or already ends with a separator. 0 (path unchanged) when
// there is no room for it.
int PathEnsureSlash(wchar_t* path, size_t capacity = kPathCapacity);
// folder, exactly one backslash, name. 0 and an empty dest when the result does not fit. dest may
// be the folder buffer itself.
int PathJoin(wchar_t* dest, const wchar_t* folder, const wchar_t* name, size_t capacity = kPathCapacity);
// The folder including its final separator, and the part after it; either output may be null.
// Each output holds capacity characters; 0 when a part did not fit (that output is then empty).
// folderOut may be the path buffer itself (splitting in place); nameOut may not.
int PathSplit(wchar_t* folderOut, wchar_t* nameOut, const wchar_t* path, size_t capacity = kPathCapacity);
// The text after the last "." of the last component: 1, or 0 with an empty out when there is none.
// A dot in a folder name is no extension. 0 and an empty out when the extension does not fit.
int PathExtension(wchar_t* out, const wchar_t* path, size_t capacity = kPathCapacity);
// Replaces the extension of the last component, or appends one; a leading "." of extension is not
// doubled, an empty extension removes it. 0 (path unchanged) when the result does not fit.
int PathSetExtension(wchar_t* path, const wchar_t* extension, size_t capacity = kPathCapacity);
// Cuts the path at the last "." of its last component.
void PathRemoveExtension(wchar_t* path);
// drive (a colon added when missing), folder (a backslash added when missing), name, and "." and the
// extension when one is given. Null or empty parts are left out. 0 and an empty out when too long.
int PathCompose(wchar_t* out, const wchar_t* drive, const wchar_t* folder, const wchar_t* name,
                const wchar_t* extension, size_t capacity = kPathCapacity);
// Resolves a path starting with "." against base, a folder: one leading ".\" is dropped and each
// leading "..\" takes the last folder off base (never the drive). Returns 1 when resolved, 0 when
// the path did not start with "." (or base is empty) and was copied unchanged, -1 and an empty out
// when the result does not fit.
int PathResolve(wchar_t* out, const wchar_t* relative, const wchar_t* base, size_t capacity = kPathCapacity);
// The last run of decimal digits in the file name without its extension ("scan12b.las" gives 12),
// -1 when there is none. A run too large for an int gives the largest int.
int PathTrailingNumber(const wchar_t* path);
