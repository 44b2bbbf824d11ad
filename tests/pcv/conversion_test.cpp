// Conversion into storage and loading from it, as the worker thread runs them: the exact set of files,
// every point back at full precision, the real sample files, reloading without the source, which
// blocks a later conversion converts again, and every input that must be refused with its reason.
#include "conversion.h"
#include "las_reader.h"
#include "node_cache.h"
#include "pcv_test_support.h"
#include "storage_io.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

using pcvtest::Narrow;

constexpr uint64_t kPluginChannels = 0x100000A2; // 1, 5, 7, 28: what the plug-in asks for

std::wstring Scratch() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return testenv::ScratchFolder(std::wstring(name.begin(), name.end()));
}

struct Result {
    LoadedProject* project = nullptr;
    std::wstring error;
    std::vector<int> percents;
    std::vector<std::wstring> descriptions;
    ~Result() { LoadedProjectFree(project); }
};

void Record(void* context, int percent, const wchar_t* description) {
    Result* r = static_cast<Result*>(context);
    r->percents.push_back(percent);
    if (r->descriptions.empty() || r->descriptions.back() != description)
        r->descriptions.push_back(description);
}

void Convert(Result* result, const std::wstring& file, uint64_t channels = 0,
             const pcvtest::MemoryScene* scene = nullptr) {
    ConversionRequest request{};
    wcsncpy(request.file, file.c_str(), kPathChars - 1);
    request.channels = channels;
    if (scene) {
        request.fromMemory = true;
        request.memory.points = scene->points.data();
        request.memory.classes = scene->classes.empty() ? nullptr : scene->classes.data();
        request.memory.intensities = scene->intensities.empty() ? nullptr : scene->intensities.data();
        request.memory.colours = scene->colours.empty() ? nullptr : scene->colours.data();
        request.memory.summary = scene->summary;
        request.memory.set = true;
    }
    wcscpy(request.engine, L"pcv storage 1; product 10, host 8.1");
    request.cacheBytes = 256ull << 20;
    request.threads = 2;
    WorkProgress progress{Record, result, nullptr};
    wchar_t error[2048] = L"";
    LoadedProjectFree(result->project);
    result->project = ConvertAndLoad(request, progress, error, 2048);
    result->error = error;
}

uint64_t StorageIdOf(const LoadedProject* project, int block) {
    return project->index.blocks[static_cast<size_t>(block)].storageId;
}

// Every point of the loaded project as (x, y, z, class, intensity, red), coordinates in master units.
using PointKey = std::tuple<double, double, double, int, int, int>;

std::multiset<PointKey> LoadedPoints(LoadedProject* project) {
    std::multiset<PointKey> points;
    for (int b = 0; b < project->blockCount; ++b) {
        const CloudBlock& block = project->blocks[b];
        for (uint32_t n = 0; n < block.nodeCount; ++n) {
            const NodePoints* p = project->source.acquire(project->source.context, b, static_cast<int>(n), 0);
            EXPECT_NE(p, nullptr);
            if (!p) continue;
            for (uint32_t k = 0; k < p->count; ++k) {
                points.insert({block.origin[0] + p->offsets[3 * k] * block.scale[0],
                               block.origin[1] + p->offsets[3 * k + 1] * block.scale[1],
                               block.origin[2] + p->offsets[3 * k + 2] * block.scale[2],
                               p->classification ? p->classification[k] : -1,
                               p->intensity ? p->intensity[k] : -1, p->rgb ? p->rgb[3 * k] : -1});
            }
            project->source.release(project->source.context, 0);
        }
    }
    return points;
}

