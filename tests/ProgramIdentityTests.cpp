// The main window shows the program's icon, and its system menu's About box names the version and
// where settings and translations are kept.
#include "ProgramInfo.h"
#include "TranslatorFixture.h"

using ProgramIdentity = TranslatorFixture;

TEST_F(ProgramIdentity, TheMainWindowShowsTheIconAndItsAboutBoxTheVersionAndFolders) {
    CMainDialog main(&engine, program.Path(), session);
    LRESULT bigIcon = 0, smallIcon = 0;
    std::wstring item, about;
    Run(main, {[&] {
                   bigIcon = SendMessageW(main.Window(), WM_GETICON, ICON_BIG, 0);
                   smallIcon = SendMessageW(main.Window(), WM_GETICON, ICON_SMALL, 0);
                   HMENU menu = GetSystemMenu(main.Window(), FALSE);
                   const int last = GetMenuItemCount(menu) - 1;
                   wchar_t text[128] = L"";
                   GetMenuStringW(menu, last, text, ARRAYSIZE(text), MF_BYPOSITION);
                   item = text;
                   PostMessageW(main.Window(), WM_SYSCOMMAND, GetMenuItemID(menu, last), 0);
               },
               [&] { about = AnswerMessageBox(main, IDOK); }});
    EXPECT_NE(0, bigIcon);
    EXPECT_NE(0, smallIcon);
    EXPECT_EQ(L"&About tevlib translator...", item);
    EXPECT_NE(std::wstring::npos, about.find(L"tevlib translator " TEXT(TEV_VERSION_TEXT))) << about;
    EXPECT_NE(std::wstring::npos, about.find(L"Settings: " + program.Path() + L"settings.ini")) << about;
    EXPECT_NE(std::wstring::npos, about.find(L"Translations: " + program.Path())) << about;
}
