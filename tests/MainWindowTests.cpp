// The main window driven in-process as a translator uses it: a real project in a temporary
// program folder, the open dialog confirmed, the list filtered, translations set, saved and
// the save prompt answered.
#include "CMainDialog.h"
#include "CTEVList.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

const char* kProject = R"(<tevproject name="Sample" dst="sample\strings.xml">
  <strings>
    <string id="title" attr="caption" text="Settings"/>
    <string id="ok" attr="label" text="OK"/>
    <string id="cancel" attr="label" text="Cancel"/>
    <string id="look" attr="value" text="Look in:"/>
    <string id="cancel2" attr="label" text="Cancel"/>
    <string id="orphan" text="Nowhere"/>
    <string id="cancel3" attr="label" text="cancel"/>
    <string id="cancel4" attr="label" text="Cancel"/>
  </strings>
  <files><file name="a.xml"/><file name="b.xml"/><file name="missing.xml"/></files>
</tevproject>)";

const char* kDialogA = R"(<dialog caption="Alpha" locid="title"><button locid="ok"/><button locid="cancel"/></dialog>)";
const char* kDialogB = R"(<dialog caption="Beta"><button locid="ok"/><label locid="look"/>
    <button locid="cancel2"/><button locid="cancel3"/><button locid="cancel4"/></dialog>)";
const char* kTranslation = R"(<strings><string id="look" attr="value" loc="Chercher"/>
    <string id="cancel4" attr="label" loc="Annuler"/></strings>)";

class MainWindow : public testing::Test {
protected:
    TempDir program;
    CTEVEngine engine{GetModuleHandleW(nullptr)};

    void SetUp() override {
        CreateDirectoryW(program.File(L"projects").c_str(), nullptr);
        WriteProject(L"sample", kProject);
        const std::wstring language = program.File(std::to_wstring(GetUserDefaultLCID()).c_str());
        CreateDirectoryW(language.c_str(), nullptr);
        CreateDirectoryW((language + L"\\sample").c_str(), nullptr);
        WriteUtf8File(TranslationFile(), kTranslation);
    }

    void WriteProject(const wchar_t* folder, const char* projectXml) {
        const std::wstring path = program.File(L"projects\\") + folder;
        CreateDirectoryW(path.c_str(), nullptr);
        WriteUtf8File(path + L"\\tevproject.xml", projectXml);
        WriteUtf8File(path + L"\\a.xml", kDialogA);
        WriteUtf8File(path + L"\\b.xml", kDialogB);
    }

    std::wstring TranslationFile() const {
        return program.File(std::to_wstring(GetUserDefaultLCID()).c_str()) + L"\\sample\\strings.xml";
    }

    // Runs the main window: confirms the open dialog, then runs the steps inside the main loop.
    // The window is ended afterwards without questions unless a step ended it.
    INT_PTR Run(CMainDialog& main, std::vector<std::function<void()>> steps) {
        RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); });
        for (auto& step : steps) {
            RunSoon(std::move(step));
        }
        RunSoon([&main] {
            if (IsWindow(main.Window()) && IsWindowVisible(main.Window())) {
                EndDialog(main.Window(), kEndedByScript);
            }
        });
        return main.DoModal(nullptr);
    }

    static std::vector<std::wstring> Column(CMainDialog& main, int column) {
        std::vector<std::wstring> texts;
        HWND list = main.StringList()->Window();
        const int rows = main.StringList()->GetItemCount();
        for (int row = 0; row < rows; ++row) {
            wchar_t text[256] = L"";
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            texts.push_back(text);
        }
        return texts;
    }

    static void Type(CMainDialog& main, const wchar_t* id, const wchar_t* text) {
        HWND edit = main.FindById(id)->Window();
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }

    static void ClickElement(CMainDialog& main, const wchar_t* id) {
        HWND control = main.FindById(id)->Window();
        SendMessageW(main.Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }

    static void ClickLink(CMainDialog& main, const wchar_t* id) { main.FindById(id)->Fire(L"clicked", 0, 0); }

    static void SelectRow(CMainDialog& main, int row) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(main.StringList()->Window(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    static bool SaveEnabled(CMainDialog& main) { return IsWindowEnabled(main.FindById(L"btnSave")->Window()); }
};

using Texts = std::vector<std::wstring>;

} // namespace

TEST_F(MainWindow, OpensWithEveryStringAndItsTranslationAndACleanState) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Texts originals, translations;
    bool saveEnabled = true;
    Run(main, {[&] {
        originals = Column(main, 0);
        translations = Column(main, 1);
        saveEnabled = SaveEnabled(main);
        SaveScreenshot(main.Window(), L"main-window-sample");
    }});
    EXPECT_EQ((Texts{L"Settings", L"OK", L"Cancel", L"Look in:", L"Cancel", L"Nowhere", L"cancel", L"Cancel"}),
              originals);
    EXPECT_EQ((Texts{L"", L"", L"", L"Chercher", L"", L"", L"", L"Annuler"}), translations);
    EXPECT_FALSE(saveEnabled);
    EXPECT_EQ(2u, main.Model().dialogs.size());
}

