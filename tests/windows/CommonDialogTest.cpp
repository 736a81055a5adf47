// The classic file dialogs, driven as a person would (a name typed, OK
// pressed), and the menu and string-resource helpers the main window uses.

#include "Afx.h"
#include "DialogAnswerer.h"
#include "FrameworkTestIds.h"
#include "TempDir.h"
#include "WindowTest.h"

#include <gtest/gtest.h>

namespace {

// Types a file name into the file dialog and presses OK.
bool TypeFileName(HWND dialog, const CString& name)
{
    // The name box is a combo box (cmb13) or an edit (edt1).
    int nameBox = ::GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
    ::SetDlgItemTextW(dialog, nameBox, name);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
}

} // namespace

TEST(FileDialog, SaveDialogTakesTheTypedNameWithTheDefaultExtension)
{
    TempDir dir;
    CString typed = dir.Path(L"Kestrova_export");
    DialogAnswerer person("the save dialog", [typed](HWND dialog) { return TypeFileName(dialog, typed); });
    CFileDialog dialog(FALSE, L"log", nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                       L"Log Files (*.log)|*.log|All Files (*.*)|*.*||");
    // The caller's own buffer (holding a default name) takes the chosen path.
    wchar_t name[MAX_PATH] = L"Kestrova_default.log";
    dialog.m_ofn.lpstrFile = name;
    dialog.m_ofn.nMaxFile = MAX_PATH;
    INT_PTR result = dialog.DoModal();
    person.Finish();
    ASSERT_TRUE(person.Answered());
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(name, dir.Path(L"Kestrova_export.log"));
    EXPECT_STREQ(dialog.GetPathName(), dir.Path(L"Kestrova_export.log"));
    EXPECT_STREQ(dialog.GetFileName(), L"Kestrova_export.log");
    EXPECT_STREQ(dialog.GetFileExt(), L"log");
    // The filter reaches the platform as NUL-separated pairs ending in two NULs.
    const wchar_t* filter = dialog.m_ofn.lpstrFilter;
    EXPECT_STREQ(filter, L"Log Files (*.log)");
    filter += lstrlenW(filter) + 1;
    EXPECT_STREQ(filter, L"*.log");
}

TEST(FileDialog, CancelGivesIdCancel)
{
    DialogAnswerer person("the open dialog", [](HWND dialog) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    CFileDialog dialog(TRUE, L"bin", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, L"All Files (*.*)|*.*||");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    person.Finish();
}

TEST(Menu, SystemMenuTakesAnItemFromAStringResource)
{
    CString about;
    ASSERT_TRUE(about.LoadString(IDS_TEST_ABOUT));
    EXPECT_STREQ(about, L"&About Kestrova...");
    CString missing(L"x");
    EXPECT_FALSE(missing.LoadString(4711));
    EXPECT_TRUE(missing.IsEmpty());

    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"menu", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr, 0));
    CMenu* menu = wnd.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    int before = menu->GetMenuItemCount();
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 0x10, about);
    EXPECT_EQ(wnd.GetSystemMenu(FALSE)->GetMenuItemCount(), before + 2);
    wchar_t text[64] = {};
    menu->GetMenuString(0x10, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&About Kestrova...");
    wnd.DestroyWindow();
    AfxDeleteTempMaps();
}
