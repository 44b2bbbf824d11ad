// Where a class file named by the viewer is: as given, or below the viewer's folder.
#pragma once

#include <stddef.h>

// Writes the path of the class file into path (capacity characters) and returns 1 when classFile
// names an existing file as given or, being relative, inside folder. 0 when it is empty, missing or
// its path would not fit.
int ClassFileLocate(const wchar_t* classFile, const wchar_t* folder, wchar_t* path, size_t capacity);
