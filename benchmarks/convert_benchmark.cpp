// Conversion and storage benchmark of the pcv engine.
//
//   convert_benchmark [folder]          converts a generated LAS file of 10 million points and prints
//                                       points per second, beside the time to read the file once; then
//                                       measures the memory of rendering 50 million points from storage
//   convert_benchmark --render <folder> (run by the first form in a process of its own, so that the
//                                       conversion's memory does not count) renders the 50-million-
//                                       point project of folder under a 1 GB memory limit and prints
//                                       the largest working set
//
// The files go to folder (default: pcv_benchmark_data in the current folder) and are left there.
#include "conversion.h"
#include "las_reader.h"
#include "las_writer.h"
#include "loaded_project.h"
#include "render/renderer.h"

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

constexpr uint32_t kLasPoints = 10000000;
constexpr uint32_t kMemoryPoints = 50000000;
constexpr uint64_t kMemoryLimitMegabytes = 1024;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double WorkingSetMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize / 1048576.0;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

bool WriteText(const std::wstring& path, const char* text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr) && written == strlen(text);
    CloseHandle(file);
    return ok;
}

// A terrain of count points over 2 x 2 km in centimetres, with buildings and trees, every attribute
// varying, in the order a scanner writes: strip after strip.
void ScenePoint(uint32_t i, uint32_t count, int32_t* x, int32_t* y, int32_t* z, uint8_t* c) {
    uint32_t side = static_cast<uint32_t>(sqrt(static_cast<double>(count))) + 1;
    uint32_t row = i / side, column = i % side;
    uint32_t hash = i * 2654435761u;
    *x = static_cast<int32_t>(column * (200000.0 / side)) + static_cast<int32_t>(hash % 7);
    *y = static_cast<int32_t>(row * (200000.0 / side)) + static_cast<int32_t>((hash >> 8) % 7);
    double ground = 800 * sin(*x * 3e-5) + 600 * cos(*y * 4e-5);
    *c = 2;
    bool building = (*x / 10000) % 4 == 1 && (*y / 10000) % 4 == 2;
    if (building) {
        ground += 1500;
        *c = 6;
    } else if ((hash >> 4) % 5 == 0) {
        ground += 300 + (hash >> 12) % 2000;
        *c = 5;
    }
    *z = static_cast<int32_t>(ground);
}

bool WriteLasScene(const std::wstring& path, uint32_t count) {
    LasWriteOptions options{};
    options.versionMinor = 2;
    options.pointFormat = 3;
    options.scale[0] = options.scale[1] = options.scale[2] = 0.01;
    options.offset[0] = 637000;
    options.offset[1] = 849000;
    options.offset[2] = 100;
    LasWriter writer{};
    wchar_t error[kLasErrorChars];
    if (!LasCreate(&writer, path.c_str(), options, error, kLasErrorChars)) {
        printf("cannot create the LAS file: %s\n", Narrow(error).c_str());
        return false;
    }
    std::vector<LasPoint> batch(65536);
    for (uint32_t start = 0; start < count; start += 65536) {
        uint32_t n = count - start < 65536 ? count - start : 65536;
        for (uint32_t k = 0; k < n; ++k) {
            LasPoint& p = batch[k];
            p = LasPoint{};
            uint32_t i = start + k;
            ScenePoint(i, count, &p.x, &p.y, &p.z, &p.classification);
            p.intensity = static_cast<uint16_t>((i * 37) & 0xFFFF);
            p.returnNumber = static_cast<uint8_t>(1 + i % 3);
            p.numberOfReturns = 3;
            p.red = static_cast<uint16_t>((i & 0xFF) << 8);
            p.green = static_cast<uint16_t>(p.classification * 9000);
            p.blue = 20000;
            p.gpsTime = i * 1e-5;
        }
        if (!LasWritePoints(&writer, batch.data(), n)) return false;
    }
    return LasFinish(&writer) != 0;
}

double ReadOnce(const std::wstring& path) {
    double start = Seconds();
    LasFile file{};
    wchar_t error[kLasErrorChars];
    if (!LasOpen(&file, path.c_str(), error, kLasErrorChars)) return -1;
    std::vector<LasPoint> batch(65536);
    int64_t got;
    uint64_t total = 0;
    while ((got = LasReadPoints(&file, batch.data(), 65536, error, kLasErrorChars)) > 0)
        total += static_cast<uint64_t>(got);
    LasClose(&file);
    return total == kLasPoints ? Seconds() - start : -1;
}

struct Steps {
    double start;
    std::wstring last;
};

