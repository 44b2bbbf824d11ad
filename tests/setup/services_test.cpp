#include "services.h"
#include "setup_state.h"
#include "setup_text.h"
#include "shortcut.h"

#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct ServiceConfig {
    bool exists = false;
    std::wstring binaryPath;
    std::wstring account;
    DWORD startType = 0;
    DWORD serviceType = 0;
};

ServiceConfig QueryService(const wchar_t* name) {
    ServiceConfig config;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return config;
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_QUERY_CONFIG);
    if (service) {
        DWORD needed = 0;
        QueryServiceConfigW(service, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed + 16);
        auto* data = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (QueryServiceConfigW(service, data, static_cast<DWORD>(buffer.size()), &needed)) {
            config.exists = true;
            config.binaryPath = data->lpBinaryPathName ? data->lpBinaryPathName : L"";
            config.account = data->lpServiceStartName ? data->lpServiceStartName : L"";
            config.startType = data->dwStartType;
            config.serviceType = data->dwServiceType;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return config;
}

FileEntry Entry(const wchar_t* name, const wchar_t* file, uint32_t flags) {
    FileEntry entry{};
    SetupTextCopy(entry.name, 80, name);
    SetupTextCopy(entry.file, 80, file);
    entry.flags = flags;
    return entry;
}

class ServiceTest : public testing::Test {
protected:
    void SetUp() override {
        SetupStateReset();
        SetupTextCopy(g_setup.exeFolder, kSetupPathChars, L"C:\\Program Files\\Nimbo");
        Clean();
    }
    void TearDown() override { Clean(); }
    void Clean() {
        for (const wchar_t* name : {L"NimboTestA", L"NimboTestB", L"NimboTestC"}) ServiceStopDelete(name);
    }
};

TEST_F(ServiceTest, CreatesAnAutomaticOwnProcessServiceUnderTheLocalSystem) {
    FileEntry list[] = {Entry(L"NimboTestA", L"bin\\slave.exe", FileFlags::Service),
                        Entry(L"NotAService", L"bin\\tool.exe", 0)};
    ASSERT_TRUE(ServiceInstallAll(nullptr, L"", L"", list, 2));
    ServiceConfig config = QueryService(L"NimboTestA");
    ASSERT_TRUE(config.exists);
    EXPECT_EQ(L"\"C:\\Program Files\\Nimbo\\bin\\slave.exe\"", config.binaryPath);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config.startType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config.serviceType & 0xFF);
    EXPECT_EQ(L"LocalSystem", config.account);
    EXPECT_FALSE(QueryService(L"NotAService").exists);
}

TEST_F(ServiceTest, RunsUnderTheLocalAccountOfTheUserName) {
    wchar_t user[80];
    DWORD size = 80;
    ASSERT_TRUE(GetUserNameW(user, &size));
    FileEntry list[] = {Entry(L"NimboTestA", L"a.exe", FileFlags::Service),
                        Entry(L"NimboTestB", L"b.exe", FileFlags::Service)};
    ASSERT_TRUE(ServiceInstallAll(nullptr, user, L"secret", list, 2));
    EXPECT_EQ(std::wstring(L".\\") + user, QueryService(L"NimboTestA").account);
    EXPECT_EQ(std::wstring(L".\\") + user, QueryService(L"NimboTestB").account);
}

TEST_F(ServiceTest, AnUnknownAccountStillCreatesThatServiceButSkipsTheRest) {
    FileEntry list[] = {Entry(L"NimboTestA", L"a.exe", FileFlags::Service),
                        Entry(L"NimboTestB", L"b.exe", FileFlags::Service)};
    EXPECT_FALSE(ServiceGrantLogonRight(L"nimbo-no-such-user"));
    EXPECT_FALSE(ServiceInstallAll(nullptr, L"nimbo-no-such-user", L"", list, 2));
    EXPECT_TRUE(QueryService(L"NimboTestA").exists);
    EXPECT_FALSE(QueryService(L"NimboTestB").exists);
}

TEST_F(ServiceTest, ASecondInstallationReplacesTheRegistration) {
    FileEntry list[] = {Entry(L"NimboTestA", L"old.exe", FileFlags::Service)};
    ASSERT_TRUE(ServiceInstallAll(nullptr, L"", L"", list, 1));
    EXPECT_FALSE(ServiceInstallAll(nullptr, L"", L"", list, 1)); // still registered: creating again fails
    ServiceRemoveAll(list, 1);
    EXPECT_FALSE(QueryService(L"NimboTestA").exists);
    list[0] = Entry(L"NimboTestA", L"new.exe", FileFlags::Service);
    ASSERT_TRUE(ServiceInstallAll(nullptr, L"", L"", list, 1));
    EXPECT_EQ(L"\"C:\\Program Files\\Nimbo\\new.exe\"", QueryService(L"NimboTestA").binaryPath);
}

