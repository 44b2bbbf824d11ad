// The host's parts without windows: key-in matching, resource collections, icons, PNG files, design
// descriptions, raster clipping and view geometry.
#include "parts/design_description.h"
#include "parts/ico_decode.h"
#include "parts/keyin_match.h"
#include "parts/png_codec.h"
#include "parts/raster_copy.h"
#include "parts/resource_collection.h"
#include "parts/view_math.h"
#include "support/host_runner.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>

namespace {

// Bytes placed so that they end where readable memory ends: reading one byte too many crashes.
class FlushBytes {
public:
    explicit FlushBytes(const std::string& bytes) {
        size_t page = 4096, committed = (bytes.size() + page - 1) / page * page + page;
        base_ =
            static_cast<unsigned char*>(VirtualAlloc(nullptr, committed + page, MEM_RESERVE, PAGE_NOACCESS));
        VirtualAlloc(base_, committed, MEM_COMMIT, PAGE_READWRITE);
        start_ = base_ + committed - bytes.size();
        if (!bytes.empty()) memcpy(start_, bytes.data(), bytes.size());
    }
    ~FlushBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    const unsigned char* At(size_t offset) const { return start_ + offset; }

private:
    unsigned char* base_;
    unsigned char* start_;
};

unsigned BigEndian(const std::string& b, size_t at) {
    return (unsigned(static_cast<unsigned char>(b[at])) << 24) |
           (unsigned(static_cast<unsigned char>(b[at + 1])) << 16) |
           (unsigned(static_cast<unsigned char>(b[at + 2])) << 8) | static_cast<unsigned char>(b[at + 3]);
}

std::string TestIcons() {
    std::string bytes;
    testenv::ReadFileBytes(hostrun::BuildPath(L"tests\\host\\test_icons.rcc"), bytes);
    return bytes;
}

std::string SourceFile(const char* relative) {
    std::wstring path = L"Z:";
    for (const char* p = NIMBO_SOURCE_DIR_UNIX; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
    path += L"\\";
    for (const char* p = relative; *p; ++p) path += *p == '/' ? L'\\' : wchar_t(*p);
    std::string bytes;
    testenv::ReadFileBytes(path, bytes);
    return bytes;
}

ResourceTables TablesOf(const FlushBytes& blob, const std::string& bytes) {
    return ResourceTablesAt(blob.At(BigEndian(bytes, 8)), blob.At(BigEndian(bytes, 16)),
                            blob.At(BigEndian(bytes, 12)));
}

// ---- key-ins ---------------------------------------------------------------------------------------

struct KeyinCase {
    const wchar_t* typed;
    int phrase; // index into the phrases, -1 for none
    const wchar_t* argument;
};

TEST(KeyinMatch, LongestWholeWordPhraseWinsAndTheRestIsTheArgument) {
    const std::vector<std::wstring> phrases = {L"tm echo", L"tm echo long", L"tm two  blanks", L"reload"};
    const KeyinCase cases[] = {
        {L"tm echo hi", 0, L"hi"},
        {L"TM Echo   hi there  ", 0, L"hi there"},
        {L"tm echo long x", 1, L"x"},
        {L"tm echo long", 1, L""},
        {L"tm echolong", -1, L""},
        {L"tm echo", 0, L""},
        {L"tm two blanks", -1, L""},
        {L"tm two  blanks z", 2, L"z"},
        {L"\t reload", 3, L""},
        {L"reloaded", -1, L""},
        {L"", -1, L""},
        {L"tm", -1, L""},
    };
    for (const KeyinCase& c : cases) {
        KeyinMatchResult result = KeyinMatch(c.typed, phrases);
        EXPECT_EQ(result.phrase, c.phrase) << std::string(c.typed, c.typed + wcslen(c.typed));
        if (c.phrase >= 0) {
            EXPECT_EQ(result.argument, c.argument);
        }
    }
}

// ---- resource collections --------------------------------------------------------------------------

TEST(ResourceCollection, FindsEveryIconOfTheCompiledCollectionWithItsBytes) {
    std::string bytes = TestIcons();
    ASSERT_GT(bytes.size(), 20u);
    ASSERT_EQ(bytes.substr(0, 4), "qres");
    ASSERT_EQ(BigEndian(bytes, 4), 1u);
    FlushBytes blob(bytes);
    ResourceTables tables = TablesOf(blob, bytes);
    ASSERT_TRUE(ResourceRootValid(tables));
    for (const char* name : {"red", "green", "blue", "yellow"}) {
        std::vector<unsigned char> found;
        std::string why;
        std::string path = std::string(":/loaded/icons/") + name + ".ico";
        ASSERT_EQ(ResourceFind(tables, path.c_str(), &found, &why), kResourceFound) << path << " " << why;
        std::string original = SourceFile((std::string("tests/host/miniapp/icons/") + name + ".ico").c_str());
        EXPECT_EQ(std::string(found.begin(), found.end()), original) << path;
    }
    std::vector<unsigned char> found;
    std::string why;
    EXPECT_EQ(ResourceFind(tables, ":/loaded/icons/none.ico", &found, &why), kResourceNotFound);
    EXPECT_EQ(ResourceFind(tables, ":/loaded/icons", &found, &why), kResourceNotFound);
    EXPECT_EQ(ResourceFind(tables, "loaded/icons/red.ico", &found, &why), kResourceFound);
    EXPECT_EQ(ResourceFind(tables, ":/icons/red.ico", &found, &why), kResourceNotFound);
}

TEST(ResourceCollection, EveryTruncationIsRefusedWithoutReadingPastTheBytes) {
    std::string bytes = TestIcons();
    ASSERT_GT(bytes.size(), 20u);
    for (size_t length = 20; length < bytes.size(); ++length) {
        std::string cut = bytes.substr(0, length);
        FlushBytes blob(cut);
        ResourceTables tables = TablesOf(blob, bytes);
        for (const char* path : {":/loaded/icons/red.ico", ":/loaded/icons/yellow.ico"}) {
            std::vector<unsigned char> found;
            std::string why;
            ResourceFindResult result = ResourceFind(tables, path, &found, &why);
            // The tree comes last in the file: whatever is found must still be whole.
            if (result == kResourceFound) {
                std::string name = std::string("tests/host/miniapp/icons/") + (path + 15);
                EXPECT_EQ(std::string(found.begin(), found.end()), SourceFile(name.c_str())) << length;
            }
        }
    }
}

struct Damage {
    const char* what;
    size_t (*offset)(const std::string& bytes); // where in the file
    std::string value;                          // the bytes written there
};

size_t RootChildCount(const std::string& b) {
    return BigEndian(b, 8) + 6;
}
size_t RootFirstChild(const std::string& b) {
    return BigEndian(b, 8) + 10;
}
size_t FirstNameLength(const std::string& b) {
    return BigEndian(b, 16);
}
size_t FirstCompressedStream(const std::string& b) {
    return BigEndian(b, 12) + 4 + 4 + 10; // inside the first entry's zlib stream
}
size_t FirstEntrySize(const std::string& b) {
    return BigEndian(b, 12);
}

TEST(ResourceCollection, DamagedTablesAreRefusedAsMalformed) {
    const std::string bytes = TestIcons();
    ASSERT_GT(bytes.size(), 20u);
    const Damage damages[] = {
        {"root with a million children", RootChildCount, std::string("\x00\x0F\x42\x40", 4)},
        {"root whose children start at itself (a loop)", RootFirstChild, std::string("\x00\x00\x00\x00", 4)},
        {"children far outside the tree", RootFirstChild, std::string("\x00\xFF\xFF\x00", 4)},
        {"a name longer than the names table", FirstNameLength, std::string("\xFF\xFF", 2)},
        {"bad zlib data", FirstCompressedStream, std::string("\xDE\xAD\xBE\xEF\xDE\xAD\xBE\xEF", 8)},
        {"an entry larger than the data table", FirstEntrySize, std::string("\x00\xFF\xFF\xFF", 4)},
    };
    for (const Damage& damage : damages) {
        std::string damaged = bytes;
        damaged.replace(damage.offset(bytes), damage.value.size(), damage.value);
        FlushBytes blob(damaged);
        ResourceTables tables = TablesOf(blob, damaged);
        int malformed = 0;
        for (const char* path : {":/loaded/icons/red.ico", ":/loaded/icons/green.ico",
                                 ":/loaded/icons/blue.ico", ":/loaded/icons/yellow.ico"}) {
            std::vector<unsigned char> found;
            std::string why;
            ResourceFindResult result = ResourceFind(tables, path, &found, &why);
            if (result == kResourceMalformed) {
                ++malformed;
                EXPECT_FALSE(why.empty());
            }
        }
        EXPECT_GT(malformed, 0) << damage.what;
    }
}

TEST(ResourceCollection, TablesInMemoryThatCannotBeReadAreEmpty) {
    void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    auto* p = static_cast<const unsigned char*>(reserved);
    ResourceTables tables = ResourceTablesAt(p, p, p);
    EXPECT_EQ(tables.tree.size, 0u);
    EXPECT_FALSE(ResourceRootValid(tables));
    std::vector<unsigned char> found;
    std::string why;
    EXPECT_EQ(ResourceFind(tables, ":/icons/red.ico", &found, &why), kResourceMalformed);
    VirtualFree(reserved, 0, MEM_RELEASE);
}

// ---- icons and PNG ---------------------------------------------------------------------------------

struct IconCase {
    const char* file;
    int wanted;
    int width;
    unsigned middle; // 0xAARRGGBB of the middle pixel
};

unsigned Middle(const BgraImage& image) {
    const uint8_t* p = &image.pixels[(size_t(image.height / 2) * image.width + image.width / 2) * 4];
    return (unsigned(p[3]) << 24) | (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
}

TEST(IcoDecode, DecodesTheEntryThatFitsBest) {
    const IconCase cases[] = {
        {"red.ico", 24, 16, 0xFFFF0000},   {"green.ico", 24, 32, 0xFF00FF00},
        {"green.ico", 16, 16, 0xFF000000}, {"green.ico", 64, 32, 0xFF00FF00},
        {"blue.ico", 24, 24, 0xFF0000FF},  {"yellow.ico", 24, 24, 0xFFFFFF00},
    };
    for (const IconCase& c : cases) {
        std::string bytes = SourceFile((std::string("tests/host/miniapp/icons/") + c.file).c_str());
        BgraImage image;
        std::string why;
        ASSERT_TRUE(
            IcoDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), c.wanted, &image, &why))
            << c.file << " " << why;
        EXPECT_EQ(image.width, c.width) << c.file;
        EXPECT_EQ(Middle(image), c.middle) << c.file << " for " << c.wanted;
    }
}

TEST(IcoDecode, TruncatedIconsAreRefused) {
    std::string bytes = SourceFile("tests/host/miniapp/icons/blue.ico");
    for (size_t length : {size_t(0), size_t(5), size_t(21), size_t(40), size_t(100), bytes.size() - 400}) {
        BgraImage image;
        std::string why;
        FlushBytes blob(bytes.substr(0, length));
        EXPECT_FALSE(IcoDecode(blob.At(0), length, 24, &image, &why)) << length;
    }
}

TEST(PngCodec, WhatIsWrittenReadsBackAndDamageIsFound) {
    const int w = 7, h = 5;
    std::vector<uint8_t> pixels(w * h * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37);
    std::vector<uint8_t> file;
    ASSERT_TRUE(PngEncodeBgrx(pixels.data(), w, h, &file));
    BgraImage image;
    std::string why;
    ASSERT_TRUE(PngDecode(file.data(), file.size(), &image, &why)) << why;
    ASSERT_EQ(image.width, w);
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(image.pixels[i * 4 + c], pixels[i * 4 + c]);
    file[40] ^= 0x55;
    EXPECT_FALSE(PngDecode(file.data(), file.size(), &image, &why));
}

// ---- design descriptions ---------------------------------------------------------------------------

struct DesignCase {
    const char* text;
    int badLine; // 0: accepted
};

TEST(DesignParse, GoodDescriptionsAreTakenAndBadLinesRefusedWithTheirNumber) {
    const DesignCase cases[] = {
        {"units 1000\norigin 1 2 3\ncolor 3 10 20 30\n", 0},
        {"# comment\n\n  units 2.5   # trailing comment\r\n", 0},
        {"units 0\n", 1},
        {"units -3\n", 1},
        {"units\n", 1},
        {"origin 1 2\n", 1},
        {"units 1\ncolor 256 1 2 3\n", 2},
        {"units 1\n\ncolor 5 1 2 300\n", 3},
        {"colour 5 1 2 3\n", 1},
        {"units 1e999\n", 1},
        {"units 12abc\n", 1},
    };
    for (const DesignCase& c : cases) {
        DesignModel model;
        int bad = 0;
        std::string why;
        bool ok = DesignParse(c.text, strlen(c.text), &model, &bad, &why);
        EXPECT_EQ(ok, c.badLine == 0) << c.text;
        if (!ok) {
            EXPECT_EQ(bad, c.badLine) << c.text << why;
        }
    }
    DesignModel model;
    int bad = 0;
    std::string why;
    const char* text = "units 1000\norigin 1 2 3\ncolor 3 10 20 30\n";
    ASSERT_TRUE(DesignParse(text, strlen(text), &model, &bad, &why));
    EXPECT_EQ(model.workingPerMaster, 1000);
    EXPECT_EQ(model.origin.z, 3);
    EXPECT_EQ(model.colors[3].bytes[0], 30); // blue first
    EXPECT_EQ(model.colors[3].bytes[2], 10);
    std::string longLine = "units 1" + std::string(2000, ' ') + "\n";
    EXPECT_FALSE(DesignParse(longLine.data(), longLine.size(), &model, &bad, &why));
}

// ---- rasters ---------------------------------------------------------------------------------------

struct ClipCase {
    int originX, originY, sizeX, sizeY, rasterW, rasterH;
    long long copied;
};

TEST(RasterCopy, WhatFallsOutsideTheViewTheSizeOrTheRasterIsLeftOut) {
    const int w = 10, h = 8;
    const ClipCase cases[] = {
        {0, 0, 10, 8, 10, 8, 80},
        {0, 0, 20, 20, 10, 8, 80},
        {5, 4, 10, 8, 10, 8, 20},
        {-3, -2, 10, 8, 10, 8, 42},
        {0, 0, 4, 3, 10, 8, 12},
        {0, 0, 10, 8, 4, 2, 8},
        {10, 0, 5, 5, 5, 5, 0},
        {-5, 0, 5, 5, 5, 5, 0},
        {0, 0, 0, 8, 10, 8, 0},
        {2147483600, 0, 100, 1, 100, 1, 0},
        {-2147483600, 0, 100, 1, 100, 1, 0},
        {0, 0, 10, 8, -1, 8, -1},
        {0, 0, 10, 8, 40000, 1, -1},
    };
    for (const ClipCase& c : cases) {
        std::vector<uint32_t> view(w * h, 0);
        size_t bytes = c.rasterW > 0 && c.rasterH > 0 && c.rasterW <= kRasterMaxSide
                           ? size_t(c.rasterW) * c.rasterH * 4
                           : 4;
        FlushBytes raster(std::string(bytes, '\x7F'));
        long long copied = RasterCopyClipped({view.data(), w, h}, c.originX, c.originY, c.sizeX, c.sizeY,
                                             raster.At(0), c.rasterW, c.rasterH);
        EXPECT_EQ(copied, c.copied) << c.originX << "," << c.originY << " " << c.sizeX << "x" << c.sizeY;
        long long painted = 0;
        for (uint32_t p : view) painted += p != 0;
        EXPECT_EQ(painted, c.copied > 0 ? c.copied : 0);
    }
}

TEST(StereoCombine, AnaglyphSideBySideAndOverUnder) {
    const int w = 4, h = 2;
    std::vector<uint32_t> left(w * h, 0x00112233), right(w * h, 0x00445566), out(w * h, 0);
    StereoCombine({out.data(), w, h}, left.data(), right.data(), kStereoAnaglyph);
    EXPECT_EQ(out[0], 0x00115566u);
    StereoCombine({out.data(), w, h}, left.data(), right.data(), kStereoSideBySide);
    EXPECT_EQ(out[0], 0x00112233u);
    EXPECT_EQ(out[3], 0x00445566u);
    StereoCombine({out.data(), w, h}, left.data(), right.data(), kStereoOverUnder);
    EXPECT_EQ(out[0], 0x00112233u);
    EXPECT_EQ(out[w], 0x00445566u);
}

// ---- view geometry ---------------------------------------------------------------------------------

void ExpectNear(Vec3 a, Vec3 b, double tolerance, const char* what) {
    EXPECT_NEAR(a.x, b.x, tolerance) << what;
    EXPECT_NEAR(a.y, b.y, tolerance) << what;
    EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

TEST(ViewMath, PixelsAndDesignPointsMapBothWaysInEveryKindOfView) {
    const int w = 400, h = 300;
    for (int kind = 0; kind < 5; ++kind) {
        ViewGeometry g = ParallelGeometry(ViewOrientation(kind % 4), {-10, -20, -5}, {30, 40, 25}, w, h);
        if (kind == 4) GeometryToCamera(g, w, h);
        for (double px : {0.0, 123.0, 399.0})
            for (double py : {0.0, 77.0, 299.0}) {
                Vec3 point = GeometryPixelToDesign(g, w, h, px, py);
                double bx = 0, by = 0;
                ASSERT_TRUE(GeometryDesignToPixel(g, w, h, point, &bx, &by));
                EXPECT_NEAR(bx, px, 1e-6) << kind;
                EXPECT_NEAR(by, py, 1e-6) << kind;
            }
    }
}

TEST(ViewMath, NavigationKeepsWhatItPromises) {
    const int w = 400, h = 300;
    for (bool camera : {false, true}) {
        ViewGeometry g = ParallelGeometry(kViewIso, {0, 0, 0}, {100, 100, 100}, w, h);
        if (camera) GeometryToCamera(g, w, h);
        Vec3 under = GeometryPixelToDesign(g, w, h, 50, 60);
        GeometryZoom(g, w, h, 50, 60, 0.5);
        double px = 0, py = 0;
        ASSERT_TRUE(GeometryDesignToPixel(g, w, h, under, &px, &py));
        EXPECT_NEAR(px, 50, 1e-6) << "zoom keeps the point under the cursor";
        EXPECT_NEAR(py, 60, 1e-6);
        Vec3 before = GeometryPixelToDesign(g, w, h, 200, 150);
        GeometryPan(g, w, h, 30, -20);
        ASSERT_TRUE(GeometryDesignToPixel(g, w, h, before, &px, &py));
        EXPECT_NEAR(px, 230, 1e-6) << "pan moves the contents with the mouse";
        EXPECT_NEAR(py, 130, 1e-6);
        Vec3 centre = camera ? g.target : GeometryCentre(g);
        for (int i = 0; i < 200; ++i) GeometryRotate(g, w, h, 7, 3);
        ExpectNear(camera ? g.target : GeometryCentre(g), centre, 1e-6, "rotation keeps the centre");
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(Length(Row(g.rotation, r)), 1, 1e-12);
        EXPECT_NEAR(Dot(Cross(Row(g.rotation, 0), Row(g.rotation, 1)), Row(g.rotation, 2)), 1, 1e-12);
    }
}

TEST(ViewMath, FitShowsTheWholeRangeAndCameraBoxDerivesFromTheCamera) {
    const int w = 400, h = 200;
    Vec3 lo{-10, 5, 0}, hi{90, 25, 40};
    for (int orientation = 0; orientation < 4; ++orientation) {
        for (bool camera : {false, true}) {
            ViewGeometry g = ParallelGeometry(ViewOrientation(orientation), {0, 0, 0}, {1, 1, 1}, w, h);
            if (camera) GeometryToCamera(g, w, h);
            GeometryFit(g, lo, hi, w, h);
            for (int i = 0; i < 8; ++i) {
                Vec3 corner{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
                double px = 0, py = 0;
                ASSERT_TRUE(GeometryDesignToPixel(g, w, h, corner, &px, &py));
                EXPECT_TRUE(px >= 0 && px <= w && py >= 0 && py <= h)
                    << orientation << camera << " corner " << i;
            }
            if (camera) {
                // The box: target plane extents, from the front to the back distance before the eye.
                double focal = GeometryFocal(g);
                EXPECT_NEAR(g.delta.y, 2 * focal * std::tan(g.lensAngle / 2), 1e-9);
                Vec3 back = ToView(g.rotation, g.origin), eye = ToView(g.rotation, g.eye);
                EXPECT_NEAR(eye.z - back.z, g.backDistance, 1e-9);
                EXPECT_GT(g.backDistance - g.delta.z, 0);
            }
        }
    }
}

} // namespace