void PrintSteps(void* context, int, const wchar_t* description) {
    Steps* steps = static_cast<Steps*>(context);
    std::wstring step = description;
    step = step.substr(0, step.find(L':'));
    if (step == steps->last) return;
    printf("  %6.2f s  %s\n", Seconds() - steps->start, Narrow(step.c_str()).c_str());
    steps->last = step;
}

LoadedProject* Convert(const std::wstring& project, uint64_t channels, const MemoryPoints* memory,
                       bool verbose, double* seconds) {
    ConversionRequest request{};
    wcsncpy(request.file, project.c_str(), kPathChars - 1);
    request.channels = channels;
    if (memory) {
        request.fromMemory = true;
        request.memory = *memory;
    }
    wcscpy(request.engine, L"pcv convert_benchmark");
    request.cacheBytes = 256ull << 20;
    request.threads = 2;
    Steps steps{Seconds(), L""};
    WorkProgress progress{verbose ? PrintSteps : nullptr, &steps, nullptr};
    wchar_t error[2048] = L"";
    LoadedProject* loaded = ConvertAndLoad(request, progress, error, 2048);
    *seconds = Seconds() - steps.start;
    if (!loaded) printf("conversion failed: %s\n", Narrow(error).c_str());
    return loaded;
}

int ConvertLas(const std::wstring& folder) {
    std::wstring sources = folder + L"\\sources";
    CreateDirectoryW(sources.c_str(), nullptr);
    std::wstring las = sources + L"\\tile.las";
    printf("Conversion of a generated LAS file of %u points (LAS 1.2, format 3)\n", kLasPoints);
    double start = Seconds();
    if (!WriteLasScene(las, kLasPoints)) return 1;
    printf("  written in %.2f s\n", Seconds() - start);
    double read = ReadOnce(las);
    double readAgain = ReadOnce(las); // the first read may still come from the disk
    if (read < 0 || readAgain < 0) {
        printf("reading the file failed\n");
        return 1;
    }
    std::wstring project = folder + L"\\site.prj";
    WriteText(project, "[Ocularis project]\r\nStorage=sources\r\nBlock tile\r\n");
    DeleteFileW((folder + L"\\site_shadow.prj").c_str()); // so that the block is converted again
    double seconds = 0;
    LoadedProject* loaded = Convert(project, 0x100000A2, nullptr, true, &seconds);
    if (!loaded) return 1;
    printf("  read the file once:  %.2f s (%.1f million points/s), again %.2f s\n", read,
           kLasPoints / read / 1e6, readAgain);
    printf("  convert and load:    %.2f s: %.2f million points/s\n", seconds, kLasPoints / seconds / 1e6);
    LoadedProjectFree(loaded);
    return 0;
}

// The 50-million-point scene in Lidora's memory form, converted into folder\memory.
int ConvertMemoryScene(const std::wstring& folder) {
    std::wstring data = folder + L"\\memory";
    CreateDirectoryW(data.c_str(), nullptr);
    WriteText(data + L"\\LoadedPoints.prj",
              "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n");
    printf("\nConversion of %u points in memory\n", kMemoryPoints);
    std::vector<Point3Di> points(kMemoryPoints);
    std::vector<unsigned char> classes(kMemoryPoints);
    std::vector<unsigned short> intensities(kMemoryPoints), colours(3ull * kMemoryPoints);
    for (uint32_t i = 0; i < kMemoryPoints; ++i) {
        ScenePoint(i, kMemoryPoints, &points[i].x, &points[i].y, &points[i].z, &classes[i]);
        intensities[i] = static_cast<unsigned short>((i * 37) & 0xFFFF);
        colours[3ull * i] = static_cast<unsigned short>((i & 0xFF) << 8);
        colours[3ull * i + 1] = static_cast<unsigned short>(classes[i] * 9000);
        colours[3ull * i + 2] = 20000;
    }
    MemoryPoints memory{};
    memory.points = points.data();
    memory.classes = classes.data();
    memory.intensities = intensities.data();
    memory.colours = colours.data();
    memory.summary.pointCount = kMemoryPoints;
    memory.summary.scaleX = memory.summary.scaleY = memory.summary.scaleZ = 0.01;
    memory.summary.offsetX = 637000;
    memory.summary.offsetY = 849000;
    memory.summary.offsetZ = 100;
    memory.set = true;
    double seconds = 0;
    LoadedProject* loaded = Convert(data + L"\\LoadedPoints.prj", 0x100000A2, &memory, false, &seconds);
    if (!loaded) return 1;
    printf("  convert and load:    %.2f s: %.2f million points/s\n", seconds, kMemoryPoints / seconds / 1e6);
    LoadedProjectFree(loaded);
    return 0;
}

