// The installer runs elevated from a downloads folder: DLLs lying around there must never be loaded.
#include "setup_main.h"

#include "setup_test_support.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(SetupRestrictDllSearch, LeavesTheCurrentAndProgramFoldersOutOfTheDllSearch) {
    std::wstring folder = testenv::ScratchFolder(L"dll_search");
    std::wstring probe = folder + L"\\nimbo_plant_probe.dll";
    std::wstring marker = probe + L".loaded";
    ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\planted\\Msftedit.dll").c_str(), probe.c_str(),
                          FALSE));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    // Without the restriction a DLL in the current folder is found by its bare name.
    HMODULE found = LoadLibraryW(L"nimbo_plant_probe.dll");
    ASSERT_NE(nullptr, found);
    FreeLibrary(found);
    ASSERT_TRUE(setuptest::Exists(marker));
    DeleteFileW(marker.c_str());

    SetupRestrictDllSearch();
    EXPECT_EQ(nullptr, LoadLibraryW(L"nimbo_plant_probe.dll"));
    EXPECT_FALSE(setuptest::Exists(marker));
    // System DLLs are still found.
    EXPECT_NE(nullptr, LoadLibraryW(L"Msftedit.dll"));
    SetCurrentDirectoryW(previous);
}

} // namespace