TEST_F(MainWindow, CancellingTheOpenDialogAtStartEndsTheProgram) {
    CMainDialog main(&engine, program.Path() + L"\\");
    RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); });
    EXPECT_EQ(IDCANCEL, main.DoModal(nullptr));
    EXPECT_TRUE(main.Model().strings.empty());
}

TEST_F(MainWindow, TheSearchTextMatchesEitherColumnIgnoringCaseAndCombinesWithTheDialog) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Texts byText, byTranslation, withDialog, cleared;
    Run(main, {[&] {
        Type(main, L"find", L"ok");
        byText = Column(main, 0);
        Type(main, L"find", L"ANNUL");
        byTranslation = Column(main, 0);
        Type(main, L"find", L"cancel");
        ClickLink(main, L"nextDlg");  // Alpha
        withDialog = Column(main, 0);
        Type(main, L"find", L"");
        cleared = Column(main, 0);
    }});
    EXPECT_EQ((Texts{L"OK", L"Look in:"}), byText);
    EXPECT_EQ((Texts{L"Cancel"}), byTranslation);
    EXPECT_EQ((Texts{L"Cancel"}), withDialog);
    EXPECT_EQ((Texts{L"Settings", L"OK", L"Cancel"}), cleared);
}

TEST_F(MainWindow, DialogLinksStepThroughTheDialogsAndStopAtBothEnds) {
    CMainDialog main(&engine, program.Path() + L"\\");
    std::vector<int> values;
    Run(main, {[&] {
        auto value = [&] { values.push_back(main.FindById(L"dialog")->GetValue()); };
        ClickLink(main, L"prevDlg");
        value();  // stays at <All dialogs>
        ClickLink(main, L"nextDlg");
        value();
        ClickLink(main, L"nextDlg");
        value();
        ClickLink(main, L"nextDlg");
        value();  // stays at the last dialog
        ClickLink(main, L"prevDlg");
        ClickLink(main, L"prevDlg");
        value();
    }});
    EXPECT_EQ((std::vector<int>{-1, 0, 1, 1, -1}), values);
}

TEST_F(MainWindow, PreviewButtonsAreDisabledForAllDialogs) {
    CMainDialog main(&engine, program.Path() + L"\\");
    bool allDisabled = false, oneEnabled = false;
    Run(main, {[&] {
        allDisabled = !IsWindowEnabled(main.FindById(L"testDlg")->Window());
        ClickLink(main, L"nextDlg");
        oneEnabled = IsWindowEnabled(main.FindById(L"showOriginal")->Window());
    }});
    EXPECT_TRUE(allDisabled);
    EXPECT_TRUE(oneEnabled);
}

TEST_F(MainWindow, StringInfoShowsIdAttributeAndFirstDialog) {
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring id, dialog, orphanId, orphanDialog;
    bool linksShown = false, linksHiddenForOrphan = false;
    Run(main, {[&] {
        SelectRow(main, 1);
        id = main.FindById(L"strID")->GetText();
        dialog = main.FindById(L"dlgName")->GetText();
        linksShown = IsWindowVisible(main.FindById(L"urlTranslated")->Window());
        SelectRow(main, 5);
        orphanId = main.FindById(L"strID")->GetText();
        const wchar_t* name = main.FindById(L"dlgName")->GetText();
        orphanDialog = name ? name : L"";
        linksHiddenForOrphan = !IsWindowVisible(main.FindById(L"urlOriginal")->Window());
    }});
    EXPECT_EQ(L"[label] ok", id);
    EXPECT_EQ(L"Alpha", dialog);
    EXPECT_TRUE(linksShown);
    EXPECT_EQ(L"orphan", orphanId);
    EXPECT_EQ(L"", orphanDialog);
    EXPECT_TRUE(linksHiddenForOrphan);
}

