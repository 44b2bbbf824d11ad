#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "runtime/path.h"

namespace {

// A buffer larger than the capacity handed to the code under test, so that a write past the
// capacity shows up as a changed guard character.
struct GuardedPath {
    wchar_t text[kPathCapacity + 16];
    GuardedPath(const wchar_t* initial = L"") {
        for (wchar_t& c : text) c = L'#';
        size_t i = 0;
        for (; initial[i]; ++i) text[i] = initial[i];
        text[i] = 0;
    }
    bool GuardIntact() const {
        for (size_t i = kPathCapacity; i < kPathCapacity + 16; ++i)
            if (text[i] != L'#') return false;
        return true;
    }
};

} // namespace

TEST(PathBuilding, SlashAndJoinPutExactlyOneBackslash) {
    GuardedPath path(L"C:\\Nimbo");
    EXPECT_EQ(PathEnsureSlash(path.text), 1);
    EXPECT_STREQ(path.text, L"C:\\Nimbo\\");
    EXPECT_EQ(PathEnsureSlash(path.text), 1);
    EXPECT_STREQ(path.text, L"C:\\Nimbo\\");
    GuardedPath empty;
    EXPECT_EQ(PathEnsureSlash(empty.text), 1);
    EXPECT_STREQ(empty.text, L"");

    GuardedPath joined;
    EXPECT_EQ(PathJoin(joined.text, L"C:\\Nimbo\\", L"setup.inf"), 1);
    EXPECT_STREQ(joined.text, L"C:\\Nimbo\\setup.inf");
    EXPECT_EQ(PathJoin(joined.text, L"C:\\Nimbo", L"setup.inf"), 1);
    EXPECT_STREQ(joined.text, L"C:\\Nimbo\\setup.inf");
    EXPECT_EQ(PathJoin(joined.text, L"C:\\Nimbo\\", L"\\setup.inf"), 1);
    EXPECT_STREQ(joined.text, L"C:\\Nimbo\\setup.inf");
    EXPECT_EQ(PathJoin(joined.text, L"", L"setup.inf"), 1);
    EXPECT_STREQ(joined.text, L"setup.inf");

    GuardedPath inPlace(L"C:\\Nimbo");
    EXPECT_EQ(PathJoin(inPlace.text, inPlace.text, L"bin"), 1);
    EXPECT_STREQ(inPlace.text, L"C:\\Nimbo\\bin");
}

TEST(PathBuilding, OverlongResultsFailWithoutTouchingMemoryBeyondTheBuffer) {
    std::wstring folder(kPathCapacity - 5, L'f');
    GuardedPath joined(L"old");
    EXPECT_EQ(PathJoin(joined.text, folder.c_str(), L"name.txt"), 0);
    EXPECT_STREQ(joined.text, L"");
    EXPECT_TRUE(joined.GuardIntact());
    // Exactly filling the buffer, terminator included, still fits.
    EXPECT_EQ(PathJoin(joined.text, folder.c_str(), L"abc"), 1);
    EXPECT_EQ(std::wstring(joined.text).size(), kPathCapacity - 1);
    EXPECT_TRUE(joined.GuardIntact());

    GuardedPath full(std::wstring(kPathCapacity - 1, L'p').c_str());
    EXPECT_EQ(PathEnsureSlash(full.text), 0);
    EXPECT_EQ(std::wstring(full.text), std::wstring(kPathCapacity - 1, L'p'));
    EXPECT_EQ(PathSetExtension(full.text, L"upf"), 0);
    EXPECT_EQ(std::wstring(full.text), std::wstring(kPathCapacity - 1, L'p'));
    EXPECT_TRUE(full.GuardIntact());

    GuardedPath composed(L"old");
    EXPECT_EQ(PathCompose(composed.text, L"C", folder.c_str(), L"name", L"txt"), 0);
    EXPECT_STREQ(composed.text, L"");
    EXPECT_TRUE(composed.GuardIntact());

    wchar_t small[8];
    EXPECT_EQ(PathJoin(small, L"C:\\a", L"bc", 8), 1);
    EXPECT_EQ(PathJoin(small, L"C:\\a", L"bcd", 8), 0);
}

