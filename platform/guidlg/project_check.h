// Whether a file is something the engine can open: a Lidora project or an Ocularis session, told
// apart by their first line.
#pragma once

#include <stddef.h>

extern const char kProjectHeader[]; // "[Ocularis project]"
extern const char kSessionHeader[];

enum ProjectKind { ProjectKindNone, ProjectKindProject, ProjectKindSession };

// The kind of the file at path; for ProjectKindNone, reason (capacity characters) says why.
ProjectKind ProjectFileCheck(const wchar_t* path, wchar_t* reason, size_t capacity);
// The kind a file's first bytes show (a UTF-8 byte-order mark and blanks around the line are allowed,
// as the engine allows them).
ProjectKind ProjectKindOfText(const char* text, size_t length);
