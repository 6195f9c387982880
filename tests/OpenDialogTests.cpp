// The open-project dialog: which folders become projects, what is selected at first, and the
// paths and language it hands back.
#include "COpenDlg.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

class OpenDialog : public testing::Test {
protected:
    ProgramFolder program;
    CTEVEngine engine{GetModuleHandleW(nullptr)};

    void AddProject(const wchar_t* folder, const std::string& root) { program.AddProject(folder, root); }

    static INT_PTR Run(COpenDlg& dialog, Step step) {
        return RunModal("the open dialog", [&] { return dialog.DoModal(nullptr); }, {std::move(step)});
    }

    std::vector<std::wstring> Names(const COpenDlg& dialog) const {
        std::vector<std::wstring> names;
        for (const ProjectItem& project : dialog.Projects()) {
            names.push_back(project.name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static HWND ChildOfClass(HWND dialog, const wchar_t* className) {
        return FindWindowExW(dialog, nullptr, className, nullptr);
    }
};

} // namespace

TEST_F(OpenDialog, OnlyFoldersWithAReadableProjectNamingBothAttributesAreListed) {
    AddProject(L"good", R"(<tevproject name="Good" dst="good.xml"/>)");
    AddProject(L"twin", R"(<tevproject name="Good" dst="sub\twin.xml"/>)");
    AddProject(L"noname", R"(<tevproject dst="x.xml"/>)");
    AddProject(L"nodst", R"(<tevproject name="No dst"/>)");
    AddProject(L"broken", R"(<tevproject name="Broken" dst="x.xml">)");
    AddProject(L"wrongroot", R"(<project name="Wrong" dst="x.xml"/>)");
    CreateDirectoryW(program.File(L"projects\\empty").c_str(), nullptr);
    WriteUtf8File(program.File(L"projects\\plain.xml"), R"(<tevproject name="File" dst="x.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    EXPECT_EQ((std::vector<std::wstring>{L"Good", L"Good"}), Names(dialog));
}

TEST_F(OpenDialog, ProjectsWhoseTranslationWouldLeaveTheLanguageFolderAreNotListed) {
    AddProject(L"a", R"(<tevproject name="Rooted" dst="C:\Windows\x.xml"/>)");
    AddProject(L"b", R"(<tevproject name="Slash" dst="\x.xml"/>)");
    AddProject(L"c", R"(<tevproject name="Climbs" dst="..\..\x.xml"/>)");
    AddProject(L"d", R"(<tevproject name="Inside" dst="sub\x.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    EXPECT_EQ((std::vector<std::wstring>{L"Inside"}), Names(dialog));
}

TEST_F(OpenDialog, NoProjectsFolderListsNothingAndOkIsRefused) {
    TempDir bare;
    COpenDlg dialog(&engine, bare.Path() + L"\\");
    EXPECT_TRUE(dialog.Projects().empty());
    bool stillOpen = false;
    EXPECT_EQ(IDCANCEL, Run(dialog, [&] {
                  SendMessageW(dialog.Window(), WM_COMMAND, IDOK, 0);
                  stillOpen = IsWindowVisible(dialog.Window());
                  EndDialog(dialog.Window(), IDCANCEL);
              }));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(dialog.ProjectPath().has_value());
}

TEST_F(OpenDialog, ConfirmingGivesTheProjectTheTranslationPathAndTheLanguage) {
    AddProject(L"only", R"(<tevproject name="Only" dst="out\strings.xml"/>)");
    WritePrivateProfileStringW(L"settings", L"outpath", L"translations",
                               program.File(L"settings.ini").c_str());
    COpenDlg dialog(&engine, program.Path());
    int languages = 0;
    ASSERT_EQ(IDOK, Run(dialog, [&] {
                  HWND combo = ChildOfClass(dialog.Window(), L"ComboBox");
                  languages = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
                  // A confirmed dialog with no language chosen names the folder "-1".
                  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                  PressButton(dialog.Window(), IDOK);
              }));
    EXPECT_GT(languages, 100);
    EXPECT_EQ(program.File(L"projects\\only\\tevproject.xml"), dialog.ProjectPath().value());
    EXPECT_EQ(-1, dialog.LanguageId());
    EXPECT_EQ(program.File(L"translations\\-1\\out\\strings.xml"), dialog.TranslationPath().value());
}

TEST_F(OpenDialog, TheUsersLanguageIsOfferedFirst) {
    AddProject(L"only", R"(<tevproject name="Only" dst="x.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    ASSERT_EQ(IDOK, Run(dialog, [&] { PressButton(dialog.Window(), IDOK); }));
    EXPECT_EQ(static_cast<int>(GetUserDefaultLCID()), dialog.LanguageId());
}
