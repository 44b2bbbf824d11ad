#include "conversion.h"

#include "block_storage_statistics.h"
#include "block_storage_write.h"
#include "conversion_record.h"
#include "las_source.h"
#include "session_file.h"
#include "storage_names.h"

#include <windows.h>

#include <string.h>

#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace {

// What a block's storage becomes in this conversion.
struct BlockPlan {
    bool convert;
    ProjectBlockEntry entry;
    BlockStatisticsRecord* statistics; // owned by the plan list
    RecordedBlock record;
};

struct Conversion {
    const ConversionRequest* request;
    const WorkProgress* progress;
    ProjectFile project;
    ProjectIndex previousIndex;
    bool previousIndexOk;
    std::vector<BlockStatisticsRecord> previousStatistics;
    ConversionRecord record;
    std::vector<BlockPlan> plans;
    int toConvert;
    int converted;
};

bool Cancelled(const Conversion& c) {
    return c.progress->cancel && *c.progress->cancel;
}

void Report(const Conversion& c, int percent, const wchar_t* what, const wchar_t* block) {
    if (!c.progress->report) return;
    wchar_t text[kPathChars];
    TextCopy(text, kPathChars, what);
    if (block) {
        TextAppend(text, kPathChars, L": ");
        TextAppend(text, kPathChars, block);
    }
    c.progress->report(c.progress->context, percent, text);
}

// Blocks take 5 .. 90 %, each a share; within a block reading, building and writing take 40, 30, 30.
int BlockPercent(const Conversion& c, double phaseStart, double phaseShare, double fraction) {
    double share = c.toConvert > 0 ? 85.0 / c.toConvert : 85.0;
    return static_cast<int>(5 + share * (c.converted + phaseStart + phaseShare * fraction));
}

struct ReadProgressContext {
    Conversion* conversion;
    const wchar_t* block;
};

void ReportReading(void* context, double fraction) {
    ReadProgressContext* r = static_cast<ReadProgressContext*>(context);
    Report(*r->conversion, BlockPercent(*r->conversion, 0, 0.4, fraction), L"Reading points", r->block);
}

struct BuildProgressContext {
    Conversion* conversion;
    const wchar_t* block;
};

void ReportBuilding(void* context, int percent) {
    BuildProgressContext* b = static_cast<BuildProgressContext*>(context);
    Report(*b->conversion, BlockPercent(*b->conversion, 0.4, 0.3, percent / 100.0), L"Building octree",
           b->block);
}

// The statistics of a block's files from the last statistics table, when they were made with them.
const BlockStatisticsRecord* PreviousStatistics(const Conversion& c, const wchar_t* name,
                                                uint64_t storageId) {
    for (const BlockStatisticsRecord& r : c.previousStatistics)
        if (TextEqualNoCase(r.name, name) && r.storageId == storageId) return &r;
    return nullptr;
}

// Keeps a block's storage from an earlier conversion when its files are all there and sound, even
// when the project's index went with a failed conversion since. Fills the plan from it; false when
// the block must be converted (or cannot be kept).
bool KeepPrevious(const Conversion& c, const ProjectBlock& block, BlockPlan* plan) {
    BlockStorage storage;
    wchar_t ignored[512];
    if (!BlockStorageOpenAlone(&storage, c.project.folder, block.name, ignored, 512)) return false;
    plan->entry = EntryOfStorage(storage);
    TextCopy(plan->entry.name, kMaxBlockNameChars + 1, block.name);
    const BlockStatisticsRecord* statistics = PreviousStatistics(c, block.name, storage.tree.storageId);
    bool ok = true;
    if (statistics) {
        *plan->statistics = *statistics;
    } else {
        // Lost with a failed conversion: counted again from the files, which is far quicker than
        // converting the source again.
        ok = StatisticsOfStorage(&storage, &plan->statistics->statistics);
        TextCopy(plan->statistics->name, kMaxBlockNameChars + 1, block.name);
        plan->statistics->storageId = storage.tree.storageId;
    }
    BlockStorageClose(&storage);
    if (!ok) return false;
    const RecordedBlock* recorded = ConversionRecordFind(c.record, block.name);
    if (recorded && recorded->storageId == plan->entry.storageId) {
        plan->record = *recorded;
    } else {
        plan->record = RecordedBlock{};
        TextCopy(plan->record.name, kMaxBlockNameChars + 1, block.name);
        TextCopy(plan->record.source, kPathChars, block.source);
        plan->record.storageId = plan->entry.storageId;
        plan->record.points = plan->entry.pointCount;
    }
    return true;
}

// A LAS block is converted again when its source changed since (size or time), the channels asked
// for changed, or it has no sound storage. A block whose source is gone keeps its storage.
bool SourceChanged(const Conversion& c, const ProjectBlock& block) {
    const RecordedBlock* recorded = ConversionRecordFind(c.record, block.name);
    uint64_t bytes = 0, time = 0;
    if (!SourceFileStamp(block.source, &bytes, &time)) return false;
    return !recorded || !TextEqualNoCase(recorded->source, block.source) || recorded->sourceBytes != bytes ||
           recorded->sourceTime != time || recorded->channels != c.request->channels;
}