// A stereo camera looking down from height above (x, y), as the plug-in fills its record.
void DownwardView(ProjectionImageData* view, double x, double y, double height, double ground) {
    uint8_t* pixels = view->imageBuffer;
    memset(view, 0, sizeof(*view));
    view->imageBuffer = pixels;
    const float rotation[3][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    memcpy(view->rotation, rotation, sizeof(rotation));
    view->flags = PcvViewStereo;
    view->imageWidth = 3960;
    view->imageHeight = 2160;
    view->heightToWidth = 2160.0f / 3960.0f;
    double dy = height * 0.8;
    view->projectionScale1 = static_cast<float>(2 * height / dy);
    view->projectionScale2 = 1;
    view->cameraPosition[0] = x;
    view->cameraPosition[1] = y;
    view->cameraPosition[2] = ground + height;
    view->nearDistance = view->viewBoxNear = 1;
    view->farDistance = view->viewBoxFar = static_cast<float>(height * 3);
    view->pointSize = 2000;
    view->renderingMode = 3 | 8;
    view->shadingStrength = 0.25f;
    view->shadingRadius = 5;
}

int RenderFromStorage(const std::wstring& folder) {
    ProjectFile project;
    wchar_t error[2048] = L"";
    if (!ProjectFileRead((folder + L"\\memory\\LoadedPoints.prj").c_str(), &project, error, 2048)) {
        printf("%s\n", Narrow(error).c_str());
        return 1;
    }
    // The engine's share of the limit for the node cache (engine_state.h).
    uint64_t cacheBytes = (kMemoryLimitMegabytes << 20) - (256ull << 20);
    printf("\nRendering %u points from storage, memory limit %llu MB (node cache %llu MB)\n", kMemoryPoints,
           static_cast<unsigned long long>(kMemoryLimitMegabytes),
           static_cast<unsigned long long>(cacheBytes >> 20));
    printf("  working set before loading: %.0f MB\n", WorkingSetMegabytes());
    LoadedProject* loaded = LoadedProjectOpen(project, cacheBytes, error, 2048);
    if (!loaded) {
        printf("%s\n", Narrow(error).c_str());
        return 1;
    }
    Renderer* renderer = RendererCreate(2160, 7920, 2);
    if (!renderer) return 1;
    ProjectionImageData view{};
    view.imageBuffer = RendererImageBuffer(renderer);
    RenderSettings settings{};
    settings.pointBudget = kRendererDefaultPointBudget;
    settings.maxChannelWidth = 4;
    double largest = WorkingSetMegabytes();
    int frames = 0;
    double start = Seconds();
    // The whole scene, then low flights over a grid of places, so that every part of the cloud is
    // needed at its finest level once and the cache has to give nodes up.
    DownwardView(&view, 638000, 850000, 3000, 100);
    RendererDraw(renderer, loaded->source, &view, settings);
    loaded->source.release(loaded->source.context, 0);
    ++frames;
    for (int gy = 0; gy < 16; ++gy) {
        for (int gx = 0; gx < 16; ++gx) {
            DownwardView(&view, 637000 + 62.5 + gx * 125, 849000 + 62.5 + gy * 125, 200, 100);
            RendererDraw(renderer, loaded->source, &view, settings);
            loaded->source.release(loaded->source.context, 0);
            ++frames;
            double now = WorkingSetMegabytes();
            if (now > largest) largest = now;
        }
    }
    double seconds = Seconds() - start;
    const NodeCache& cache = loaded->cache;
    printf(
        "  %d stereo frames of 3960 x 2160 in %.1f s; nodes read %llu, evicted %llu, cache holds %.0f MB\n",
        frames, seconds, static_cast<unsigned long long>(cache.reads),
        static_cast<unsigned long long>(cache.evictions), cache.usedBytes / 1048576.0);
    printf("  largest working set while rendering: %.0f MB (target: under 1536 MB)\n", largest);
    RendererDestroy(renderer);
    LoadedProjectFree(loaded);
    return largest < 1536 ? 0 : 2;
}

// Runs this program again with --render in a process of its own and waits for it.
int RenderInOwnProcess(const std::wstring& folder) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --render \"" + folder + L"\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    fflush(stdout);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

} // namespace

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 3 && wcscmp(argv[1], L"--render") == 0) return RenderFromStorage(argv[2]);
    wchar_t full[MAX_PATH];
    GetFullPathNameW(argc >= 2 ? argv[1] : L"pcv_benchmark_data", MAX_PATH, full, nullptr);
    std::wstring folder = full;
    CreateDirectoryW(folder.c_str(), nullptr);
    int result = ConvertLas(folder);
    if (result == 0) result = ConvertMemoryScene(folder);
    if (result == 0) result = RenderInOwnProcess(folder);
    return result;
}
