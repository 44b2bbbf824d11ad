// setup.exe as a deployment script meets it: installation media in a folder, a command line, an exit code.
#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

using setuptest::Exists;
using setuptest::IsFolder;
using setuptest::Quoted;
using setuptest::ReadAll;
using setuptest::RunResult;
using setuptest::RunSetup;
using setuptest::StateOf;

class SilentInstallTest : public testing::Test {
public:
    std::wstring media, target;

    // Media for the test: setup.exe and setup.inf side by side, the payload in its installed layout.
    void LayOut(const std::wstring& name, const std::string& inf) {
        media = testenv::ScratchFolder(name + L"_media");
        target = testenv::ScratchFolder(name + L"_target");
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\setup.exe").c_str(),
                              (media + L"\\setup.exe").c_str(), FALSE));
        if (!inf.empty()) {
            ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", inf));
        }
    }

    void Payload(const std::wstring& relative, const std::string& bytes) {
        std::wstring path = media + L"\\" + relative;
        size_t slash = path.rfind(L'\\');
        std::wstring folder = path.substr(0, slash);
        for (size_t at = media.size() + 1; at <= folder.size(); ++at) {
            if (at == folder.size() || folder[at] == L'\\')
                CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
        }
        ASSERT_TRUE(testenv::WriteFileBytes(path, bytes));
    }

    std::wstring Exe() const { return target + L"\\exe"; }
    std::wstring Set() const { return target + L"\\set"; }
    std::wstring ThreeFolders() const { return Quoted(Exe()) + L" " + Quoted(Set()) + L" C:\\unused"; }
};

const char* const kBasicInf =
    "[Application]\r\nAppName=Photo\r\nDefDir=C:\\Nimbo\\Photo\r\nTarget=NONE\r\n"
    "[ExeDirs]\r\nbin\r\nbin\\plugins\r\n[SetDirs]\r\nconfig\r\n"
    "[ExeFiles]\r\nPhoto, bin\\photo.exe, -\r\nLib, bin\\plugins\\lib.dll, -\r\n"
    "[SetFiles]\r\nPrefs, config\\prefs.upf, L\r\nRead me, readme.txt, -\r\n[End]\r\n";

void AddBasicPayload(SilentInstallTest* test) {
    test->Payload(L"bin\\photo.exe", setuptest::Pattern(40000));
    test->Payload(L"bin\\plugins\\lib.dll", "library");
    test->Payload(L"config\\prefs.upf", "[Nimbo preferences]\r\nQuality=90\r\n");
    test->Payload(L"readme.txt", "read me");
}

TEST_F(SilentInstallTest, InstallsTheDescribedTreeWithoutShowingAnything) {
    LayOut(L"silent_basic", kBasicInf);
    AddBasicPayload(this);
    RunResult run = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set() + L"\\") + L" C:\\unused");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_EQ(setuptest::Pattern(40000), ReadAll(Exe() + L"\\bin\\photo.exe"));
    EXPECT_EQ("library", ReadAll(Exe() + L"\\bin\\plugins\\lib.dll"));
    EXPECT_EQ("read me", ReadAll(Set() + L"\\readme.txt"));
    EXPECT_TRUE(Exists(Set() + L"\\config\\prefs.upf"));
    // The folder is written as it was given, trailing backslash included.
    std::string settingsPath = ReadAll(Exe() + L"\\settings_path.txt");
    std::wstring settings = Set();
    std::string expected(settings.begin(), settings.end());
    EXPECT_EQ(expected + "\\\r\n", settingsPath);
}