// The files a memory conversion into the plug-in's data folder may leave: the plug-in deletes exactly
// these before each one.
const std::set<std::wstring> kStaleFiles = {
    L"octree\\singleblock.oct",      L"octree\\singleblock.c28",  L"octree\\singleblock.c07",
    L"octree\\singleblock.c05",      L"octree\\singleblock.c01",  L"octree\\LoadedPoints_STATS.c08",
    L"octree\\LoadedPoints_LUT.c05", L"octree\\LoadedPoints.oct", L"octree\\LoadedPoints.c28",
    L"octree\\LoadedPoints.c08",     L"octree\\LoadedPoints.c07", L"octree\\LoadedPoints.c05",
    L"octree\\LoadedPoints.c01",     L"octree\\LoadedPoints.inf", L"LoadedPoints.prj",
    L"LoadedPoints_shadow.prj",
};

TEST(MemoryConversion, WritesOnlyFilesOfThePluginsStaleList) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(60000);
    Result result;
    Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    std::set<std::wstring> files = pcvtest::ListFiles(folder);
    for (const std::wstring& file : files)
        EXPECT_TRUE(kStaleFiles.count(file)) << Narrow(file) << " is not on the list";
    // Lidora's points carry no return numbers, so neither singleblock.c28 is written nor any height
    // statistics file other than the project's.
    const std::set<std::wstring> expected = {
        L"LoadedPoints.prj",         L"LoadedPoints_shadow.prj",      L"octree\\singleblock.oct",
        L"octree\\singleblock.c01",  L"octree\\singleblock.c05",      L"octree\\singleblock.c07",
        L"octree\\LoadedPoints.oct", L"octree\\LoadedPoints.inf",     L"octree\\LoadedPoints.c01",
        L"octree\\LoadedPoints.c05", L"octree\\LoadedPoints_LUT.c05", L"octree\\LoadedPoints.c07",
        L"octree\\LoadedPoints.c28", L"octree\\LoadedPoints.c08",     L"octree\\LoadedPoints_STATS.c08",
    };
    EXPECT_EQ(files, expected);
    EXPECT_EQ(result.project->channelMask, (1ull << 0) | (1ull << 1) | (1ull << 5) | (1ull << 7));
}

TEST(MemoryConversion, EveryPointComesBackExactly) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(45000);
    scene.points[0] = {10, 20, 30}; // 637000.01, 849000.02, 400.03
    Result result;
    Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    std::multiset<PointKey> expected;
    const PointCloudSummary& s = scene.summary;
    for (size_t i = 0; i < scene.points.size(); ++i) {
        const Point3Di& p = scene.points[i];
        expected.insert({s.offsetX + p.x * s.scaleX, s.offsetY + p.y * s.scaleY, s.offsetZ + p.z * s.scaleZ,
                         scene.classes[i], scene.intensities[i], scene.colours[3 * i] >> 8});
    }
    std::multiset<PointKey> loaded = LoadedPoints(result.project);
    EXPECT_EQ(loaded.size(), expected.size());
    EXPECT_TRUE(loaded == expected);
    EXPECT_EQ(loaded.count({637000.01, 849000.02, 400.03, scene.classes[0], 0, 0}), 1u);
    uint64_t buildings = result.project->tables.classCounts[6];
    EXPECT_EQ(buildings, static_cast<uint64_t>(std::count(scene.classes.begin(), scene.classes.end(), 6)));
}

TEST(MemoryConversion, ProgressRisesAndNamesItsSteps) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(300000);
    Result result;
    Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    ASSERT_FALSE(result.percents.empty());
    EXPECT_TRUE(std::is_sorted(result.percents.begin(), result.percents.end()));
    EXPECT_LT(result.percents.back(), 100); // 100 is the worker's, once the project is published
    std::vector<std::wstring> steps;
    for (const std::wstring& d : result.descriptions) steps.push_back(d.substr(0, d.find(L':')));
    const std::vector<std::wstring> expected = {L"Opening the project",    L"Reading points",
                                                L"Building octree",        L"Writing storage",
                                                L"Writing project tables", L"Loading"};
    std::vector<std::wstring> unique;
    for (const std::wstring& s : steps)
        if (unique.empty() || unique.back() != s) unique.push_back(s);
    EXPECT_EQ(unique, expected);
}

