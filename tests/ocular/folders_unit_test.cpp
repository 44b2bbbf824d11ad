// Paths below the settings folder and the host preference file one folder above it.
#include "folders.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void SetSettingsFolder(const std::wstring& folder) {
    ASSERT_LT(folder.size(), kSettingsFolderChars);
    wmemset(SettingsFolder, L'\0', kSettingsFolderChars);
    wmemcpy(SettingsFolder, folder.c_str(), folder.size());
}

struct ComposeCase {
    const wchar_t* folder;
    const wchar_t* suffix1;
    const wchar_t* suffix2;
    const wchar_t* expected;
};

TEST(ComposeSettingsPath, AppendsSuffixesExactlyAsTheyStand) {
    const ComposeCase cases[] = {
        {L"c:\\nimbo64", kIniSuffix, nullptr, L"c:\\nimbo64/ocular/ocular.ini"},
        {L"c:\\nimbo64", L"\\ocular", L"\\ocular.upf", L"c:\\nimbo64\\ocular\\ocular.upf"},
        {L"c:\\nimbo64\\", kLoadedPointsSuffix, nullptr, L"c:\\nimbo64\\\\ocular\\data\\LoadedPoints.prj"},
        {L"", kDataFolderSuffix, nullptr, L"\\ocular\\data"},
        {L"Z:\\a b\\settings", nullptr, nullptr, L"Z:\\a b\\settings"},
        {L"Z:\\x", nullptr, L"\\only.second", L"Z:\\x\\only.second"},
    };
    for (const ComposeCase& c : cases) {
        SetSettingsFolder(c.folder);
        wchar_t path[kComposedPathChars];
        EXPECT_TRUE(ComposeSettingsPath(path, kComposedPathChars, c.suffix1, c.suffix2)) << c.folder;
        EXPECT_STREQ(path, c.expected);
    }
}

// A path cut to the buffer would name another file: it is refused whole, and nothing is written past the
// buffer on the way.
TEST(ComposeSettingsPath, RefusesWhatDoesNotFitInsteadOfCutting) {
    const std::wstring folder(399, L'f');
    SetSettingsFolder(folder);
    struct {
        size_t suffixChars;
        bool fits;
    } const cases[] = {{624, true}, {625, false}, {2000, false}};
    for (const auto& c : cases) {
        const std::wstring suffix(c.suffixChars, L's');
        wchar_t path[kComposedPathChars + 8];
        wmemset(path, L'#', kComposedPathChars + 8);
        EXPECT_EQ(ComposeSettingsPath(path, kComposedPathChars, suffix.c_str()), c.fits) << c.suffixChars;
        EXPECT_EQ(std::wstring(path), c.fits ? folder + suffix : std::wstring());
        EXPECT_EQ(path[kComposedPathChars], L'#');
    }
    // The split between the two suffixes does not matter, only the total.
    wchar_t path[kComposedPathChars];
    EXPECT_FALSE(ComposeSettingsPath(path, kComposedPathChars, std::wstring(600, L'a').c_str(),
                                     std::wstring(25, L'b').c_str()));
    EXPECT_STREQ(path, L"");
    SetSettingsFolder(L"c:\\nimbo64");
    EXPECT_FALSE(ComposeSettingsPath(path, 10, nullptr)); // ten characters need eleven
    EXPECT_TRUE(ComposeSettingsPath(path, 11, L""));
    EXPECT_STREQ(path, L"c:\\nimbo64");
}

struct HostPreferenceCase {
    const wchar_t* folder;
    const wchar_t* expected;
};

TEST(HostPreferencePath, OneFolderAboveTheFolderPartOfTheSettingsFolder) {
    const HostPreferenceCase cases[] = {
        {L"c:\\nimbo64", L"c:\\ocular\\ocularObx.upf"},
        {L"c:\\nimbo64\\settings\\", L"c:\\nimbo64\\ocular\\ocularObx.upf"},
        {L"c:\\nimbo64\\settings", L"c:\\ocular\\ocularObx.upf"},
        {L"Z:\\tmp\\inst\\settings", L"Z:\\tmp\\ocular\\ocularObx.upf"},
        {L"c:\\", L"c:\\ocular\\ocularObx.upf"},
        {L"d:\\a\\b\\c\\d", L"d:\\a\\b\\ocular\\ocularObx.upf"},
        {L"\\\\server\\share\\set\\", L"\\\\server\\share\\ocular\\ocularObx.upf"},
        {L"c:/nimbo64/settings", L"ocular\\ocularObx.upf"},
        {L"", L"ocular\\ocularObx.upf"},
    };
    for (const HostPreferenceCase& c : cases) {
        SetSettingsFolder(c.folder);
        wchar_t path[1024];
        EXPECT_TRUE(HostPreferencePath(path, 1024)) << c.folder;
        EXPECT_STREQ(path, c.expected) << c.folder;
    }
}

TEST(HostPreferencePath, RefusesABufferTooSmall) {
    SetSettingsFolder(L"c:\\nimbo64\\settings\\");
    const size_t needed = wcslen(L"c:\\nimbo64\\ocular\\ocularObx.upf") + 1;
    wchar_t path[64];
    EXPECT_FALSE(HostPreferencePath(path, needed - 1));
    EXPECT_STREQ(path, L"");
    EXPECT_TRUE(HostPreferencePath(path, needed));
}

} // namespace