TEST(PathParts, SplitExtensionAndTrailingNumber) {
    GuardedPath folder, name;
    EXPECT_EQ(PathSplit(folder.text, name.text, L"C:\\data.v2\\scan.las"), 1);
    EXPECT_STREQ(folder.text, L"C:\\data.v2\\");
    EXPECT_STREQ(name.text, L"scan.las");
    EXPECT_EQ(PathSplit(nullptr, name.text, L"scan.las"), 1);
    EXPECT_STREQ(name.text, L"scan.las");
    EXPECT_EQ(PathSplit(folder.text, nullptr, L"C:\\data\\"), 1);
    EXPECT_STREQ(folder.text, L"C:\\data\\");
    wchar_t smallFolder[6], smallName[6];
    EXPECT_EQ(PathSplit(smallFolder, smallName, L"C:\\data\\x.y", 6), 0);
    EXPECT_STREQ(smallFolder, L"");
    EXPECT_STREQ(smallName, L"x.y");

    wchar_t extension[8];
    EXPECT_EQ(PathExtension(extension, L"C:\\data.v2\\scan.las", 8), 1);
    EXPECT_STREQ(extension, L"las");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(PathExtension(extension, L"C:\\data.v2\\scan", 8), 0);
    EXPECT_STREQ(extension, L"");
    EXPECT_EQ(PathExtension(extension, L"a.verylongextension", 8), 0);
    EXPECT_STREQ(extension, L"");

    EXPECT_EQ(PathTrailingNumber(L"C:\\run5\\scan12b.las"), 12);
    EXPECT_EQ(PathTrailingNumber(L"C:\\run5\\part.007"), -1);
    EXPECT_EQ(PathTrailingNumber(L"C:\\run5\\part0.las"), 0);
    EXPECT_EQ(PathTrailingNumber(L"tile_3_44"), 44);
    EXPECT_EQ(PathTrailingNumber(L"n99999999999999"), INT_MAX);
    EXPECT_EQ(PathTrailingNumber(nullptr), -1);
}

TEST(PathParts, ExtensionsAreReplacedOnlyInTheLastComponent) {
    GuardedPath path(L"C:\\data.v2\\scan.las");
    EXPECT_EQ(PathSetExtension(path.text, L".tss"), 1);
    EXPECT_STREQ(path.text, L"C:\\data.v2\\scan.tss");
    EXPECT_EQ(PathSetExtension(path.text, L""), 1);
    EXPECT_STREQ(path.text, L"C:\\data.v2\\scan");
    EXPECT_EQ(PathSetExtension(path.text, L"upf"), 1);
    EXPECT_STREQ(path.text, L"C:\\data.v2\\scan.upf");
    PathRemoveExtension(path.text);
    EXPECT_STREQ(path.text, L"C:\\data.v2\\scan");
    PathRemoveExtension(path.text);
    EXPECT_STREQ(path.text, L"C:\\data.v2\\scan");
}

TEST(PathParts, ComposeAddsMissingColonBackslashAndDot) {
    GuardedPath out;
    EXPECT_EQ(PathCompose(out.text, L"C", L"\\Nimbo", L"setup", L"inf"), 1);
    EXPECT_STREQ(out.text, L"C:\\Nimbo\\setup.inf");
    EXPECT_EQ(PathCompose(out.text, L"D:", L"x\\", L"y", L".upf"), 1);
    EXPECT_STREQ(out.text, L"D:x\\y.upf");
    EXPECT_EQ(PathCompose(out.text, nullptr, L"", L"name", nullptr), 1);
    EXPECT_STREQ(out.text, L"name");
}

