// The open-project dialog: which folders become projects, what is selected at first, and the
// paths and language it hands back.
#include "COpenDlg.h"
#include "ControlReaders.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Only the root is read, so a file that breaks after it is listed; opening it reports it.
TEST_F(OpenDialog, OnlyFoldersWhoseProjectRootNamesBothAttributesAreListed) {
    AddProject(L"good", R"(<tevproject name="Good" dst="good.xml"/>)");
    AddProject(L"twin", R"(<tevproject name="Good" dst="sub\twin.xml"/>)");
    AddProject(L"noname", R"(<tevproject dst="x.xml"/>)");
    AddProject(L"nodst", R"(<tevproject name="No dst"/>)");
    AddProject(L"broken", R"(<tevproject name="Broken" dst="x.xml">)");
    AddProject(L"wrongroot", R"(<project name="Wrong" dst="x.xml"/>)");
    CreateDirectoryW(program.File(L"projects\\empty").c_str(), nullptr);
    WriteUtf8File(program.File(L"projects\\plain.xml"), R"(<tevproject name="File" dst="x.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    EXPECT_EQ((std::vector<std::wstring>{L"Broken", L"Good", L"Good"}), Names(dialog));
    // Folders with a project file that is not listed are named to the user; "empty" holds none.
    EXPECT_EQ((std::vector<std::wstring>{L"nodst", L"noname", L"wrongroot"}), dialog.UnlistedFolders());
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

namespace {

// Selects the list entry whose item data is index, telling the dialog as a click would.
void ChooseProject(HWND dialog, int index) {
    HWND list = FindWindowExW(dialog, nullptr, L"ListBox", nullptr);
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendMessageW(list, LB_GETITEMDATA, i, 0) == index) {
            SendMessageW(list, LB_SETCURSEL, i, 0);
        }
    }
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

std::vector<std::wstring> ComboTexts(HWND combo) {
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        texts.push_back(text);
    }
    return texts;
}

} // namespace

TEST_F(OpenDialog, TheProjectAndLanguageLastConfirmedAreOfferedAgain) {
    AddProject(L"first", R"(<tevproject name="First" dst="first.xml"/>)");
    AddProject(L"second", R"(<tevproject name="Second" dst="second.xml"/>)");
    const int russian = 1049;
    ASSERT_NE(russian, static_cast<int>(GetUserDefaultLCID()));
    {
        COpenDlg dialog(&engine, program.Path());
        const int second = dialog.Projects()[0].name == L"Second" ? 0 : 1;
        ASSERT_EQ(IDOK, Run(dialog, [&] {
                      ChooseProject(dialog.Window(), second);
                      HWND combo = ChildOfClass(dialog.Window(), L"ComboBox");
                      const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
                      for (int i = 0; i < count; ++i) {
                          if (SendMessageW(combo, CB_GETITEMDATA, i, 0) == russian) {
                              SendMessageW(combo, CB_SETCURSEL, i, 0);
                          }
                      }
                      PressButton(dialog.Window(), IDOK);
                  }));
    }
    COpenDlg again(&engine, program.Path());
    ASSERT_EQ(IDOK, Run(again, [&] { PressButton(again.Window(), IDOK); }));
    EXPECT_EQ(program.File(L"projects\\second\\tevproject.xml"), again.ProjectPath().value());
    EXPECT_EQ(russian, again.LanguageId());
}

TEST_F(OpenDialog, LanguagesWhoseNamesRepeatShowTheirCode) {
    EXPECT_EQ((std::vector<std::wstring>{L"English (en-US)", L"German", L"English (en-GB)", L"Old (42)",
                                         L"Old (43)", L"Twin (tw-TW, 44)", L"Twin (tw-TW, 45)"}),
              LanguageLabels({{1033, L"English", L"en-US"},
                              {1031, L"German", L"de-DE"},
                              {2057, L"English", L"en-GB"},
                              {42, L"Old", L""},
                              {43, L"Old", L""},
                              {44, L"Twin", L"tw-TW"},
                              {45, L"Twin", L"tw-TW"}}));

    AddProject(L"only", R"(<tevproject name="Only" dst="x.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    std::vector<std::wstring> texts;
    Run(dialog, [&] {
        texts = ComboTexts(ChildOfClass(dialog.Window(), L"ComboBox"));
        EndDialog(dialog.Window(), IDCANCEL);
    });
    std::sort(texts.begin(), texts.end());
    EXPECT_GT(texts.size(), 100u);
    const auto twice = std::adjacent_find(texts.begin(), texts.end());
    EXPECT_EQ(texts.end(), twice) << Narrow(*twice);
}

TEST_F(OpenDialog, AProjectWritingTheSameTranslationFileAsAnotherIsNoted) {
    AddProject(L"a", R"(<tevproject name="Alpha" dst="shared\strings.xml"/>)");
    AddProject(L"b", R"(<tevproject name="Beta" dst=".\Shared/Strings.xml"/>)");
    AddProject(L"c", R"(<tevproject name="Gamma" dst="gamma.xml"/>)");
    COpenDlg dialog(&engine, program.Path());
    ASSERT_EQ(3u, dialog.Projects().size());
    std::vector<std::wstring> notes;
    Run(dialog, [&] {
        HWND note = As<CTEVElement>(dialog, L"sharedNote").Window();
        for (size_t i = 0; i < dialog.Projects().size(); ++i) {
            ChooseProject(dialog.Window(), static_cast<int>(i));
            notes.push_back(dialog.Projects()[i].name + L": " + WindowText(note));
        }
        EndDialog(dialog.Window(), IDCANCEL);
    });
    std::sort(notes.begin(), notes.end());
    const std::wstring rest =
        L". Saving one leaves out the other's translations; the earlier file is kept as a backup.";
    EXPECT_EQ(
        (std::vector<std::wstring>{
            L"Alpha: Warning: this project writes the same translation file as \"Beta\"" + rest,
            L"Beta: Warning: this project writes the same translation file as \"Alpha\"" + rest, L"Gamma: "}),
        notes);
}
