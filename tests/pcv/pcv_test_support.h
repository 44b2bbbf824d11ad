// Scaffolding the engine's storage and API tests share: generated scenes in Lidora's memory form,
// generated LAS files, project files, the real sample folder, and listing and damaging files.
#pragma once

#include "las_writer.h"
#include "pcv.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace pcvtest {

// A scene as the Lidora mini app holds it: integer points of one coordinate set-up and per-point
// classes, intensities and colours (three 16-bit values).
struct MemoryScene {
    std::vector<Point3Di> points;
    std::vector<unsigned char> classes;
    std::vector<unsigned short> intensities;
    std::vector<unsigned short> colours;
    PointCloudSummary summary{};
};

// Ground (class 2) with a building (6) and trees (5) around origin, in millimetres; point i carries
// intensity i % 4096 * 16 and colour (i % 256, (i / 256) % 256, 7) as 16-bit values.
inline MemoryScene MakeScene(uint32_t count, double originX = 637000, double originY = 849000,
                             double originZ = 400) {
    MemoryScene s;
    s.summary.pointCount = count;
    s.summary.scaleX = s.summary.scaleY = s.summary.scaleZ = 0.001;
    s.summary.offsetX = originX;
    s.summary.offsetY = originY;
    s.summary.offsetZ = originZ;
    uint32_t side = static_cast<uint32_t>(sqrt(static_cast<double>(count))) + 1;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t x = static_cast<int32_t>((i % side) * 100000 / side * 10); // 0 .. 1000 m
        int32_t y = static_cast<int32_t>((i / side) * 100000 / side * 10);
        int32_t z = static_cast<int32_t>(2000 * sin(x * 1e-5) + 1500 * cos(y * 1.3e-5));
        unsigned char c = 2;
        if (x > 400000 && x < 500000 && y > 400000 && y < 500000) {
            z += 12000;
            c = 6;
        } else if (i % 7 == 0) {
            z += 3000 + static_cast<int32_t>(i % 5000);
            c = 5;
        }
        s.points.push_back({x, y, z});
        s.classes.push_back(c);
        s.intensities.push_back(static_cast<unsigned short>(i % 4096 * 16));
        s.colours.insert(s.colours.end(), {static_cast<unsigned short>((i % 256) * 257),
                                           static_cast<unsigned short>((i / 256) % 256 * 257), 7 * 257});
    }
    return s;
}

inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string Narrow(const wchar_t* text) {
    return Narrow(std::wstring(text ? text : L""));
}

inline bool WriteText(const std::wstring& path, const std::string& text) {
    return testenv::WriteFileBytes(path, text);
}

// LoadedPoints.prj exactly as the plug-in writes it (text mode: CR LF line ends).
inline bool WriteLoadedPointsProject(const std::wstring& folder) {
    return WriteText(folder + L"\\LoadedPoints.prj",
                     "[Ocularis project]\r\nStorage=Lidora\r\n\r\nBlock singleblock\r\n");
}

// Every file below folder, as paths relative to it ("octree\\x.oct"), sorted.
inline std::set<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& prefix = L"") {
    std::set<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::wstring& f : ListFiles(folder + L"\\" + name, prefix + name + L"\\"))
                files.insert(f);
        } else {
            files.insert(prefix + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

// The real sample files of the shared data folder (beside the checkout, or one folder further up).
inline std::wstring SampleFolder() {
    const std::string source = NIMBO_SOURCE_DIR_UNIX;
    for (const std::string& unix : {source + "/../shared/data/las", source + "/../../shared/data/las"}) {
        std::wstring folder = L"Z:";
        for (char c : unix) folder += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
    }
    return L"";
}

// A generated LAS file: count points on a tilted plane with every attribute derived from the index
// (intensity i * 3, class i % 32, return 1 + i % 3, colour (i % 256, 0, 255) in 16 bits).
inline std::wstring WriteLasScene(const std::wstring& path, uint32_t count, uint8_t minor = 2,
                                  uint8_t format = 3, double offset = 637000) {
    LasWriteOptions options{};
    options.versionMinor = minor;
    options.pointFormat = format;
    options.scale[0] = options.scale[1] = options.scale[2] = 0.01;
    options.offset[0] = offset;
    options.offset[1] = offset + 212000;
    options.offset[2] = 0;
    LasWriter writer{};
    wchar_t error[kLasErrorChars] = L"";
    if (!LasCreate(&writer, path.c_str(), options, error, kLasErrorChars)) return error;
    std::vector<LasPoint> points(count);
    uint32_t side = static_cast<uint32_t>(sqrt(static_cast<double>(count))) + 1;
    for (uint32_t i = 0; i < count; ++i) {
        LasPoint& p = points[i];
        p = LasPoint{};
        p.x = static_cast<int32_t>(i % side * 37);
        p.y = static_cast<int32_t>(i / side * 41);
        p.z = static_cast<int32_t>(p.x / 10 + p.y / 20);
        p.intensity = static_cast<uint16_t>(i * 3);
        p.classification = static_cast<uint8_t>(i % 32);
        p.returnNumber = static_cast<uint8_t>(1 + i % 3);
        p.numberOfReturns = 3;
        p.red = static_cast<uint16_t>(i % 256 * 256);
        p.blue = 65535;
    }
    if (!LasWritePoints(&writer, points.data(), count)) return L"writing the points failed";
    if (!LasFinish(&writer)) return L"finishing the file failed";
    return L"";
}

// Flips one byte of a file at offset (from the end when negative).
inline bool DamageByte(const std::wstring& path, long long offset) {
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes) || bytes.empty()) return false;
    size_t at = offset >= 0 ? static_cast<size_t>(offset) : bytes.size() - static_cast<size_t>(-offset);
    if (at >= bytes.size()) return false;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    return testenv::WriteFileBytes(path, bytes);
}

inline bool Truncate(const std::wstring& path, size_t keep) {
    std::string bytes;
    if (!testenv::ReadFileBytes(path, bytes)) return false;
    bytes.resize(std::min(keep, bytes.size()));
    return testenv::WriteFileBytes(path, bytes);
}

inline uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// Sets a file's last write time a given number of seconds later than now.
inline bool TouchLater(const std::wstring& path, int seconds) {
    HANDLE file =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ull;
    now.dwLowDateTime = t.LowPart;
    now.dwHighDateTime = t.HighPart;
    bool ok = SetFileTime(file, nullptr, nullptr, &now) != 0;
    CloseHandle(file);
    return ok;
}

} // namespace pcvtest