bool PlanBlocks(Conversion& c, wchar_t* error, size_t errorChars) {
    c.plans.resize(c.project.blocks.size());
    for (size_t i = 0; i < c.project.blocks.size(); ++i) {
        const ProjectBlock& block = c.project.blocks[i];
        BlockPlan& plan = c.plans[i];
        plan.statistics = new (std::nothrow) BlockStatisticsRecord();
        if (!plan.statistics) {
            TextCopy(error, errorChars, L"There is not enough memory to convert the project.");
            return false;
        }
        bool memoryBlock = c.request->fromMemory && i == 0;
        bool changed = !memoryBlock && !c.project.lidoraStorage && SourceChanged(c, block);
        plan.convert = memoryBlock || changed || !KeepPrevious(c, block, &plan);
        if (plan.convert && !memoryBlock) {
            uint64_t bytes, time;
            if (c.project.lidoraStorage) {
                TextCopy(error, errorChars, L"The storage of block ");
                TextAppend(error, errorChars, block.name);
                TextAppend(error, errorChars, L" of ");
                TextAppend(error, errorChars, c.project.path);
                TextAppend(error, errorChars,
                           L" is missing or damaged, and it has no source to convert it from.");
                return false;
            }
            if (!SourceFileStamp(block.source, &bytes, &time)) {
                TextCopy(error, errorChars, L"The source of block ");
                TextAppend(error, errorChars, block.name);
                TextAppend(error, errorChars, L" does not exist: ");
                TextAppend(error, errorChars, block.source);
                return false;
            }
        }
        if (plan.convert) ++c.toConvert;
    }
    return true;
}

bool ConvertColumns(Conversion& c, size_t index, PointColumns* columns, wchar_t* error, size_t errorChars) {
    const ProjectBlock& block = c.project.blocks[index];
    BlockPlan& plan = c.plans[index];
    const ConversionRequest& request = *c.request;
    if (!PointColumnsFinishColours(columns, request.threads)) {
        TextCopy(error, errorChars, L"There is not enough memory to convert the colours.");
        return false;
    }
    OctreeInput input = PointColumnsInput(*columns, request.channels);
    BlockStatisticsRecord& statistics = *plan.statistics;
    TextCopy(statistics.name, kMaxBlockNameChars + 1, block.name);
    StatisticsOfPoints(input, request.threads, &statistics.statistics);
    BuildProgressContext buildContext{&c, block.name};
    OctreeOptions options{};
    options.threads = request.threads;
    options.progress = ReportBuilding;
    options.progressContext = &buildContext;
    options.cancel = c.progress->cancel;
    options.statistics = &statistics.statistics;
    OctreeLayout layout;
    Report(c, BlockPercent(c, 0.4, 0.3, 0), L"Building octree", block.name);
    if (!OctreeBuildLayout(input, options, &layout, error, errorChars)) return false;
    StatisticsOfLevels(layout.block, &statistics.statistics);
    Report(c, BlockPercent(c, 0.7, 0.3, 0), L"Writing storage", block.name);
    BlockWriteRequest write{};
    write.projectFolder = c.project.folder;
    write.blockName = block.name;
    write.input = &input;
    write.layout = &layout;
    write.channels = request.channels ? request.channels : ~0ull;
    write.storageId = NewStorageId();
    write.colourSourceBits = columns->colourSourceBits;
    write.threads = request.threads;
    write.cancel = c.progress->cancel;
    bool ok = WriteBlockStorage(write, &plan.entry, error, errorChars);
    OctreeLayoutFree(&layout);
    if (!ok) return false;
    statistics.storageId = plan.entry.storageId;
    statistics.statistics.channelMask = plan.entry.channelMask;
    RecordedBlock& recorded = plan.record;
    recorded = RecordedBlock{};
    TextCopy(recorded.name, kMaxBlockNameChars + 1, block.name);
    recorded.storageId = plan.entry.storageId;
    recorded.channels = request.channels;
    recorded.points = plan.entry.pointCount;
    recorded.convertedAt = FileTimeNow();
    return true;
}

bool ConvertBlock(Conversion& c, size_t index, wchar_t* error, size_t errorChars) {
    const ProjectBlock& block = c.project.blocks[index];
    PointColumns columns;
    bool ok;
    uint64_t bytes = 0, time = 0;
    if (c.request->fromMemory && index == 0) {
        Report(c, BlockPercent(c, 0, 0.4, 0), L"Reading points", block.name);
        ok = MemorySourceColumns(c.request->memory, &columns, error, errorChars);
    } else {
        SourceFileStamp(block.source, &bytes, &time);
        ReadProgressContext readContext{&c, block.name};
        LasSourceProgress progress{ReportReading, &readContext, c.progress->cancel};
        Report(c, BlockPercent(c, 0, 0.4, 0), L"Reading points", block.name);
        ok = LasSourceRead(block.source, c.request->threads, progress, &columns, error, errorChars);
    }
    ok = ok && ConvertColumns(c, index, &columns, error, errorChars);
    PointColumnsFree(&columns);
    if (!ok) return false;
    RecordedBlock& recorded = c.plans[index].record;
    if (c.request->fromMemory && index == 0) {
        TextCopy(recorded.source, kPathChars, L"memory");
    } else {
        TextCopy(recorded.source, kPathChars, block.source);
        recorded.sourceBytes = bytes;
        recorded.sourceTime = time;
    }
    return true;
}

