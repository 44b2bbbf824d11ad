#include "loaded_project.h"

#include <string.h>

#include <new>

LoadedProject* LoadedProjectOpen(const ProjectFile& project, uint64_t cacheBytes, wchar_t* error,
                                 size_t errorChars) {
    LoadedProject* loaded = new (std::nothrow) LoadedProject();
    if (!loaded) {
        TextCopy(error, errorChars, L"There is not enough memory to load the project.");
        return nullptr;
    }
    loaded->project = project;
    if (!ReadProjectIndex(project.folder, project.name, &loaded->index, error, errorChars) ||
        !ReadProjectTables(project.folder, project.name, loaded->index, &loaded->tables, error, errorChars)) {
        LoadedProjectFree(loaded);
        return nullptr;
    }
    // The index must list exactly the blocks the project file names.
    const std::vector<ProjectBlockEntry>& entries = loaded->index.blocks;
    bool same = entries.size() == project.blocks.size();
    for (size_t i = 0; same && i < entries.size(); ++i)
        same = TextEqualNoCase(entries[i].name, project.blocks[i].name);
    if (!same) {
        TextCopy(error, errorChars, L"The storage of ");
        TextAppend(error, errorChars, project.path);
        TextAppend(error, errorChars, L" holds other blocks than the project names; convert it again.");
        LoadedProjectFree(loaded);
        return nullptr;
    }
    int count = static_cast<int>(entries.size());
    loaded->storages = new (std::nothrow) BlockStorage[count]();
    loaded->blocks = new (std::nothrow) CloudBlock[count]();
    if (!loaded->storages || !loaded->blocks) {
        TextCopy(error, errorChars, L"There is not enough memory to load the project.");
        LoadedProjectFree(loaded);
        return nullptr;
    }
    for (int b = 0; b < count; ++b) {
        if (!BlockStorageOpen(&loaded->storages[b], project.folder, entries[static_cast<size_t>(b)], error,
                              errorChars)) {
            LoadedProjectFree(loaded);
            return nullptr;
        }
        loaded->blockCount = b + 1;
        CloudBlock& block = loaded->blocks[b];
        block = loaded->storages[b].block;
        block.intensityLow = loaded->tables.intensity.low;
        block.intensityHigh = loaded->tables.intensity.high;
        block.elevationLow = loaded->tables.elevation.low;
        block.elevationHigh = loaded->tables.elevation.high;
        block.classColours = loaded->tables.classColours;
        loaded->channelMask |= block.channelMask;
    }
    if (!NodeCacheInit(&loaded->cache, loaded->storages, count, cacheBytes)) {
        TextCopy(error, errorChars, L"There is not enough memory to load the project.");
        LoadedProjectFree(loaded);
        return nullptr;
    }
    loaded->source = NodeCacheSource(&loaded->cache, loaded->blocks);
    return loaded;
}

void LoadedProjectFree(LoadedProject* loaded) {
    if (!loaded) return;
    NodeCacheFree(&loaded->cache);
    for (int b = 0; b < loaded->blockCount; ++b) BlockStorageClose(&loaded->storages[b]);
    delete[] loaded->storages;
    delete[] loaded->blocks;
    delete loaded;
}