TEST(MemoryConversion, ScenesWithoutColoursOrClassesStoreWhatTheyHave) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(5000);
    scene.colours.clear();
    scene.classes.clear();
    Result result;
    Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    EXPECT_EQ(result.project->channelMask, (1ull << 0) | (1ull << 1));
    std::set<std::wstring> files = pcvtest::ListFiles(folder);
    EXPECT_FALSE(files.count(L"octree\\singleblock.c05"));
    EXPECT_FALSE(files.count(L"octree\\singleblock.c07"));
}

TEST(MemoryConversion, AFullDiskInTheMiddleOfAFileIsReportedAndLeavesNothing) {
    // Limits below and above the write buffer of 4 MB: the write fails while the file is written,
    // or when it is closed.
    for (uint64_t limit : {1ull << 20, 6ull << 20}) {
        SCOPED_TRACE(limit);
        std::wstring folder = Scratch() + L"_" + std::to_wstring(limit);
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
        pcvtest::MemoryScene scene = pcvtest::MakeScene(500000);
        StorageSetWriteLimitForTests(limit);
        Result result;
        Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
        StorageSetWriteLimitForTests(0);
        EXPECT_EQ(result.project, nullptr);
        EXPECT_NE(result.error.find(L"the disk is full."), std::wstring::npos) << Narrow(result.error);
        EXPECT_EQ(result.error.rfind(L"Could not write " + folder + L"\\octree\\", 0), 0u)
            << Narrow(result.error);
        EXPECT_EQ(pcvtest::ListFiles(folder), std::set<std::wstring>{L"LoadedPoints.prj"});
    }
}

// A project in folder over one or more LAS sources in the folder "sources".
std::wstring LasProject(const std::wstring& folder, const std::vector<std::wstring>& blocks,
                        const std::wstring& storage = L"sources") {
    std::string text = "[Ocularis project]\r\nStorage=" + Narrow(storage) + "\r\n";
    for (const std::wstring& block : blocks) text += "Block " + Narrow(block) + "\r\n";
    std::wstring path = folder + L"\\site.prj";
    EXPECT_TRUE(pcvtest::WriteText(path, text));
    return path;
}

struct SampleCase {
    const wchar_t* file;
    uint64_t points;
    bool colours;
};

TEST(LasConversion, RealSampleFilesKeepEveryPoint) {
    std::wstring samples = pcvtest::SampleFolder();
    ASSERT_FALSE(samples.empty()) << "the shared sample folder is missing";
    const SampleCase cases[] = {
        {L"simple", 1065, true}, {L"vegetation_1_3", 10683, false}, {L"test1_4", 1000, false}};
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(Narrow(c.file));
        std::wstring folder = Scratch() + L"_" + c.file;
        CreateDirectoryW(folder.c_str(), nullptr);
        std::wstring project = LasProject(folder, {c.file}, samples);
        Result result;
        Convert(&result, project);
        ASSERT_NE(result.project, nullptr) << Narrow(result.error);
        // The reader's own view of the file is what the storage must hold.
        LasFile file{};
        wchar_t error[kLasErrorChars];
        ASSERT_TRUE(LasOpen(&file, (samples + L"\\" + c.file + L".las").c_str(), error, kLasErrorChars));
        std::vector<LasPoint> points(file.header.pointCount);
        ASSERT_EQ(
            LasReadPoints(&file, points.data(), static_cast<uint32_t>(points.size()), error, kLasErrorChars),
            static_cast<int64_t>(c.points));
        LasHeader header = file.header;
        LasClose(&file);
        std::multiset<PointKey> expected;
        for (const LasPoint& p : points)
            expected.insert({LasCoordinate(header, p.x, 0), LasCoordinate(header, p.y, 1),
                             LasCoordinate(header, p.z, 2), p.classification, p.intensity, 0});
        std::multiset<PointKey> loaded = LoadedPoints(result.project);
        ASSERT_EQ(loaded.size(), c.points);
        // Colours are compared on their own below; here positions, classes and intensities.
        std::multiset<PointKey> withoutColour;
        for (const PointKey& k : loaded)
            withoutColour.insert(
                {std::get<0>(k), std::get<1>(k), std::get<2>(k), std::get<3>(k), std::get<4>(k), 0});
        EXPECT_TRUE(withoutColour == expected);
        const CloudBlock& block = result.project->blocks[0];
        EXPECT_EQ(block.pointCount, c.points);
        EXPECT_EQ((block.channelMask >> 7) & 1, c.colours ? 1u : 0u);
        EXPECT_EQ((block.channelMask >> 28) & 1, 1u);
        for (int axis = 0; axis < 3; ++axis) {
            double low = HUGE_VAL, high = -HUGE_VAL;
            for (const LasPoint& p : points) {
                int32_t v = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
                low = std::min(low, LasCoordinate(header, v, axis));
                high = std::max(high, LasCoordinate(header, v, axis));
            }
            EXPECT_EQ(block.minimum[axis], low);
            EXPECT_EQ(block.maximum[axis], high);
        }
    }
}