TEST_F(MainWindow, ATranslationFillsLaterIdenticalUntranslatedStringsOnly) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Texts translations;
    bool saveEnabled = false;
    Run(main, {[&] {
        main.SetTranslation(4, L"Abbrechen");  // the second "Cancel"
        translations = Column(main, 1);
        saveEnabled = SaveEnabled(main);
    }});
    EXPECT_EQ((Texts{L"", L"", L"", L"Chercher", L"Abbrechen", L"", L"", L"Annuler"}), translations);
    EXPECT_TRUE(saveEnabled);
    EXPECT_TRUE(main.Model().modified);
}

TEST_F(MainWindow, AnEmptyTranslationRemovesItFromTheListAndTheFile) {
    CMainDialog main(&engine, program.Path() + L"\\");
    Texts translations;
    Run(main, {[&] {
        main.SetTranslation(3, nullptr);
        translations = Column(main, 1);
        ClickElement(main, L"btnSave");
    }});
    EXPECT_EQ(L"", translations[3]);
    CTEVEngine reader(nullptr);
    reader.LoadStrings(TranslationFile().c_str());
    EXPECT_EQ(nullptr, reader.FindString(L"look", L"value"));
    EXPECT_STREQ(L"Annuler", reader.FindString(L"cancel4", L"label"));
    EXPECT_FALSE(main.Model().modified);
}

TEST_F(MainWindow, EnterDoesNothingAndClosingWithChangesAsksToSave) {
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring question;
    bool openAfterEnter = false;
    const INT_PTR result = Run(main, {[&] {
                                          main.SetTranslation(0, L"Einstellungen");
                                          SendMessageW(main.Window(), WM_COMMAND, IDOK, 0);
                                          openAfterEnter = IsWindowVisible(main.Window());
                                          PostMessageW(main.Window(), WM_CLOSE, 0, 0);
                                      },
                                      [&] {
                                          HWND box = FindOwnedDialog(main.Window());
                                          question = MessageBoxText(box);
                                          PressButton(box, IDYES);
                                      }});
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(L"Do you want to save changes?", question);
    EXPECT_EQ(IDCANCEL, result);
    CTEVEngine reader(nullptr);
    reader.LoadStrings(TranslationFile().c_str());
    EXPECT_STREQ(L"Einstellungen", reader.FindString(L"title", L"caption"));
    EXPECT_STREQ(L"Annuler", reader.FindString(L"cancel4", L"label"));
}

TEST_F(MainWindow, CancellingTheSavePromptKeepsTheWindowOpen) {
    CMainDialog main(&engine, program.Path() + L"\\");
    bool stillOpen = false;
    Run(main, {[&] {
                   main.SetTranslation(0, L"x");
                   PostMessageW(main.Window(), WM_CLOSE, 0, 0);
               },
               [&] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); },
               [&] {
                   stillOpen = IsWindowVisible(main.Window());
                   main.Model().modified = false;
               }});
    EXPECT_TRUE(stillOpen);
}

TEST_F(MainWindow, AFailedSaveShowsThePathAndKeepsTheWindowOpen) {
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring message;
    bool stillOpen = false, stillModified = false;
    Run(main, {[&] {
                   // A folder where the file should be makes every save fail.
                   DeleteFileW(TranslationFile().c_str());
                   CreateDirectoryW(TranslationFile().c_str(), nullptr);
                   main.SetTranslation(0, L"x");
                   PostMessageW(main.Window(), WM_CLOSE, 0, 0);
               },
               [&] { PressButton(FindOwnedDialog(main.Window()), IDYES); },
               [&] {
                   HWND box = FindOwnedDialog(main.Window());
                   message = MessageBoxText(box);
                   PressButton(box, IDOK);
               },
               [&] {
                   stillOpen = IsWindowVisible(main.Window());
                   stillModified = main.Model().modified;
                   main.Model().modified = false;
               }});
    EXPECT_EQ(L"Impossible to save strings. Make sure you have the write permissions for this file: \n" +
                  TranslationFile(),
              message);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(stillModified);
}

