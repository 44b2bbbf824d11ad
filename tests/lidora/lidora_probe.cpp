// A test mini app that reads Lidora's points through its entry points, as another mini app would,
// and writes them to a file for the test to compare.
#include "lidora.h"
#include "lidora_probe.h"

#include "orbisa_cface.h"

#include <stdio.h>
#include <string.h>

namespace {

uint64_t g_lastPoints;

template <typename F> F Entry(const char* name) {
    HMODULE lidora = GetModuleHandleA(LIDORA_MODULE_NAME);
    return lidora ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(lidora, name))) : nullptr;
}

FILE* OpenOutput(const wchar_t* path) {
    FILE* file = nullptr;
    if (!path || _wfopen_s(&file, path, L"wb") != 0) return nullptr;
    return file;
}

void ProbeLidora(const wchar_t* path) {
    FILE* out = OpenOutput(path);
    if (!out) return;
    auto getPoints = Entry<FnScanGetPntFunc>(FN_SCAN_GET_PNT);
    auto getClasses = Entry<FnScanGetClsFunc>(FN_SCAN_GET_CLS);
    auto getIntensities = Entry<FnScanGetIntFunc>(FN_SCAN_GET_INT);
    auto getColours = Entry<FnScanGetClrFunc>(FN_SCAN_GET_CLR);
    auto getSetup = Entry<FnScanGetCoordSetupFunc>(FN_SCAN_GET_COORD_SETUP);
    LidoraProbeHeader header{};
    memcpy(header.magic, "LIDPROBE", 8);
    header.entryPoints = !!getPoints + !!getClasses + !!getIntensities + !!getColours + !!getSetup;
    Point3Di* points = nullptr;
    unsigned char* classes = nullptr;
    unsigned short *intensities = nullptr, *colours = nullptr;
    if (header.entryPoints == 5) {
        header.count = getPoints(&points);
        header.results[0] = getClasses(&classes);
        header.results[1] = getIntensities(&intensities);
        header.results[2] = getColours(&colours);
        LidoraCoordSetup setup{};
        header.divisor = getSetup(&setup);
        header.offset[0] = setup.offsetX;
        header.offset[1] = setup.offsetY;
        header.offset[2] = setup.offsetZ;
    }
    header.nullArrays = (!points ? 1 : 0) | (!classes ? 2 : 0) | (!intensities ? 4 : 0) | (!colours ? 8 : 0);
    header.pointsAddress = reinterpret_cast<uint64_t>(points);
    if (points) g_lastPoints = header.pointsAddress;
    fwrite(&header, sizeof header, 1, out);
    if (header.count > 0 && !header.nullArrays) {
        size_t n = static_cast<size_t>(header.count);
        fwrite(points, sizeof(Point3Di), n, out);
        fwrite(classes, 1, n, out);
        fwrite(intensities, 2, n, out);
        fwrite(colours, 2, 3 * n, out);
    }
    fclose(out);
}

void ProbeMemory(const wchar_t* path) {
    FILE* out = OpenOutput(path);
    if (!out) return;
    LidoraProbeMemory memory{};
    memcpy(memory.magic, "LIDMEMRY", 8);
    memory.address = g_lastPoints;
    MEMORY_BASIC_INFORMATION info{};
    if (g_lastPoints && VirtualQuery(reinterpret_cast<void*>(g_lastPoints), &info, sizeof info))
        memory.state = info.State;
    fwrite(&memory, sizeof memory, 1, out);
    fclose(out);
}

const MAppCmdHook kCommands[] = {
    {1, ProbeLidora, "ProbeLidora", "Probe Lidora"},
    {2, ProbeMemory, "ProbeMemory", "Probe Memory"},
    {0, nullptr, nullptr, nullptr},
};
const MAppSpaccel kKeyins[] = {
    {L"ProbeLidora", L"probe lidora", nullptr},
    {L"ProbeMemory", L"probe memory", nullptr},
    {nullptr, nullptr, nullptr},
};

} // namespace

extern "C" __declspec(dllexport) int MiniAppMain(void) {
    MAppCmdHooksPublish(kCommands);
    MAppCmdSpaccelsPublish(kKeyins);
    return 0;
}