TEST(LasConversion, GeneratedFilesOfEveryVersionConvert) {
    const struct {
        uint8_t minor, format;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 4}, {3, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 9}, {4, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE("1." + std::to_string(c.minor) + " format " + std::to_string(c.format));
        std::wstring folder = Scratch() + L"_" + std::to_wstring(c.minor) + L"_" + std::to_wstring(c.format);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
        ASSERT_EQ(pcvtest::WriteLasScene(folder + L"\\sources\\tile.las", 30000, c.minor, c.format), L"");
        Result result;
        Convert(&result, LasProject(folder, {L"tile"}));
        ASSERT_NE(result.project, nullptr) << Narrow(result.error);
        EXPECT_EQ(result.project->blocks[0].pointCount, 30000u);
        bool rgb = c.format == 2 || c.format == 3 || c.format == 5 || c.format == 7 || c.format == 8 ||
                   c.format == 10;
        EXPECT_EQ((result.project->channelMask >> 7) & 1, rgb ? 1u : 0u);
        uint64_t classes = 0;
        for (uint64_t count : result.project->tables.classCounts) classes += count > 0 ? 1 : 0;
        EXPECT_EQ(classes, 32u);
        EXPECT_EQ(result.project->tables.returnCounts[1], 10000u);
    }
}

TEST(LasConversion, ProjectWithoutBlockLinesTakesEveryLasFileOfTheFolder) {
    std::wstring folder = Scratch();
    CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
    for (const wchar_t* name : {L"b", L"a", L"c"})
        ASSERT_EQ(pcvtest::WriteLasScene(folder + L"\\sources\\" + name + L".las", 1000), L"");
    Result result;
    Convert(&result, LasProject(folder, {}));
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    ASSERT_EQ(result.project->blockCount, 3);
    EXPECT_STREQ(result.project->index.blocks[0].name, L"a");
    EXPECT_STREQ(result.project->index.blocks[2].name, L"c");
}

TEST(LasConversion, ReloadsFromStorageWhenTheSourceIsGone) {
    std::wstring folder = Scratch();
    CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
    ASSERT_EQ(pcvtest::WriteLasScene(folder + L"\\sources\\north.las", 20000), L"");
    std::wstring project = LasProject(folder, {L"north"});
    Result first;
    Convert(&first, project);
    ASSERT_NE(first.project, nullptr) << Narrow(first.error);
    uint64_t id = StorageIdOf(first.project, 0);
    std::multiset<PointKey> before = LoadedPoints(first.project);
    ASSERT_TRUE(DeleteFileW((folder + L"\\sources\\north.las").c_str()));
    Result again;
    Convert(&again, project);
    ASSERT_NE(again.project, nullptr) << Narrow(again.error);
    EXPECT_EQ(StorageIdOf(again.project, 0), id);
    EXPECT_TRUE(LoadedPoints(again.project) == before);
}

