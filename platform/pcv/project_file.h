// Project files (.prj): 8-bit text naming the blocks of a project and where their points come from.
//
//     [Ocularis project]          first line, exactly (blanks around it are ignored)
//     Storage=Lidora              the blocks' storage is in octree\ beside this file; no sources
//     Storage=D:\scans\site       or: the folder of the LAS source files (relative: to this file)
//     Block singleblock           one line per block; its source is <folder>\<name>.las
//
// Empty lines, lines starting with ";" or "#" and unknown lines are ignored. Without a Storage line
// the storage is Lidora's. With a source folder and no Block line every .las file of the folder is a
// block, named after the file. A block's name is a file name without folder (at most 120 characters).
#pragma once

#include "engine_text.h"
#include "storage_format.h"

#include <stddef.h>

#include <vector>

struct ProjectBlock {
    wchar_t name[kMaxBlockNameChars + 1];
    wchar_t source[kPathChars]; // the LAS (or LAZ) file; empty for Lidora storage
};

struct ProjectFile {
    wchar_t path[kPathChars];   // full path of the project file
    wchar_t folder[kPathChars]; // its folder: the storage is in folder\octree
    wchar_t name[kPathChars];   // its name without extension: the project-level files are named so
    bool lidoraStorage;
    wchar_t sourceFolder[kPathChars];
    std::vector<ProjectBlock> blocks;
};

// Reads and checks a project file. False with the reason in error.
bool ProjectFileRead(const wchar_t* path, ProjectFile* project, wchar_t* error, size_t errorChars);

// True when text is a usable block name.
bool ProjectBlockNameValid(const wchar_t* text);

// The full path of path (relative paths from the current folder). False when it does not fit.
bool FullPath(wchar_t* full, size_t capacity, const wchar_t* path);