TEST_F(ServiceTest, RemovalTouchesServiceEntriesOnly) {
    FileEntry service[] = {Entry(L"NimboTestC", L"c.exe", FileFlags::Service)};
    ASSERT_TRUE(ServiceInstallAll(nullptr, L"", L"", service, 1));
    FileEntry plain[] = {Entry(L"NimboTestC", L"c.exe", 0)};
    ServiceRemoveAll(plain, 1);
    EXPECT_TRUE(QueryService(L"NimboTestC").exists);
    // Without service entries no right is asked for, even for an account that does not exist.
    EXPECT_TRUE(ServiceInstallAll(nullptr, L"nimbo-no-such-user", L"", plain, 1));
}

TEST(ServiceCommandLine, QuotesAPathWithABlankOnly) {
    wchar_t line[64];
    ASSERT_TRUE(ServiceCommandLine(L"C:\\Nimbo\\slave.exe", line, 64));
    EXPECT_STREQ(L"C:\\Nimbo\\slave.exe", line);
    ASSERT_TRUE(ServiceCommandLine(L"C:\\My Apps\\slave.exe", line, 64));
    EXPECT_STREQ(L"\"C:\\My Apps\\slave.exe\"", line);
    EXPECT_FALSE(ServiceCommandLine(L"C:\\a folder name far too long for the buffer\\slave.exe", line, 40));
}

struct LinkContent {
    std::wstring path, workingFolder, description;
};

bool LoadLink(const std::wstring& file, LinkContent* content) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    bool loaded = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
                wchar_t text[MAX_PATH] = L"";
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                content->path = text;
                link->GetWorkingDirectory(text, MAX_PATH);
                content->workingFolder = text;
                link->GetDescription(text, MAX_PATH);
                content->description = text;
                loaded = true;
            }
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return loaded;
}

class ShortcutTest : public testing::Test {
protected:
    std::wstring programs;
    void SetUp() override {
        SetupStateReset();
        wchar_t folder[MAX_PATH];
        ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder));
        programs = folder;
        SetupTextCopy(g_setup.exeFolder, kSetupPathChars, L"C:\\Apps\\Nimbo");
        DeleteFileW((programs + L"\\Nimbo Photo.lnk").c_str());
    }
    void TearDown() override { DeleteFileW((programs + L"\\Nimbo Photo.lnk").c_str()); }
};

TEST_F(ShortcutTest, PointsAtTheFirstProgramWithItsFolderAndName) {
    g_setup.exeFiles[0] = Entry(L"Nimbo Photo", L"bin\\photo.exe", FileFlags::Shortcut);
    g_setup.exeFileCount = 1;
    EXPECT_TRUE(ShortcutCreate());
    LinkContent link;
    ASSERT_TRUE(LoadLink(programs + L"\\Nimbo Photo.lnk", &link));
    EXPECT_EQ(L"C:\\Apps\\Nimbo\\bin\\photo.exe", link.path);
    EXPECT_EQ(L"C:\\Apps\\Nimbo\\bin", link.workingFolder);
    EXPECT_EQ(L"Nimbo Photo", link.description);
}

TEST_F(ShortcutTest, OnlyTheFirstEntryCanAskForIt) {
    g_setup.exeFiles[0] = Entry(L"Tool", L"tool.exe", 0);
    g_setup.exeFiles[1] = Entry(L"Nimbo Photo", L"photo.exe", FileFlags::Shortcut);
    g_setup.exeFileCount = 2;
    EXPECT_TRUE(ShortcutCreate());
    EXPECT_FALSE(setuptest::Exists(programs + L"\\Nimbo Photo.lnk"));
    g_setup.exeFileCount = 0;
    EXPECT_TRUE(ShortcutCreate());
}

TEST_F(ShortcutTest, ANameThatWouldLeaveTheProgramsFolderMakesNoLink) {
    wchar_t path[kSetupPathChars];
    EXPECT_FALSE(ShortcutLinkPath(L"..\\..\\Startup\\x", path, kSetupPathChars));
    EXPECT_FALSE(ShortcutLinkPath(L"C:x", path, kSetupPathChars));
    EXPECT_FALSE(ShortcutLinkPath(L"..", path, kSetupPathChars));
    EXPECT_FALSE(ShortcutLinkPath(L"", path, kSetupPathChars));
    ASSERT_TRUE(ShortcutLinkPath(L"Nimbo Photo", path, kSetupPathChars));
    EXPECT_EQ(programs + L"\\Nimbo Photo.lnk", path);
}

} // namespace