TEST(LasConversion, ConvertsAgainOnlyWhatChanged) {
    std::wstring folder = Scratch();
    CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
    std::wstring north = folder + L"\\sources\\north.las", south = folder + L"\\sources\\south.las";
    ASSERT_EQ(pcvtest::WriteLasScene(north, 5000), L"");
    ASSERT_EQ(pcvtest::WriteLasScene(south, 6000), L"");
    std::wstring project = LasProject(folder, {L"north", L"south"});
    Result result;
    Convert(&result, project);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    uint64_t ids[2] = {StorageIdOf(result.project, 0), StorageIdOf(result.project, 1)};

    struct Paths {
        std::wstring folder, north, south;
    } paths{folder, north, south};
    const struct {
        const char* change;
        uint64_t channels;
        bool northAgain, southAgain;
        bool (*make)(const Paths& p);
    } steps[] = {
        {"nothing", 0, false, false, [](const Paths&) { return true; }},
        {"south touched", 0, false, true, [](const Paths& p) { return pcvtest::TouchLater(p.south, 60); }},
        {"north rewritten with more points", 0, true, false,
         [](const Paths& p) { return pcvtest::WriteLasScene(p.north, 7000).empty(); }},
        {"other channels asked for", kPluginChannels, true, true, [](const Paths&) { return true; }},
        {"north's storage damaged", kPluginChannels, true, false,
         [](const Paths& p) { return pcvtest::DamageByte(p.folder + L"\\octree\\north.oct", 500); }},
        {"south's storage deleted", kPluginChannels, false, true,
         [](const Paths& p) { return DeleteFileW((p.folder + L"\\octree\\south.c01").c_str()) != 0; }},
        {"the index deleted", kPluginChannels, false, false,
         [](const Paths& p) { return DeleteFileW((p.folder + L"\\octree\\site.oct").c_str()) != 0; }},
        {"the index and the statistics deleted", kPluginChannels, false, false,
         [](const Paths& p) {
             return DeleteFileW((p.folder + L"\\octree\\site.oct").c_str()) &&
                    DeleteFileW((p.folder + L"\\octree\\site_STATS.c08").c_str());
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        LoadedProjectFree(result.project); // a loaded project keeps its files open
        result.project = nullptr;
        ASSERT_TRUE(step.make(paths));
        Convert(&result, project, step.channels);
        ASSERT_NE(result.project, nullptr) << Narrow(result.error);
        uint64_t now[2] = {StorageIdOf(result.project, 0), StorageIdOf(result.project, 1)};
        EXPECT_EQ(now[0] != ids[0], step.northAgain);
        EXPECT_EQ(now[1] != ids[1], step.southAgain);
        ids[0] = now[0];
        ids[1] = now[1];
    }
    EXPECT_EQ(result.project->blocks[0].pointCount, 7000u);
    // Statistics counted again from the kept files are those the conversion counted.
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(result.project->tables.classCounts[c],
                  c < 32 ? 7000u / 32 + (c < 7000 % 32) + 6000u / 32 + (c < 6000 % 32) : 0u)
            << "class " << c;
}

// Where a refusal case sets up its files; file is what is converted.
struct RefusalPaths {
    std::wstring folder, source, project, file;
};

bool Write(const std::wstring& path, const std::string& text) {
    return pcvtest::WriteText(path, text);
}

// Refused inputs: how each is made, and the text the error must contain.
struct RefusalCase {
    const char* name;
    const wchar_t* expected; // a part of the error text; null: the LAS reader's own text for the file
    bool (*make)(RefusalPaths& p);
};

const RefusalCase kRefusals[] = {
    {"missing project", L"The project file does not exist: ",
     [](RefusalPaths& p) {
         p.file = p.folder + L"\\nothing.prj";
         return true;
     }},
    {"not a project", L"is not an Ocularis project: it does not start with \"[Ocularis project]\".",
     [](RefusalPaths& p) { return Write(p.project, "[Something else]\r\nBlock north\r\n"); }},
    {"block name with a folder", L"The block name is not a usable file name in line 3 of ",
     [](RefusalPaths& p) {
         return Write(p.project, "[Ocularis project]\r\nStorage=sources\r\nBlock ..\\north\r\n");
     }},
    {"block named twice", L"A block is named twice in line 4 of ",
     [](RefusalPaths& p) {
         return Write(p.project, "[Ocularis project]\r\nStorage=sources\r\nBlock north\r\nBlock NORTH\r\n");
     }},
    {"line too long", L"A line is longer than 1023 characters in line 2 of ",
     [](RefusalPaths& p) {
         return Write(p.project, "[Ocularis project]\r\nStorage=" + std::string(1100, 'x') + "\r\n");
     }},
    {"Lidora project without storage", L"is missing or damaged, and it has no source to convert it from.",
     [](RefusalPaths& p) {
         p.file = p.folder + L"\\LoadedPoints.prj";
         return pcvtest::WriteLoadedPointsProject(p.folder);
     }},
    {"missing source", L"The source of block north does not exist: ",
     [](RefusalPaths& p) { return DeleteFileW(p.source.c_str()) != 0; }},
    {"LAZ source", L"Compressed LAZ files are not supported",
     [](RefusalPaths& p) {
         return DeleteFileW(p.source.c_str()) &&
                Write(p.folder + L"\\sources\\north.laz", std::string("LASF") + std::string(400, '\0'));
     }},
    {"bad signature", nullptr, [](RefusalPaths& p) { return pcvtest::DamageByte(p.source, 0); }},
    {"truncated header", nullptr, [](RefusalPaths& p) { return pcvtest::Truncate(p.source, 100); }},
    {"truncated points", nullptr,
     [](RefusalPaths& p) { return pcvtest::Truncate(p.source, pcvtest::FileSize(p.source) - 1000); }},
    {"empty LAS file", L"The LAS file holds no points: ",
     [](RefusalPaths& p) { return pcvtest::WriteLasScene(p.source, 0).empty(); }},
    {"session without project", L"The session names no project: ",
     [](RefusalPaths& p) {
         p.file = p.folder + L"\\view.tss";
         return Write(p.file, "[Ocularis session]\r\nVersion=1\r\n");
     }},
    {"disk full", L"the disk is full.",
     [](RefusalPaths&) {
         StorageSetWriteLimitForTests(100000);
         return true;
     }},
};

// The reader's own complaint about a LAS file, when it has one.
std::wstring ReaderError(const std::wstring& path) {
    LasFile las{};
    wchar_t error[kLasErrorChars] = L"";
    if (LasOpen(&las, path.c_str(), error, kLasErrorChars)) {
        std::vector<LasPoint> points(las.header.pointCount);
        LasReadPoints(&las, points.data(), static_cast<uint32_t>(points.size()), error, kLasErrorChars);
        LasClose(&las);
    }
    return error;
}

TEST(LasConversion, RefusesBadInputWithItsReasonAndLeavesNoValidStorage) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.name);
        RefusalPaths paths;
        paths.folder = Scratch() + L"_" + std::to_wstring(&c - kRefusals);
        CreateDirectoryW(paths.folder.c_str(), nullptr);
        CreateDirectoryW((paths.folder + L"\\sources").c_str(), nullptr);
        paths.source = paths.folder + L"\\sources\\north.las";
        paths.project = LasProject(paths.folder, {L"north"});
        paths.file = paths.project;
        ASSERT_EQ(pcvtest::WriteLasScene(paths.source, 3000), L"");
        ASSERT_TRUE(c.make(paths));
        Result result;
        Convert(&result, paths.file);
        StorageSetWriteLimitForTests(0);
        EXPECT_EQ(result.project, nullptr);
        std::wstring expected = c.expected ? c.expected : ReaderError(paths.source);
        ASSERT_FALSE(expected.empty()) << "the reader accepts the file";
        EXPECT_NE(result.error.find(expected), std::wstring::npos)
            << "error: " << Narrow(result.error) << "\nexpected: " << Narrow(expected);
        // Nothing is left that a later load would take for a converted project.
        std::set<std::wstring> files = pcvtest::ListFiles(paths.folder);
        EXPECT_FALSE(files.count(L"octree\\site.oct"));
        EXPECT_FALSE(files.count(L"octree\\north.oct"));
        EXPECT_FALSE(files.count(L"octree\\north.c01"));
    }
}

