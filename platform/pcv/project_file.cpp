#include "project_file.h"

#include "text_lines.h"

#include <windows.h>

#include <wchar.h>

#include <algorithm>

namespace {

void LineError(wchar_t* error, size_t errorChars, const wchar_t* text, int line, const wchar_t* path) {
    TextCopy(error, errorChars, text);
    TextAppend(error, errorChars, L" in line ");
    TextAppendUnsigned(error, errorChars, static_cast<uint64_t>(line));
    TextAppend(error, errorChars, L" of ");
    TextAppend(error, errorChars, path);
    TextAppend(error, errorChars, L".");
}

bool StartsWithWord(const wchar_t* line, const wchar_t* word) {
    size_t n = wcslen(word);
    return CompareStringOrdinal(line, static_cast<int>(std::min(wcslen(line), n)), word, static_cast<int>(n),
                                TRUE) == CSTR_EQUAL &&
           (line[n] == L' ' || line[n] == L'\t');
}

bool ResolveFolder(wchar_t* to, const wchar_t* projectFolder, const wchar_t* folder) {
    wchar_t joined[kPathChars];
    if (PathIsAbsolute(folder)) return FullPath(to, kPathChars, folder);
    return PathJoin(joined, kPathChars, projectFolder, folder) && FullPath(to, kPathChars, joined);
}

// Every .las file of the folder becomes a block, in name order.
bool BlocksFromFolder(ProjectFile* project, wchar_t* error, size_t errorChars) {
    wchar_t pattern[kPathChars];
    if (!PathJoin(pattern, kPathChars, project->sourceFolder, L"*.las")) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (!PathHasExtension(found.cFileName, L".las")) continue; // "*.las" also finds "x.lasx"
            ProjectBlock block{};
            PathStem(block.name, kMaxBlockNameChars + 1, found.cFileName);
            if (!ProjectBlockNameValid(block.name)) continue;
            PathJoin(block.source, kPathChars, project->sourceFolder, found.cFileName);
            project->blocks.push_back(block);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(project->blocks.begin(), project->blocks.end(),
              [](const ProjectBlock& a, const ProjectBlock& b) {
                  return CompareStringOrdinal(a.name, -1, b.name, -1, TRUE) == CSTR_LESS_THAN;
              });
    if (project->blocks.empty()) {
        TextCopy(error, errorChars, L"The project ");
        TextAppend(error, errorChars, project->path);
        TextAppend(error, errorChars, L" names no blocks, and its source folder ");
        TextAppend(error, errorChars, project->sourceFolder);
        TextAppend(error, errorChars, L" holds no LAS files.");
        return false;
    }
    return true;
}

// The source of a named block: <folder>\<name>.las, or the LAZ file of that name when only it exists
// (so that the conversion says why it cannot read it).
void BlockSource(const ProjectFile& project, ProjectBlock* block) {
    wchar_t name[kPathChars];
    TextCopy(name, kPathChars, block->name);
    TextAppend(name, kPathChars, L".las");
    PathJoin(block->source, kPathChars, project.sourceFolder, name);
    if (StorageFileExists(block->source)) return;
    wchar_t laz[kPathChars];
    TextCopy(name, kPathChars, block->name);
    TextAppend(name, kPathChars, L".laz");
    PathJoin(laz, kPathChars, project.sourceFolder, name);
    if (StorageFileExists(laz)) TextCopy(block->source, kPathChars, laz);
}

} // namespace

bool FullPath(wchar_t* full, size_t capacity, const wchar_t* path) {
    if (!path || !*path || capacity == 0) return false;
    DWORD length = GetFullPathNameW(path, static_cast<DWORD>(capacity), full, nullptr);
    return length > 0 && length < capacity;
}

