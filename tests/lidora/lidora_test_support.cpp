#include "lidora_test_support.h"

#include <gtest/gtest.h>

#include <math.h>

#include "scene_generator.h"

namespace lidoratest {

namespace {

std::wstring WindowsPathOfUnix(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

} // namespace

std::wstring SampleFolder() {
    const std::string source = NIMBO_SOURCE_DIR_UNIX;
    for (const std::string& candidate : {source + "/../shared/data/las", source + "/../../shared/data/las"}) {
        std::wstring folder = WindowsPathOfUnix(candidate);
        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        wchar_t full[MAX_PATH];
        DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
        return length > 0 && length < MAX_PATH ? std::wstring(full, length) : folder;
    }
    return {};
}

std::string Narrow(const std::wstring& text) {
    std::string s;
    for (wchar_t c : text) s += static_cast<char>(c < 128 ? c : '?');
    return s;
}

LasWriteOptions SceneOptions(int minor, int format, double sx, double sy, double sz) {
    LasWriteOptions options{};
    options.versionMinor = static_cast<uint8_t>(minor);
    options.pointFormat = static_cast<uint8_t>(format);
    options.scale[0] = sx;
    options.scale[1] = sy;
    options.scale[2] = sz;
    for (int axis = 0; axis < 3; ++axis) options.offset[axis] = kSceneOrigin[axis];
    return options;
}

std::wstring WriteSceneLas(const std::wstring& path, const LasWriteOptions& options, uint32_t count) {
    LasWriter writer{};
    wchar_t error[kLasErrorChars] = L"";
    if (!LasCreate(&writer, path.c_str(), options, error, kLasErrorChars)) return error;
    std::vector<LasPoint> batch;
    for (uint32_t i = 0; i < count; ++i) {
        ScenePoint scene;
        SceneMakePoint(i, &scene);
        LasPoint p{};
        int32_t* raw[3] = {&p.x, &p.y, &p.z};
        for (int axis = 0; axis < 3; ++axis)
            *raw[axis] = static_cast<int32_t>(
                llround((scene.position[axis] - options.offset[axis]) / options.scale[axis]));
        p.intensity = scene.intensity;
        p.classification = scene.classification;
        p.returnNumber = 1;
        p.numberOfReturns = 1;
        p.red = scene.rgb[0];
        p.green = scene.rgb[1];
        p.blue = scene.rgb[2];
        batch.push_back(p);
    }
    if (!LasWritePoints(&writer, batch.data(), count)) {
        LasFinish(&writer);
        return L"the points could not be written";
    }
    return LasFinish(&writer) ? L"" : L"the file could not be finished";
}

LasContent ReadWholeLas(const std::wstring& path) {
    LasContent content;
    LasFile file{};
    wchar_t error[kLasErrorChars] = L"";
    if (!LasOpen(&file, path.c_str(), error, kLasErrorChars)) {
        content.error = error;
        return content;
    }
    content.header = file.header;
    content.points.resize(static_cast<size_t>(file.header.pointCount));
    size_t at = 0;
    while (at < content.points.size()) {
        int64_t read =
            LasReadPoints(&file, content.points.data() + at,
                          static_cast<uint32_t>(content.points.size() - at), error, kLasErrorChars);
        if (read <= 0) {
            content.error = read < 0 ? error : L"the file ended early";
            break;
        }
        at += static_cast<size_t>(read);
    }
    LasClose(&file);
    return content;
}

bool ExpectCloudMatchesLas(const LidoraCloud& cloud, const LasContent& las, bool exact) {
    EXPECT_EQ(cloud.count, static_cast<int64_t>(las.points.size()));
    if (cloud.count != static_cast<int64_t>(las.points.size()) || cloud.divisor < 1) return false;
    const LasHeader& h = las.header;
    int wrong = 0;
    for (size_t i = 0; i < las.points.size() && wrong < 5; ++i) {
        const LasPoint& p = las.points[i];
        const Point3Di& q = cloud.points[i];
        const int32_t raw[3] = {p.x, p.y, p.z}, stored[3] = {q.x, q.y, q.z};
        for (int axis = 0; axis < 3; ++axis) {
            double want = raw[axis] * h.scale[axis] + h.offset[axis];
            double got = static_cast<double>(stored[axis]) / cloud.divisor + cloud.offset[axis];
            // The same coordinate to the rounding of doubles, and the integer on the file's own lattice:
            // it is the raw integer times the whole number of common steps in one file step.
            double steps = h.scale[axis] * cloud.divisor;
            double relative = stored[axis] + (cloud.offset[axis] - h.offset[axis]) * cloud.divisor;
            bool same = exact ? fabs(got - want) <= 1e-9 * (1 + fabs(want)) &&
                                    fabs(steps - llround(steps)) < 1e-6 &&
                                    llround(relative) == static_cast<long long>(raw[axis]) * llround(steps)
                              : fabs(got - want) <= 0.5 / cloud.divisor + 1e-9 * (1 + fabs(want));
            if (!same) {
                ADD_FAILURE() << "point " << i << " axis " << axis << ": LAS " << want << " (raw "
                              << raw[axis] << "), Lidora " << got << " (stored " << stored[axis] << " / "
                              << cloud.divisor << ")";
                ++wrong;
            }
        }
        const unsigned short* rgb = cloud.colours + 3 * i;
        if (cloud.classes[i] != p.classification || cloud.intensities[i] != p.intensity || rgb[0] != p.red ||
            rgb[1] != p.green || rgb[2] != p.blue) {
            ADD_FAILURE() << "point " << i << ": attributes differ";
            ++wrong;
        }
    }
    return wrong == 0;
}

} // namespace lidoratest