struct DamagePaths {
    std::wstring folder, path;
};

struct DamageCase {
    const char* name;
    const wchar_t* file;
    const wchar_t* expected;
    bool (*make)(const DamagePaths& p);
};

// Converts the same source in a folder of its own and copies one of its files over p.path: a file of
// the same size from another conversion.
bool CopyFromAnotherConversion(const DamagePaths& p);

const DamageCase kDamages[] = {
    {"index truncated", L"octree\\site.oct", L"site.oct is truncated.",
     [](const DamagePaths& p) { return pcvtest::Truncate(p.path, 100); }},
    {"index damaged", L"octree\\site.oct", L"site.oct is damaged or was not written by this engine.",
     [](const DamagePaths& p) { return pcvtest::DamageByte(p.path, 40); }},
    {"tree header damaged", L"octree\\north.oct", L"north.oct is damaged or belongs to another conversion.",
     [](const DamagePaths& p) { return pcvtest::DamageByte(p.path, 40); }},
    {"node table damaged", L"octree\\north.oct", L"north.oct is damaged or belongs to another conversion.",
     [](const DamagePaths& p) { return pcvtest::DamageByte(p.path, 424 + 50); }},
    {"tree truncated", L"octree\\north.oct", L"north.oct is truncated.",
     [](const DamagePaths& p) { return pcvtest::Truncate(p.path, pcvtest::FileSize(p.path) - 7); }},
    {"channel file missing", L"octree\\north.c05", L"north.c05 is missing.",
     [](const DamagePaths& p) { return DeleteFileW(p.path.c_str()) != 0; }},
    {"channel file truncated", L"octree\\north.c07", L"north.c07 is truncated.",
     [](const DamagePaths& p) { return pcvtest::Truncate(p.path, pcvtest::FileSize(p.path) - 7); }},
    {"channel file of another conversion", L"octree\\north.c01",
     L"north.c01 is damaged or belongs to another conversion.", CopyFromAnotherConversion},
    {"table damaged", L"octree\\site_STATS.c08",
     L"site_STATS.c08 is damaged or belongs to another conversion.",
     [](const DamagePaths& p) { return pcvtest::DamageByte(p.path, -3); }},
    {"table missing", L"octree\\site_LUT.c05", L"site_LUT.c05 is missing.",
     [](const DamagePaths& p) { return DeleteFileW(p.path.c_str()) != 0; }},
};