bool ProjectBlockNameValid(const wchar_t* text) {
    size_t length = wcslen(text);
    if (length == 0 || length > kMaxBlockNameChars) return false;
    if (wcscmp(text, L".") == 0 || wcscmp(text, L"..") == 0) return false;
    if (text[length - 1] == L'.' || text[length - 1] == L' ') return false;
    for (const wchar_t* p = text; *p; ++p)
        if (*p < 32 || wcschr(L"\\/:*?\"<>|", *p)) return false;
    return true;
}

bool ProjectFileRead(const wchar_t* path, ProjectFile* project, wchar_t* error, size_t errorChars) {
    project->blocks.clear();
    project->lidoraStorage = true;
    project->sourceFolder[0] = 0;
    if (!FullPath(project->path, kPathChars, path)) {
        TextCopy(error, errorChars, L"The project path is empty or too long.");
        return false;
    }
    PathFolder(project->folder, kPathChars, project->path);
    PathStem(project->name, kPathChars, project->path);
    TextLines lines;
    int opened = TextLinesOpen(&lines, project->path);
    if (opened != kTextOpened) {
        TextCopy(error, errorChars,
                 opened == kTextMissing ? L"The project file does not exist: "
                                        : L"The project file cannot be read: ");
        TextAppend(error, errorChars, project->path);
        return false;
    }
    wchar_t line[kMaxLineChars + 1];
    int got = TextLinesNext(&lines, line);
    TextTrim(line);
    if (got != 1 || wcscmp(line, L"[Ocularis project]") != 0) {
        TextLinesClose(&lines);
        TextCopy(error, errorChars, L"The file ");
        TextAppend(error, errorChars, project->path);
        TextAppend(error, errorChars,
                   L" is not an Ocularis project: it does not start with \"[Ocularis project]\".");
        return false;
    }
    bool ok = true;
    while (ok && (got = TextLinesNext(&lines, line)) != 0) {
        if (got < 0) {
            LineError(error, errorChars, L"A line is longer than 1023 characters", lines.lineNumber,
                      project->path);
            ok = false;
            break;
        }
        TextTrim(line);
        wchar_t key[32];
        const wchar_t* value = nullptr;
        if (StartsWithWord(line, L"Block")) {
            ProjectBlock block{};
            wchar_t name[kMaxLineChars + 1];
            TextCopy(name, kMaxLineChars + 1, line + 5);
            TextTrim(name);
            if (!ProjectBlockNameValid(name)) {
                LineError(error, errorChars, L"The block name is not a usable file name", lines.lineNumber,
                          project->path);
                ok = false;
                break;
            }
            TextCopy(block.name, kMaxBlockNameChars + 1, name);
            for (const ProjectBlock& other : project->blocks) {
                if (TextEqualNoCase(other.name, block.name)) {
                    LineError(error, errorChars, L"A block is named twice", lines.lineNumber, project->path);
                    ok = false;
                }
            }
            project->blocks.push_back(block);
        } else if (TextSplitKey(line, key, 32, &value) && TextEqualNoCase(key, L"Storage")) {
            wchar_t folder[kMaxLineChars + 1];
            TextCopy(folder, kMaxLineChars + 1, value);
            TextTrim(folder);
            project->lidoraStorage = folder[0] == 0 || TextEqualNoCase(folder, L"Lidora");
            if (!project->lidoraStorage && !ResolveFolder(project->sourceFolder, project->folder, folder)) {
                LineError(error, errorChars, L"The storage folder is too long", lines.lineNumber,
                          project->path);
                ok = false;
            }
        }
    }
    TextLinesClose(&lines);
    if (!ok) return false;
    if (project->lidoraStorage) {
        if (project->blocks.empty()) {
            TextCopy(error, errorChars, L"The project ");
            TextAppend(error, errorChars, project->path);
            TextAppend(error, errorChars, L" names no blocks.");
            return false;
        }
        return true;
    }
    if (project->blocks.empty()) return BlocksFromFolder(project, error, errorChars);
    for (ProjectBlock& block : project->blocks) BlockSource(*project, &block);
    return true;
}
