// Driving GuiDlg's dialogs from a second thread of the test: finding them, clicking the check boxes
// of their class list with the mouse, reading the list back.
#pragma once

#include <windows.h>

#include <string>

namespace guidlg_test {

// A dialog of the dialog manager (class "#32770") with this title.
HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs = 10000);
// A message box (or other dialog) with this title that the window owns.
HWND WaitForOwnedDialog(HWND owner, const std::wstring& title, DWORD timeoutMs = 5000);
// The list row that shows the class, or -1.
int RowOfClass(HWND list, int classNumber);
int RowCount(HWND list);
bool RowChecked(HWND list, int row);
std::wstring RowText(HWND list, int row, int column);
// A mouse click on the check box of the row (found by hit-testing, as a person aims at it). False
// when the row has no check box in sight.
bool ClickRowCheckBox(HWND list, int row);
// Waits until the row's check state is the one wanted.
bool WaitForRowChecked(HWND list, int row, bool checked);

} // namespace guidlg_test