bool CopyFromAnotherConversion(const DamagePaths& p) {
    std::wstring other = p.folder + L"_other";
    CreateDirectoryW(other.c_str(), nullptr);
    CreateDirectoryW((other + L"\\sources").c_str(), nullptr);
    if (!pcvtest::WriteLasScene(other + L"\\sources\\north.las", 40000).empty()) return false;
    Result second;
    Convert(&second, LasProject(other, {L"north"}));
    if (!second.project) return false;
    LoadedProjectFree(second.project);
    second.project = nullptr;
    return CopyFileW((other + L"\\octree\\north.c01").c_str(), p.path.c_str(), FALSE) != 0;
}

TEST(LasConversion, LoadRefusesDamagedStorage) {
    for (const DamageCase& c : kDamages) {
        SCOPED_TRACE(c.name);
        std::wstring folder = Scratch() + L"_" + std::to_wstring(&c - kDamages);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\sources").c_str(), nullptr);
        ASSERT_EQ(pcvtest::WriteLasScene(folder + L"\\sources\\north.las", 40000), L"");
        std::wstring project = LasProject(folder, {L"north"});
        {
            Result result;
            Convert(&result, project);
            ASSERT_NE(result.project, nullptr) << Narrow(result.error);
        }
        ASSERT_TRUE(c.make({folder, folder + L"\\" + c.file}));
        ProjectFile parsed;
        wchar_t error[2048] = L"";
        ASSERT_TRUE(ProjectFileRead(project.c_str(), &parsed, error, 2048));
        LoadedProject* loaded = LoadedProjectOpen(parsed, 64ull << 20, error, 2048);
        EXPECT_EQ(loaded, nullptr);
        LoadedProjectFree(loaded);
        EXPECT_NE(std::wstring(error).find(c.expected), std::wstring::npos) << Narrow(error);
    }
}