TEST(PathResolving, DotPathsClimbTheBaseButNeverPastTheDrive) {
    GuardedPath out;
    EXPECT_EQ(PathResolve(out.text, L"D:\\abs\\file.txt", L"C:\\a\\b\\"), 0);
    EXPECT_STREQ(out.text, L"D:\\abs\\file.txt");
    EXPECT_EQ(PathResolve(out.text, L".\\file.txt", L"C:\\a\\b\\"), 1);
    EXPECT_STREQ(out.text, L"C:\\a\\b\\file.txt");
    EXPECT_EQ(PathResolve(out.text, L"..\\file.txt", L"C:\\a\\b\\"), 1);
    EXPECT_STREQ(out.text, L"C:\\a\\file.txt");
    EXPECT_EQ(PathResolve(out.text, L"..\\..\\file.txt", L"C:\\a\\b"), 1);
    EXPECT_STREQ(out.text, L"C:\\file.txt");
    EXPECT_EQ(PathResolve(out.text, L"..\\..\\..\\..\\file.txt", L"C:\\a\\b\\"), 1);
    EXPECT_STREQ(out.text, L"C:\\file.txt");
    EXPECT_EQ(PathResolve(out.text, L".\\..\\cfg\\x.cfg", L"C:\\a\\b\\"), 1);
    EXPECT_STREQ(out.text, L"C:\\a\\cfg\\x.cfg");
    EXPECT_EQ(PathResolve(out.text, L".hidden", L"C:\\a\\"), 1);
    EXPECT_STREQ(out.text, L"C:\\a\\.hidden");

    std::wstring base = L"C:\\" + std::wstring(kPathCapacity - 5, L'b') + L"\\";
    EXPECT_EQ(PathResolve(out.text, L".\\file.txt", base.c_str()), -1);
    EXPECT_STREQ(out.text, L"");
    EXPECT_TRUE(out.GuardIntact());
}

// Every operation answers a null path or buffer with 0 instead of following it; where there is an output,
// it is left empty, and nothing outside the given buffers is touched.
TEST(PathNulls, EveryOperationRefusesNullArgumentsWithZero) {
    struct Case {
        const char* name;
        int (*call)(wchar_t* out);
        bool empties; // the output is emptied
    };
    const Case cases[] = {
        {"PathEnsureSlash", [](wchar_t*) { return PathEnsureSlash(nullptr); }, false},
        {"PathJoin, no destination", [](wchar_t*) { return PathJoin(nullptr, L"C:\\a", L"b"); }, false},
        {"PathJoin, no folder", [](wchar_t* o) { return PathJoin(o, nullptr, L"b"); }, true},
        {"PathJoin, no name", [](wchar_t* o) { return PathJoin(o, L"C:\\a", nullptr); }, true},
        {"PathSplit, no path", [](wchar_t* o) { return PathSplit(o, nullptr, nullptr); }, true},
        {"PathExtension, no output", [](wchar_t*) { return PathExtension(nullptr, L"a.txt"); }, false},
        {"PathExtension, no path", [](wchar_t* o) { return PathExtension(o, nullptr); }, true},
        {"PathSetExtension, no path", [](wchar_t*) { return PathSetExtension(nullptr, L"txt"); }, false},
        {"PathSetExtension, no extension", [](wchar_t* o) { return PathSetExtension(o, nullptr); }, false},
        {"PathCompose, no output", [](wchar_t*) { return PathCompose(nullptr, L"C", L"a", L"b", L"c"); },
         false},
        {"PathResolve, no output", [](wchar_t*) { return PathResolve(nullptr, L".\\a", L"C:\\b\\"); }, false},
        {"PathResolve, no path", [](wchar_t* o) { return PathResolve(o, nullptr, L"C:\\b\\"); }, true},
    };
    for (const Case& c : cases) {
        GuardedPath path(L"C:\\data\\scan.las");
        EXPECT_EQ(0, c.call(path.text)) << c.name;
        EXPECT_STREQ(c.empties ? L"" : L"C:\\data\\scan.las", path.text) << c.name;
        EXPECT_TRUE(path.GuardIntact()) << c.name;
    }
    EXPECT_EQ(-1, PathTrailingNumber(nullptr));
    PathRemoveExtension(nullptr);
}