TEST_F(SilentInstallTest, ASecondInstallationKeepsTheUsersSettings) {
    LayOut(L"silent_again", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    ASSERT_TRUE(testenv::WriteFileBytes(Set() + L"\\config\\prefs.upf", "edited"));
    ASSERT_TRUE(testenv::WriteFileBytes(Exe() + L"\\bin\\photo.exe", "old program"));
    EXPECT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    EXPECT_EQ("edited", ReadAll(Set() + L"\\config\\prefs.upf"));
    EXPECT_EQ(setuptest::Pattern(40000), ReadAll(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, RelativeFoldersAreTakenFromTheCurrentFolder) {
    LayOut(L"silent_relative", kBasicInf);
    AddBasicPayload(this);
    RunResult run = RunSetup(media, L"rel\\exe rel\\set C:\\unused", target);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(Exists(target + L"\\rel\\exe\\bin\\photo.exe"));
    std::wstring settings = target + L"\\rel\\set";
    EXPECT_EQ(std::string(settings.begin(), settings.end()) + "\r\n",
              ReadAll(target + L"\\rel\\exe\\settings_path.txt"));
}

TEST_F(SilentInstallTest, AMissingSourceEndsWithFailureAndSkipsTheLaterSteps) {
    LayOut(L"silent_missing", kBasicInf);
    AddBasicPayload(this);
    DeleteFileW((media + L"\\readme.txt").c_str());
    RunResult run = RunSetup(media, ThreeFolders());
    EXPECT_EQ(4u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_TRUE(Exists(Set() + L"\\config\\prefs.upf"));
    EXPECT_FALSE(Exists(Exe() + L"\\settings_path.txt"));
    EXPECT_FALSE(Exists(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, ATargetThatCannotBeReplacedFails) {
    LayOut(L"silent_locked", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    HANDLE holder = CreateFileW((Exe() + L"\\bin\\photo.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    std::string before = StateOf(Exe() + L"\\bin\\photo.exe");
    EXPECT_EQ(4u, RunSetup(media, ThreeFolders()).exitCode);
    CloseHandle(holder);
    EXPECT_EQ(before, StateOf(Exe() + L"\\bin\\photo.exe"));
    EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(target).empty());
}

TEST_F(SilentInstallTest, AModuleInUseThatIsUpToDatePasses) {
    LayOut(L"silent_module", kBasicInf);
    AddBasicPayload(this);
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    HANDLE holder = CreateFileW((Exe() + L"\\bin\\plugins\\lib.dll").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    // A newer module on the media cannot be skipped that way.
    setuptest::SetWriteTime(media + L"\\bin\\plugins\\lib.dll", 2030);
    EXPECT_EQ(4u, RunSetup(media, ThreeFolders()).exitCode);
    CloseHandle(holder);
}

TEST_F(SilentInstallTest, AFileInTheWayOfTheTargetFolderFails) {
    LayOut(L"silent_blocked", kBasicInf);
    AddBasicPayload(this);
    ASSERT_TRUE(testenv::WriteFileBytes(target + L"\\blocker", "a file, not a folder"));
    RunResult run =
        RunSetup(media, Quoted(target + L"\\blocker\\exe") + L" " + Quoted(Set()) + L" C:\\unused");
    EXPECT_EQ(4u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    EXPECT_FALSE(Exists(Set()));
}

TEST_F(SilentInstallTest, ADiskThatFillsUpDuringTheCopyFailsAndLeavesNoPartialFile) {
    LayOut(L"silent_disk_full", kBasicInf);
    AddBasicPayload(this);
    Payload(L"bin\\photo.exe", setuptest::Pattern(200000));
    if (!setuptest::MountTinyDisk(Exe(), target)) GTEST_SKIP() << "no right to mount a small file system";
    DWORD exitCode = RunSetup(media, ThreeFolders()).exitCode;
    bool partial = Exists(Exe() + L"\\bin\\photo.exe");
    bool later = Exists(Exe() + L"\\bin\\plugins\\lib.dll");
    bool folders = IsFolder(Exe() + L"\\bin\\plugins");
    setuptest::UnmountTinyDisk(Exe(), target);
    EXPECT_EQ(4u, exitCode);
    EXPECT_TRUE(folders);
    EXPECT_FALSE(partial);
    EXPECT_FALSE(later);
}

// A second installation onto a disk without room for the new version: the copies go into temporary
// files that never take the installed files' place, so the previous installation stays whole.
TEST_F(SilentInstallTest, ADiskThatFillsUpKeepsThePreviousVersionOfEveryFile) {
    LayOut(L"silent_disk_full_again", kBasicInf);
    AddBasicPayload(this);
    testenv::TinyDisk disk(Exe(), target);
    if (!disk.Mounted()) GTEST_SKIP() << TINY_DISK_SKIP_MESSAGE;
    ASSERT_EQ(0u, RunSetup(media, ThreeFolders()).exitCode);
    const std::wstring installed[] = {Exe() + L"\\bin\\photo.exe", Exe() + L"\\bin\\plugins\\lib.dll"};
    setuptest::SetWriteTime(installed[0], 2016);
    std::vector<std::string> before;
    for (const std::wstring& path : installed) before.push_back(StateOf(path));
    Payload(L"bin\\photo.exe", setuptest::Pattern(200000)); // the new version does not fit
    RunResult run = RunSetup(media, ThreeFolders());
    EXPECT_EQ(4u, run.exitCode);
    EXPECT_TRUE(run.windowTitles.empty());
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i], StateOf(installed[i])) << i;
    EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(Exe()).empty());
}

// Fills a disk up to its last byte, so that the next file that needs room fails.
void FillDisk(const std::wstring& folder) {
    HANDLE filler = CreateFileW((folder + L"\\filler.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
           written == block.size()) {
    }
    while (WriteFile(filler, block.data(), 1, &written, nullptr) && written == 1) {
    }
    CloseHandle(filler);
}

// The files the installer rewrites on every installation, on a disk that has no room left: the settings
// path of the installed programs and MicroStation's configuration stay as they were.
TEST_F(SilentInstallTest, AFullDiskKeepsTheSettingsPathAndTheHostConfiguration) {
    std::string microStation = kBasicInf;
    microStation.replace(microStation.find("Target=NONE"), 11, "Target=MicroStation");
    struct Case {
        const char* name;
        std::wstring disk; // below target
        std::wstring kept; // below target
        DWORD exitCode;    // a MicroStation folder it cannot write into is only a warning
    };
    const Case cases[] = {
        {"settings path", L"\\exe", L"\\exe\\settings_path.txt", 4},
        {"MicroStation's copy of nimbo.cfg", L"\\ms\\config\\appl", L"\\ms\\config\\appl\\nimbo.cfg", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(L"silent_config_full", microStation);
        AddBasicPayload(this);
        CreateDirectoryW((target + L"\\ms").c_str(), nullptr);
        CreateDirectoryW((target + L"\\ms\\config").c_str(), nullptr);
        testenv::TinyDisk disk(target + c.disk, target);
        if (!disk.Mounted()) GTEST_SKIP() << TINY_DISK_SKIP_MESSAGE;
        std::wstring arguments =
            ThreeFolders().substr(0, ThreeFolders().rfind(L' ')) + L" " + Quoted(target + L"\\ms");
        ASSERT_EQ(0u, RunSetup(media, arguments).exitCode);
        std::string before = StateOf(target + c.kept);
        ASSERT_NE("missing", before);
        FillDisk(target + c.disk);
        RunResult run = RunSetup(media, Quoted(Exe()) + L" " + Quoted(target + L"\\other-set") + L" " +
                                            Quoted(target + L"\\ms"));
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ(before, StateOf(target + c.kept));
        EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(target + c.disk).empty());
    }
}

// ---- Installing onto the installation media ----

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

std::wstring ForwardSlashes(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\\') c = L'/';
    return text;
}

// The media laid out in the folder they install into, named on the command line in any spelling: every
// listed file is its own target and is left alone, so it keeps its bytes and its time.
TEST_F(SilentInstallTest, TargetsThatAreTheMediaFolderKeepEveryListedFile) {
    LayOut(L"silent_onto_media", kBasicInf);
    AddBasicPayload(this);
    const wchar_t* const listed[] = {L"bin\\photo.exe", L"bin\\plugins\\lib.dll", L"config\\prefs.upf",
                                     L"readme.txt"};
    for (const wchar_t* file : listed) setuptest::SetWriteTime(media + L"\\" + file, 2015);
    struct Case {
        const char* name;
        std::wstring arguments;
        std::wstring currentFolder;
    };
    const Case cases[] = {
        {"as laid out", Quoted(media) + L" " + Quoted(media) + L" C:\\unused", L""},
        {"upper case with backslashes",
         Quoted(UpperCase(media) + L"\\") + L" " + Quoted(media + L"\\") + L" C:\\unused", L""},
        {"forward slashes", Quoted(ForwardSlashes(media)) + L" " + Quoted(Set()) + L" C:\\unused", L""},
        {"the current folder", L". " + Quoted(UpperCase(media)) + L" C:\\unused", media},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> before;
        for (const wchar_t* file : listed) before.push_back(StateOf(media + L"\\" + file));
        RunResult run = RunSetup(media, c.arguments, c.currentFolder);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_TRUE(run.windowTitles.empty());
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(before[i], StateOf(media + L"\\" + listed[i])) << testing::PrintToString(listed[i]);
        EXPECT_TRUE(setuptest::LeftoverTemporaryFiles(media).empty());
    }
    EXPECT_EQ(setuptest::Pattern(40000), ReadAll(media + L"\\bin\\photo.exe"));
}

// ---- Folders as typed ----

std::string Narrow8Bit(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) bytes += static_cast<char>(c);
    return bytes;
}

std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.cFileName[0] != L'.') names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Folders with characters outside ASCII arrive exactly as the script wrote them. The host files take them
// one byte per character; a settings folder with a character beyond one byte fails that step rather than
// being written as another folder.
TEST_F(SilentInstallTest, FoldersOutsideAsciiAreInstalledIntoExactlyThatFolder) {
    std::string microStation = kBasicInf;
    microStation.replace(microStation.find("Target=NONE"), 11, "Target=MicroStation");
    struct Case {
        const char* name;
        const wchar_t* exe;
        const wchar_t* set;
        DWORD exitCode;
        bool cfgWritten; // nimbo.cfg holds both folders; it is left out when one does not fit 8 bits
    };
    const Case cases[] = {
        {"8-bit", L"caf\u00E9", L"caf\u00E9 r\u00E9glages", 0, true},
        {"executables beyond 8 bits", L"\u65E5\u672C \u03A9mega", L"set", 0, false},
        {"settings beyond 8 bits", L"exe", L"\u03A9mega set", 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(L"silent_non_ascii", microStation);
        AddBasicPayload(this);
        std::wstring exe = target + L"\\" + c.exe, set = target + L"\\" + c.set;
        RunResult run = RunSetup(media, Quoted(exe) + L" " + Quoted(set) + L" " + Quoted(target + L"\\ms"));
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_TRUE(run.windowTitles.empty());
        std::vector<std::wstring> expected = {c.exe, c.set};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, NamesIn(target)) << "folders made somewhere else";
        EXPECT_EQ("read me", ReadAll(set + L"\\readme.txt"));
        if (c.exitCode != 0) {
            EXPECT_FALSE(Exists(exe + L"\\settings_path.txt"));
            continue;
        }
        EXPECT_EQ(setuptest::Pattern(40000), ReadAll(exe + L"\\bin\\photo.exe"));
        EXPECT_EQ(Narrow8Bit(set) + "\r\n", ReadAll(exe + L"\\settings_path.txt"));
        if (!c.cfgWritten) {
            EXPECT_FALSE(Exists(set + L"\\nimbo.cfg"));
            continue;
        }
        std::string cfg = ReadAll(set + L"\\nimbo.cfg");
        EXPECT_NE(std::string::npos, cfg.find("\r\nNIMBODIR=" + Narrow8Bit(ForwardSlashes(set)) + "/\r\n"))
            << cfg;
    }
}

// ---- Command lines that cannot be installed ----

// With as many folders as the kind needs, a script is waiting for the result: a folder that cannot be one
// ends the run at once with "could not start", before anything is made and without a window.
TEST_F(SilentInstallTest, AFolderThatCannotBeOneEndsAtOnceWithoutAWindow) {
    std::string slave = kBasicInf;
    slave.replace(slave.find("Target=NONE"), 11, "Target=SLAVE");
    std::wstring tooLong = L"C:\\" + std::wstring(397, L'a'); // 400 characters
    std::wstring longRelative(390, L'r');                     // fits alone, not below the current folder
    struct Case {
        const char* name;
        const std::string* inf;
        std::wstring arguments;
        DWORD exitCode;
    };
    LayOut(L"silent_unusable", kBasicInf);
    const std::string basic = kBasicInf;
    const Case cases[] = {
        {"executables too long", &basic, Quoted(tooLong) + L" " + Quoted(Set()) + L" C:\\unused", 1},
        {"settings too long", &basic, Quoted(Exe()) + L" " + Quoted(tooLong) + L" C:\\unused", 1},
        {"host too long", &basic, Quoted(Exe()) + L" " + Quoted(Set()) + L" " + tooLong, 1},
        {"a wildcard", &basic, Quoted(Exe() + L"\\*") + L" " + Quoted(Set()) + L" C:\\unused", 1},
        {"a colon inside", &basic, Quoted(Exe() + L"\\a:b") + L" " + Quoted(Set()) + L" C:\\unused", 1},
        {"too long once made absolute", &basic, longRelative + L" " + Quoted(Set()) + L" C:\\unused", 1},
        {"slave, second too long", &slave, Quoted(Exe()) + L" " + Quoted(tooLong), 1},
        // Too few folders for the kind: that is a person's start, and the wizard asks.
        {"basic with two", &basic, Quoted(Exe()) + L" " + Quoted(tooLong), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", *c.inf));
        AddBasicPayload(this);
        RunResult run = RunSetup(media, c.arguments, target);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ(c.exitCode == 1, run.windowTitles.empty());
        EXPECT_TRUE(NamesIn(target).empty()) << "something was made";
    }
}

TEST_F(SilentInstallTest, WithoutTheDescriptionItSaysSoAndInstallsNothing) {
    LayOut(L"silent_no_inf", "");
    RunResult run = RunSetup(media, ThreeFolders());
    EXPECT_EQ(1u, run.exitCode);
    ASSERT_EQ(1u, run.messages.size());
    EXPECT_EQ(L"Could not read setup.inf file.", run.messages[0]);
    EXPECT_EQ(L"Nimbo Setup", run.windowTitles[0]);
    EXPECT_FALSE(Exists(Exe()));
}

TEST_F(SilentInstallTest, TwoFoldersAreEnoughForTheSlaveKindOnly) {
    LayOut(L"silent_two", kBasicInf);
    AddBasicPayload(this);
    // Any other kind asks the user; leaving the wizard installs nothing.
    RunResult asked = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set()));
    EXPECT_EQ(2u, asked.exitCode);
    EXPECT_FALSE(Exists(Exe()));
    std::string slave = kBasicInf;
    slave.replace(slave.find("Target=NONE"), 11, "Target=slave");
    ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", slave));
    EXPECT_EQ(0u, RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set())).exitCode);
    EXPECT_TRUE(Exists(Exe() + L"\\bin\\photo.exe"));
}

TEST_F(SilentInstallTest, ADllPlantedBesideSetupIsNotLoaded) {
    LayOut(L"silent_planted", kBasicInf);
    AddBasicPayload(this);
    ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\planted\\Msftedit.dll").c_str(),
                          (media + L"\\Msftedit.dll").c_str(), FALSE));
    // Two folders for the basic kind start the wizard, which loads the rich-edit library for the agreement.
    RunResult run = RunSetup(media, Quoted(Exe()) + L" " + Quoted(Set()));
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_FALSE(Exists(media + L"\\Msftedit.dll.loaded"));
}

} // namespace