TEST(NodeCache, ReadsOnDemandEvictsUnderTheLimitAndRefusesDamagedNodes) {
    std::wstring folder = Scratch();
    ASSERT_TRUE(pcvtest::WriteLoadedPointsProject(folder));
    pcvtest::MemoryScene scene = pcvtest::MakeScene(400000);
    Result result;
    Convert(&result, folder + L"\\LoadedPoints.prj", kPluginChannels, &scene);
    ASSERT_NE(result.project, nullptr) << Narrow(result.error);
    NodeCache& cache = result.project->cache;
    const CloudSource& source = result.project->source;
    uint32_t nodes = source.blocks[0].nodeCount;
    ASSERT_GT(nodes, 10u);
    EXPECT_EQ(cache.residentNodes, 0u) << "loading reads no points";
    // A limit of three nodes' worth: pinned nodes stay, the oldest unpinned ones go.
    uint64_t nodeBytes = 0;
    for (uint32_t n = 0; n < nodes; ++n)
        nodeBytes = std::max(nodeBytes, NodeCacheBytes(result.project->storages[0], n));
    NodeCacheSetLimit(&cache, 3 * nodeBytes);
    ASSERT_NE(source.acquire(source.context, 0, 0, 5), nullptr);
    EXPECT_EQ(cache.reads, 1u);
    EXPECT_NE(source.acquire(source.context, 0, 0, 5), nullptr);
    EXPECT_EQ(cache.reads, 1u) << "a resident node is not read again";
    uint64_t acquired = 0;
    for (uint32_t n = 1; n < nodes; ++n)
        acquired += source.acquire(source.context, 0, static_cast<int>(n), 6) ? 1 : 0;
    EXPECT_LT(acquired, nodes - 1) << "nodes beyond the limit beside the pinned ones cannot be had";
    EXPECT_LE(cache.usedBytes, 3 * nodeBytes);
    source.release(source.context, 6);
    source.release(source.context, 5);
    for (uint32_t n = 0; n < nodes; ++n) {
        EXPECT_NE(source.acquire(source.context, 0, static_cast<int>(n), 1), nullptr) << "node " << n;
        source.release(source.context, 1);
        EXPECT_LE(cache.usedBytes, 3 * nodeBytes);
    }
    EXPECT_GT(cache.evictions, 0u);
    EXPECT_EQ(source.acquire(source.context, 0, static_cast<int>(nodes), 1), nullptr);
    EXPECT_EQ(source.acquire(source.context, 1, 0, 1), nullptr);
    // A node whose data no longer matches its CRC is refused, and reported once.
    NodeCacheSetLimit(&cache, 0);
    int reports = 0;
    cache.reportFailure = [](void* context, const wchar_t*) { ++*static_cast<int*>(context); };
    cache.reportContext = &reports;
    NodeCacheSetLimit(&cache, 256ull << 20);
    uint64_t at = result.project->storages[0].tree.positionsOffset + 5;
    StorageReaderClose(&result.project->storages[0].files[0]);
    ASSERT_TRUE(pcvtest::DamageByte(folder + L"\\octree\\singleblock.oct", static_cast<long long>(at)));
    ASSERT_TRUE(StorageReaderOpen(&result.project->storages[0].files[0],
                                  (folder + L"\\octree\\singleblock.oct").c_str()));
    EXPECT_EQ(source.acquire(source.context, 0, 0, 1), nullptr);
    EXPECT_EQ(source.acquire(source.context, 0, 0, 1), nullptr);
    EXPECT_EQ(reports, 1);
    EXPECT_NE(source.acquire(source.context, 0, 1, 1), nullptr);
}

} // namespace