TEST_F(MainWindow, OpeningAnotherProjectAsksToSaveFirstAndLeavesACleanWindow) {
    WriteProject(L"zother", R"(<tevproject name="Other" dst="other.xml"><strings>
        <string id="x" text="Only one"/></strings><files/></tevproject>)");
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring question;
    Texts afterCancel, afterOpen;
    bool saveEnabled = true;
    Run(main, {[&] {
                   main.SetTranslation(0, L"changed");
                   ClickElement(main, L"btnOpen");
               },
               [&] {
                   HWND box = FindOwnedDialog(main.Window());
                   question = MessageBoxText(box);
                   PressButton(box, IDCANCEL);
               },
               [&] {
                   afterCancel = Column(main, 0);
                   ClickElement(main, L"btnOpen");
               },
               [&] { PressButton(FindOwnedDialog(main.Window()), IDNO); },
               [&] {
                   // The open dialog: pick the other project (item data 1) and confirm.
                   HWND open = FindOwnedDialog(main.Window());
                   HWND projects = nullptr;
                   for (HWND child = GetWindow(open, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                       wchar_t name[32] = L"";
                       GetClassNameW(child, name, 32);
                       if (_wcsicmp(name, L"ListBox") == 0) {
                           projects = child;
                       }
                   }
                   const int count = static_cast<int>(SendMessageW(projects, LB_GETCOUNT, 0, 0));
                   for (int i = 0; i < count; ++i) {
                       if (SendMessageW(projects, LB_GETITEMDATA, i, 0) == 1) {
                           SendMessageW(projects, LB_SETCURSEL, i, 0);
                       }
                   }
                   PressButton(open, IDOK);
               },
               [&] {
                   afterOpen = Column(main, 0);
                   saveEnabled = SaveEnabled(main);
               }});
    EXPECT_EQ(L"Do you want to save changes?", question);
    EXPECT_EQ(8u, afterCancel.size());
    EXPECT_EQ((Texts{L"Only one"}), afterOpen);
    EXPECT_FALSE(saveEnabled);
    EXPECT_FALSE(main.Model().modified);
}

TEST_F(MainWindow, AProjectThatNoLongerLoadsIsReportedAndTheCurrentOneStays) {
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring message;
    Texts after;
    Run(main, {[&] { ClickElement(main, L"btnOpen"); },
               [&] {
                   WriteUtf8File(program.File(L"projects\\sample\\tevproject.xml"), "<tevproject name=");
                   PressButton(FindOwnedDialog(main.Window()), IDOK);
               },
               [&] {
                   HWND box = FindOwnedDialog(main.Window());
                   message = MessageBoxText(box);
                   PressButton(box, IDOK);
               },
               [&] { after = Column(main, 0); }});
    EXPECT_NE(std::wstring::npos, message.find(program.File(L"projects\\sample\\tevproject.xml")));
    EXPECT_EQ(8u, after.size());
}

TEST_F(MainWindow, AnUnreadableTranslationIsReportedAtOpen) {
    WriteUtf8File(TranslationFile(), "<strings><string id=");
    CMainDialog main(&engine, program.Path() + L"\\");
    std::wstring message;
    RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDOK); });
    RunSoon([&] {
        HWND box = FindOwnedDialog(main.Window());
        message = MessageBoxText(box);
        PressButton(box, IDOK);
    });
    RunSoon([&] { EndDialog(main.Window(), kEndedByScript); });
    main.DoModal(nullptr);
    EXPECT_NE(std::wstring::npos, message.find(TranslationFile()));
}

TEST_F(MainWindow, LoggingOffWithChangesAsksAndCanBeRefused) {
    CMainDialog main(&engine, program.Path() + L"\\");
    LRESULT allowed = -1;
    Run(main, {[&] {
                   main.SetTranslation(0, L"x");
                   RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); });
                   allowed = SendMessageW(main.Window(), WM_QUERYENDSESSION, 0, 0);
                   main.Model().modified = false;
               }});
    EXPECT_EQ(FALSE, allowed);
}

TEST_F(MainWindow, TheWindowSizeIsStoredAndAStoredSizeIsClampedToTheScreen) {
    WritePrivateProfileStringW(L"MainWindow", L"width", L"100000", program.File(L"settings.ini").c_str());
    CMainDialog main(&engine, program.Path() + L"\\");
    RECT opened = {};
    RECT work = {};
    Run(main, {[&] {
        GetWindowRect(main.Window(), &opened);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ShowWindow(main.Window(), SW_MAXIMIZE);
    }});
    EXPECT_EQ(work.right - work.left, opened.right - opened.left);
    const int storedWidth = GetPrivateProfileIntW(L"MainWindow", L"width", 0, program.File(L"settings.ini").c_str());
    EXPECT_EQ(opened.right - opened.left, storedWidth);
}