bool WriteProject(Conversion& c, wchar_t* error, size_t errorChars) {
    Report(c, 90, L"Writing project tables", nullptr);
    ConversionRecord record;
    std::vector<ProjectBlockEntry> entries;
    std::vector<BlockStatisticsRecord> statistics;
    for (const BlockPlan& plan : c.plans) {
        record.blocks.push_back(plan.record);
        entries.push_back(plan.entry);
        statistics.push_back(*plan.statistics);
    }
    if (!ConversionRecordWrite(c.project.folder, c.project.name, c.project.path, c.request->engine, record,
                               error, errorChars))
        return false;
    SummaryFacts facts{c.project.path, c.request->engine};
    return WriteProjectStorage(c.project.folder, c.project.name, NewStorageId(), entries.data(),
                               statistics.data(), static_cast<int>(entries.size()), facts, error, errorChars);
}

bool ResolveProjectFile(const wchar_t* file, wchar_t* project, wchar_t* error, size_t errorChars) {
    if (!SessionFileIs(file)) return TextCopy(project, kPathChars, file);
    return SessionProjectOf(file, project, kPathChars, error, errorChars);
}

bool Convert(Conversion& c, wchar_t* error, size_t errorChars) {
    const ConversionRequest& request = *c.request;
    Report(c, 1, L"Opening the project", nullptr);
    wchar_t projectPath[kPathChars];
    if (!ResolveProjectFile(request.file, projectPath, error, errorChars)) return false;
    if (!ProjectFileRead(projectPath, &c.project, error, errorChars)) return false;
    wchar_t ignored[512];
    c.previousIndexOk = ReadProjectIndex(c.project.folder, c.project.name, &c.previousIndex, ignored, 512);
    ReadBlockStatisticsTable(c.project.folder, c.project.name, &c.previousStatistics);
    ConversionRecordRead(c.project.folder, c.project.name, &c.record);
    if (!PlanBlocks(c, error, errorChars)) return false;
    // Nothing to convert and an index of these very blocks: the storage is loaded as it is.
    bool indexMatches = c.previousIndexOk && c.previousIndex.blocks.size() == c.plans.size();
    for (size_t i = 0; indexMatches && i < c.plans.size(); ++i)
        indexMatches = TextEqualNoCase(c.previousIndex.blocks[i].name, c.project.blocks[i].name) &&
                       c.previousIndex.blocks[i].storageId == c.plans[i].entry.storageId;
    if (c.toConvert == 0 && indexMatches) return true;
    // From here on the storage is not valid until the new index is written.
    DeleteProjectIndex(c.project.folder, c.project.name);
    wchar_t folder[kPathChars];
    StorageFolder(folder, kPathChars, c.project.folder);
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        StorageErrorText(error, errorChars, L"Could not create the storage folder", folder, GetLastError());
        return false;
    }
    bool ok = true;
    for (size_t i = 0; ok && i < c.plans.size(); ++i) {
        if (!c.plans[i].convert) continue;
        if (Cancelled(c)) {
            TextCopy(error, errorChars, L"The work was cancelled.");
            ok = false;
            break;
        }
        ok = ConvertBlock(c, i, error, errorChars);
        if (ok) ++c.converted;
    }
    ok = ok && WriteProject(c, error, errorChars);
    if (!ok) {
        // What this conversion wrote belongs to no valid project: give the space back.
        for (size_t i = 0; i < c.plans.size(); ++i)
            if (c.plans[i].convert) DeleteBlockStorage(c.project.folder, c.project.blocks[i].name);
        DeleteProjectFiles(c.project.folder, c.project.name);
    }
    return ok;
}

} // namespace

uint64_t NewStorageId() {
    static std::atomic<uint64_t> counter{0};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    uint64_t x = static_cast<uint64_t>(now.QuadPart) ^ FileTimeNow() ^
                 (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ull);
    // splitmix64: spreads the bits so that close inputs give unrelated ids.
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x ? x : 1;
}

LoadedProject* ConvertAndLoad(const ConversionRequest& request, const WorkProgress& progress, wchar_t* error,
                              size_t errorChars) {
    Conversion c{};
    c.request = &request;
    c.progress = &progress;
    bool ok = Convert(c, error, errorChars);
    for (BlockPlan& plan : c.plans) delete plan.statistics;
    c.plans.clear();
    if (!ok) return nullptr;
    Report(c, 95, L"Loading", nullptr);
    return LoadedProjectOpen(c.project, request.cacheBytes, error, errorChars);
}
