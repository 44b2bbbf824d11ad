// GuiDlg inside the real host: its dialogs and messages belong to the host's top window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "../lidora/host_script.h"
#include "snap_dialog.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

namespace {

std::wstring ProbeModule() {
    return hostrun::BuildPath(L"tests\\guidlg\\guidlg_probe.ix");
}

TEST(GuiDlgInHost, DialogsAndMessagesBelongToTheHostsTopWindow) {
    std::wstring folder = testenv::ScratchFolder(L"guidlg_in_host");
    std::wstring answer = folder + L"\\snap.txt";
    HWND snapOwner = nullptr, messageOwner = nullptr, host = nullptr;
    std::wstring message;
    hostrun::Result result = lidoratest::RunHostScript(
        L"guidlg_in_host_run", {ProbeModule()},
        {"keyin probe snap " + lidoratest::Utf8(answer),
         "keyin probe convert " + lidoratest::Utf8(folder + L"\\missing.prj")},
        [&] {
            HWND dialog = ui::WaitForWindow(kSnapTitle, 60000, L"#32770");
            if (!dialog) return;
            snapOwner = GetWindow(dialog, GW_OWNER);
            host = ui::FindTopWindow(L"Orbisa");
            testenv::SaveScreenshot("guidlg_snap_in_host");
            ui::Click(GetDlgItem(dialog, kSnapViewFirst + 0));
            ui::WaitUntil(
                [&] { return ui::CheckState(GetDlgItem(dialog, kSnapViewFirst + 0)) == BST_UNCHECKED; });
            ui::Click(GetDlgItem(dialog, IDOK));
            HWND box = ui::WaitForMessageBox(L"Lidora Project", 60000);
            if (!box) return;
            messageOwner = GetWindow(box, GW_OWNER);
            message = ui::MessageBoxText(box);
            ui::AnswerMessageBox(box, L"OK");
        });
    EXPECT_TRUE(result.started && !result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << hostrun::Joined(result.output) << hostrun::Joined(result.errors);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(snapOwner, host);
    EXPECT_EQ(messageOwner, host);
    EXPECT_NE(message.find(L"missing.prj"), std::wstring::npos);
    std::string written;
    ASSERT_TRUE(testenv::ReadFileBytes(answer, written));
    EXPECT_EQ(written, "1 126\n");
}

} // namespace
