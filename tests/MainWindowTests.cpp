// The main window driven in-process as a translator uses it: a real project in a temporary
// program folder, the open dialog confirmed, the list filtered, translations set, saved and
// the save prompt answered.
#include "TranslatorFixture.h"

namespace {

class MainWindow : public TranslatorFixture {};

} // namespace

TEST_F(MainWindow, OpensWithEveryStringAndItsTranslationAndACleanState) {
    CMainDialog main(&engine, program.Path(), session);
    Texts originals, translations;
    bool saveEnabled = true;
    Run(main, {[&] {
            originals = Column(main, 0);
            translations = Column(main, 1);
            saveEnabled = SaveEnabled(main);
            SaveScreenshot(main.Window(), L"main-window-sample");
        }});
    EXPECT_EQ(
        (Texts{L"Settings", L"OK", L"Cancel", L"Look in:", L"Cancel", L"Nowhere", L"cancel", L"Cancel"}),
        originals);
    EXPECT_EQ((Texts{L"", L"", L"", L"Chercher", L"", L"", L"", L"Annuler"}), translations);
    EXPECT_FALSE(saveEnabled);
    EXPECT_EQ(2u, session.Model().Dialogs().size());
}

// The open dialog comes first: cancelling it at start ends the program before the main window
// made its controls or showed.
TEST_F(MainWindow, CancellingTheOpenDialogAtStartEndsTheProgramBeforeItsWindowWasMadeOrShown) {
    CMainDialog main(&engine, program.Path(), session);
    const ShownWindows shown;
    HWND openDialog = nullptr;
    HWND firstControl = nullptr;
    const Step cancelAtOnce = [&] {
        openDialog = FindOwnedDialog(main.Window());
        firstControl = GetWindow(main.Window(), GW_CHILD);
        AnswerOpenDialog(main, -1);
    };
    EXPECT_EQ(IDCANCEL,
              RunModal("the main window", [&main] { return main.DoModal(nullptr); }, {cancelAtOnce}));
    EXPECT_TRUE(session.Model().Strings().empty());
    ASSERT_NE(nullptr, openDialog);
    EXPECT_EQ(nullptr, firstControl);
    EXPECT_EQ(std::vector<HWND>{openDialog}, shown.Windows());
}

TEST_F(MainWindow, TheSearchTextMatchesEitherColumnIgnoringCaseAndCombinesWithTheDialog) {
    CMainDialog main(&engine, program.Path(), session);
    Texts byText, byTranslation, withDialog, cleared;
    Run(main, {[&] {
            Type(main, L"find", L"ok");
            byText = Column(main, 0);
            Type(main, L"find", L"ANNUL");
            byTranslation = Column(main, 0);
            Type(main, L"find", L"cancel");
            ClickLink(main, L"nextDlg"); // Alpha
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
    CMainDialog main(&engine, program.Path(), session);
    std::vector<int> values;
    Run(main, {[&] {
            auto value = [&] { values.push_back(Get(main, L"dialog").GetValue()); };
            ClickLink(main, L"prevDlg");
            value(); // stays at <All dialogs>
            ClickLink(main, L"nextDlg");
            value();
            ClickLink(main, L"nextDlg");
            value();
            ClickLink(main, L"nextDlg");
            value(); // stays at the last dialog
            ClickLink(main, L"prevDlg");
            ClickLink(main, L"prevDlg");
            value();
        }});
    EXPECT_EQ((std::vector<int>{-1, 0, 1, 1, -1}), values);
}

TEST_F(MainWindow, PreviewButtonsAreDisabledForAllDialogs) {
    CMainDialog main(&engine, program.Path(), session);
    bool allDisabled = false, oneEnabled = false;
    Run(main, {[&] {
            allDisabled = !IsWindowEnabled(Get(main, L"testDlg").Window());
            ClickLink(main, L"nextDlg");
            oneEnabled = IsWindowEnabled(Get(main, L"showOriginal").Window());
        }});
    EXPECT_TRUE(allDisabled);
    EXPECT_TRUE(oneEnabled);
}

TEST_F(MainWindow, StringInfoShowsIdAttributeAndEveryDialogThatShowsIt) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring id, dialog, orphanId, orphanDialog;
    bool linksShown = false, linksHiddenForOrphan = false;
    Run(main, {[&] {
            SelectRow(main, 1);
            id = Get(main, L"strID").GetText();
            dialog = Get(main, L"dlgName").GetText();
            linksShown = IsWindowVisible(Get(main, L"urlTranslated").Window());
            SelectRow(main, 5);
            orphanId = Get(main, L"strID").GetText();
            const wchar_t* name = Get(main, L"dlgName").GetText();
            orphanDialog = name ? name : L"";
            linksHiddenForOrphan = !IsWindowVisible(Get(main, L"urlOriginal").Window());
        }});
    EXPECT_EQ(L"[label] ok", id);
    EXPECT_EQ(L"Alpha, Beta", dialog);
    EXPECT_TRUE(linksShown);
    EXPECT_EQ(L"orphan", orphanId);
    EXPECT_EQ(L"", orphanDialog);
    EXPECT_TRUE(linksHiddenForOrphan);
}

TEST_F(MainWindow, ATranslationFillsLaterIdenticalUntranslatedStringsOnly) {
    CMainDialog main(&engine, program.Path(), session);
    Texts translations;
    bool saveEnabled = false;
    Run(main, {[&] {
            main.SetTranslation(4, L"Abbrechen"); // the second "Cancel"
            translations = Column(main, 1);
            saveEnabled = SaveEnabled(main);
        }});
    EXPECT_EQ((Texts{L"", L"", L"", L"Chercher", L"Abbrechen", L"", L"", L"Annuler"}), translations);
    EXPECT_TRUE(saveEnabled);
    EXPECT_TRUE(session.Model().IsModified());
}

TEST_F(MainWindow, AnEmptyTranslationRemovesItFromTheListAndTheFile) {
    CMainDialog main(&engine, program.Path(), session);
    Texts translations;
    Run(main, {[&] {
            main.SetTranslation(3, nullptr);
            translations = Column(main, 1);
            ClickElement(main, L"btnSave");
        }});
    EXPECT_EQ(L"", translations[3]);
    ExpectSavedWithoutLook();
    EXPECT_FALSE(session.Model().IsModified());
}

TEST_F(MainWindow, EnterDoesNothingAndClosingWithChangesAsksToSave) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring question;
    bool openAfterEnter = false;
    const INT_PTR result = Run(main, {[&] {
                                          main.SetTranslation(0, L"Einstellungen");
                                          SendMessageW(main.Window(), WM_COMMAND, IDOK, 0);
                                          openAfterEnter = IsWindowVisible(main.Window());
                                          PostMessageW(main.Window(), WM_CLOSE, 0, 0);
                                      },
                                      [&] { question = AnswerMessageBox(main, IDYES); }});
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(L"Do you want to save changes?", question);
    EXPECT_EQ(IDCANCEL, result);
    CTEVEngine reader(nullptr);
    reader.LoadStrings(TranslationFile().c_str());
    EXPECT_STREQ(L"Einstellungen", reader.FindString(L"title", L"caption"));
    EXPECT_STREQ(L"Annuler", reader.FindString(L"cancel4", L"label"));
}

TEST_F(MainWindow, CancellingTheSavePromptKeepsTheWindowOpen) {
    CMainDialog main(&engine, program.Path(), session);
    bool stillOpen = false;
    Run(main, {[&] {
                   main.SetTranslation(0, L"x");
                   PostMessageW(main.Window(), WM_CLOSE, 0, 0);
               },
               [&] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); },
               [&] {
                   stillOpen = IsWindowVisible(main.Window());
                   session.DiscardModified();
               }});
    EXPECT_TRUE(stillOpen);
}

TEST_F(MainWindow, AFailedSaveShowsThePathAndKeepsTheWindowOpen) {
    CMainDialog main(&engine, program.Path(), session);
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
               [&] { message = AnswerMessageBox(main, IDOK); },
               [&] {
                   stillOpen = IsWindowVisible(main.Window());
                   stillModified = session.Model().IsModified();
                   session.DiscardModified();
               }});
    EXPECT_EQ(
        L"You are not allowed to write the translation file:\n" + TranslationFile() +
            L"\n\nThe file on disk was not changed. Check the permissions of the file and its folder, then "
            L"save again.",
        message);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(stillModified);
}

TEST_F(MainWindow, OpeningAnotherProjectAsksToSaveFirstAndLeavesACleanWindow) {
    WriteProject(L"zother", R"(<tevproject name="Other" dst="other.xml"><strings>
        <string id="x" text="Only one"/></strings><files/></tevproject>)");
    CMainDialog main(&engine, program.Path(), session);
    std::wstring question;
    Texts afterCancel, afterOpen, infoAfterOpen;
    bool saveEnabled = true, linksShown = true;
    Run(main, {[&] {
                   SelectRow(main, 1); // "OK", used by Alpha
                   main.SetTranslation(0, L"changed");
                   ClickElement(main, L"btnOpen");
               },
               [&] { question = AnswerMessageBox(main, IDCANCEL); },
               [&] {
                   afterCancel = Column(main, 0);
                   ClickElement(main, L"btnOpen");
               },
               [&] { PressButton(FindOwnedDialog(main.Window()), IDNO); },
               [&] {
                   // The open dialog: pick the other project (item data 1) and confirm.
                   HWND open = FindOwnedDialog(main.Window());
                   HWND projects = FindWindowExW(open, nullptr, L"ListBox", nullptr);
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
                   infoAfterOpen = {TextOrNull(Get(main, L"strID").GetText()),
                                    TextOrNull(Get(main, L"dlgName").GetText())};
                   linksShown = IsWindowVisible(Get(main, L"urlTranslated").Window()) ||
                                IsWindowVisible(Get(main, L"urlOriginal").Window());
               }});
    EXPECT_EQ(L"Do you want to save changes?", question);
    EXPECT_EQ(8u, afterCancel.size());
    EXPECT_EQ((Texts{L"Only one"}), afterOpen);
    EXPECT_EQ((Texts{L"", L""}), infoAfterOpen);
    EXPECT_FALSE(linksShown);
    EXPECT_FALSE(saveEnabled);
    EXPECT_FALSE(session.Model().IsModified());
}

TEST_F(MainWindow, AProjectThatNoLongerLoadsIsReportedAndTheCurrentOneStays) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    Texts after;
    Run(main, {[&] { ClickElement(main, L"btnOpen"); },
               [&] {
                   WriteUtf8File(program.File(L"projects\\sample\\tevproject.xml"), "<tevproject name=");
                   PressButton(FindOwnedDialog(main.Window()), IDOK);
               },
               [&] { message = AnswerMessageBox(main, IDOK); }, [&] { after = Column(main, 0); }});
    EXPECT_NE(std::wstring::npos, message.find(program.File(L"projects\\sample\\tevproject.xml")));
    EXPECT_EQ(8u, after.size());
}

TEST_F(MainWindow, AnUnreadableTranslationIsReportedAtOpen) {
    WriteUtf8File(TranslationFile(), "<strings><string id=");
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    Run(main, {[&] { message = AnswerMessageBox(main, IDOK); }});
    EXPECT_NE(std::wstring::npos, message.find(TranslationFile()));
}

TEST_F(MainWindow, LoggingOffWithChangesAsksAndCanBeRefused) {
    CMainDialog main(&engine, program.Path(), session);
    LRESULT allowed = -1;
    Run(main, {[&] {
            main.SetTranslation(0, L"x");
            RunSoon([&main] { PressButton(FindOwnedDialog(main.Window()), IDCANCEL); });
            allowed = SendMessageW(main.Window(), WM_QUERYENDSESSION, 0, 0);
            session.DiscardModified();
        }});
    EXPECT_EQ(FALSE, allowed);
}

TEST_F(MainWindow, TheWindowSizeIsStoredAndAStoredSizeIsClampedToTheScreen) {
    WritePrivateProfileStringW(L"MainWindow", L"width", L"100000", program.File(L"settings.ini").c_str());
    CMainDialog main(&engine, program.Path(), session);
    RECT opened = {};
    RECT work = {};
    Run(main, {[&] {
            GetWindowRect(main.Window(), &opened);
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            ShowWindow(main.Window(), SW_MAXIMIZE);
        }});
    EXPECT_EQ(work.right - work.left, opened.right - opened.left);
    const int storedWidth =
        GetPrivateProfileIntW(L"MainWindow", L"width", 0, program.File(L"settings.ini").c_str());
    EXPECT_EQ(opened.right - opened.left, storedWidth);
}

namespace {

std::wstring Title(HWND window) {
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    return title;
}

} // namespace

TEST_F(MainWindow, TheTitleNamesProjectAndLanguageAndMarksUnsavedChanges) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring opened, changed, saved;
    Run(main, {[&] {
                   opened = Title(main.Window());
                   main.SetTranslation(0, L"Einstellungen");
                   changed = Title(main.Window());
                   PostKey(main.StringList()->Window(), 'S', Modifier::Ctrl); // Ctrl+S
               },
               [&] {
                   PostKey(main.StringList()->Window(), 'S'); // no Ctrl: nothing
                   saved = Title(main.Window());
               }});
    wchar_t language[128] = L"";
    GetLocaleInfoW(static_cast<LCID>(session.Model().LanguageId()), LOCALE_SLANGUAGE, language, 128);
    const std::wstring expected = std::wstring(L"Sample - ") + language;
    EXPECT_EQ(expected + L" - .:: tevlib translator ::.", opened);
    EXPECT_EQ(expected + L"* - .:: tevlib translator ::.", changed);
    EXPECT_EQ(opened, saved);
    EXPECT_FALSE(session.Model().IsModified());
    CTEVEngine reader(nullptr);
    reader.LoadStrings(TranslationFile().c_str());
    EXPECT_STREQ(L"Einstellungen", reader.FindString(L"title", L"caption"));
}

TEST_F(MainWindow, EnterOnARowTranslatesItEscapeClearsTheSearchButNeverClosesAndTabReachesTheLinks) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring translated;
    Texts searched, afterEscape;
    bool startsInSearch = false, openAfterEscape = false, tabReachesLinks = false;
    int selectedAfterEscape = -1;
    std::vector<int> closeAnswers;
    const INT_PTR result = Run(main, {[&] {
                                          startsInSearch = GetFocus() == Get(main, L"find").Window();
                                          SelectRow(main, 1);
                                          PostKey(main.StringList()->Window(), VK_RETURN);
                                      },
                                      [&] {
                                          HWND translate = FindOwnedDialog(main.Window());
                                          HWND edit = FindWindowExW(translate, nullptr, L"Edit", nullptr);
                                          while (edit && !(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) {
                                              edit = FindWindowExW(translate, edit, L"Edit", nullptr);
                                          }
                                          translated = WindowText(edit);
                                          PostMessageW(translate, WM_CLOSE, 0, 0);
                                      },
                                      [&] {
                                          Type(main, L"find", L"ok");
                                          searched = Column(main, 0);
                                          SelectRow(main, 0);
                                          // Escape clears the search wherever the focus is.
                                          PostKey(main.StringList()->Window(), VK_ESCAPE);
                                      },
                                      [&] {
                                          afterEscape = Column(main, 0);
                                          selectedAfterEscape = main.StringList()->GetSelectedIndex();
                                          tabReachesLinks =
                                              GetNextDlgTabItem(main.Window(), Get(main, L"dialog").Window(),
                                                                FALSE) == Get(main, L"prevDlg").Window();
                                          PostKey(Get(main, L"find").Window(), VK_ESCAPE);
                                      },
                                      [&] {
                                          openAfterEscape = IsWindowVisible(main.Window()) != FALSE;
                                          // The close box still ends the program, asking nothing here.
                                          PostMessageW(main.Window(), WM_CLOSE, 0, 0);
                                      }});
    EXPECT_TRUE(startsInSearch);
    EXPECT_EQ(L"OK", translated);
    EXPECT_EQ(2u, searched.size());
    EXPECT_EQ(8u, afterEscape.size());
    EXPECT_EQ(1, selectedAfterEscape); // the string found stays selected
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(tabReachesLinks);
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(MainWindow, WalkKeysSelectTheNextUntranslatedOrProblemRowWrappingWithinTheShownRows) {
    CMainDialog main(&engine, program.Path(), session);
    const std::vector<int> kCtrlShift = {VK_CONTROL, VK_SHIFT};
    // Untranslated: strings 2, 4 and 5; with findings: 3 (its ":" lost) and 6 (a leading space).
    const struct {
        UINT key;
        std::vector<int> held;
        int row;
    } walks[] = {
        {VK_DOWN, kCtrlShift, 2}, {VK_DOWN, kCtrlShift, 4}, {VK_UP, kCtrlShift, 2}, {VK_UP, kCtrlShift, 5},
        {VK_F8, {}, 6},           {VK_F8, {}, 3},           {VK_F8, {VK_SHIFT}, 6},
    };
    std::vector<int> rows;
    bool listFocused = false;
    std::vector<Step> steps = {[&] {
        main.SetTranslation(0, L"Param\u00e8tres");
        main.SetTranslation(1, L"OK");
        main.SetTranslation(6, L" annuler");
        SelectRow(main, 0);
        SetFocus(Get(main, L"find").Window());
    }};
    for (const auto& walk : walks) {
        steps.push_back([&] { PostKeyHolding(GetFocus(), walk.key, walk.held); });
        steps.push_back([&] {
            rows.push_back(main.StringList()->GetSelectedIndex());
            listFocused = GetFocus() == main.StringList()->Window();
        });
    }
    steps.push_back([&] {
        Type(main, L"find", L"cancel"); // strings 2, 4, 6 and 7
        SelectRow(main, 1);
        PostKeyHolding(GetFocus(), VK_DOWN, kCtrlShift);
    });
    steps.push_back([&] { rows.push_back(main.StringList()->GetSelectedIndex()); });
    Run(main, steps);
    HoldModifiers({});
    std::vector<int> expected;
    for (const auto& walk : walks) {
        expected.push_back(walk.row);
    }
    expected.push_back(0); // string 2 again: 5 is not shown
    EXPECT_EQ(expected, rows);
    EXPECT_TRUE(listFocused);
}

TEST_F(MainWindow, SearchIgnoresAcceleratorsAndTheListMarksLineBreaks) {
    WriteProject(L"sample", R"(<tevproject name="Sample" dst="sample\strings.xml"><strings>
        <string id="chart" text="Cha&amp;rt folder"/><string id="save" text="Save &amp;&amp; exit"/>
        <string id="two" text="Line one&#13;&#10;line two&#10;three"/>
        <string id="long" text="A text far too long for its cell, so that the list cuts it off and only the tooltip shows the whole of it at once"/>
        </strings><files/></tevproject>)");
    CMainDialog main(&engine, program.Path(), session);
    Texts plain, marked, ampersand, all;
    std::wstring tipShown;
    Run(main,
        {[&] {
             Type(main, L"find", L"chart folder");
             plain = Column(main, 0);
             Type(main, L"find", L"cha&r");
             marked = Column(main, 0);
             Type(main, L"find", L"save & exit");
             ampersand = Column(main, 0);
             Type(main, L"find", L"");
             all = Column(main, 0);
         },
         [&] {
             // The mouse rests on the cut-off cell of the shown window.
             RECT cell = {LVIR_LABEL, 0};
             HWND list = main.StringList()->Window();
             SendMessageW(list, LVM_GETSUBITEMRECT, 3, reinterpret_cast<LPARAM>(&cell));
             POINT point = {cell.left + 10, (cell.top + cell.bottom) / 2};
             const POINT inList = point;
             ClientToScreen(list, &point);
             SetCursorPos(point.x, point.y);
             PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(inList.x, inList.y));
             for (DWORD start = GetTickCount(); GetTickCount() - start < 1500; Sleep(10)) {
                 MSG msg;
                 // The window's timers run, not the thread's, which would start the next step early.
                 while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                     if (msg.message != WM_TIMER || msg.hwnd) {
                         DispatchMessageW(&msg);
                     }
                 }
             }
             for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
                  tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
                 if (IsWindowVisible(tip) && GetWindowThreadProcessId(tip, nullptr) == GetCurrentThreadId()) {
                     tipShown = WindowText(tip);
                 }
             }
             SaveScreenshot(main.Window(), L"main-window-line-breaks-and-tip");
         }});
    EXPECT_EQ((Texts{L"Cha&rt folder"}), plain);
    EXPECT_EQ((Texts{L"Cha&rt folder"}), marked);
    EXPECT_EQ((Texts{L"Save && exit"}), ampersand);
    EXPECT_EQ(L"Line one\x00B6line two\x00B6three", all.at(2));
    EXPECT_EQ(all.at(3), tipShown);
}

TEST_F(MainWindow, LoggingOffWithChangesSavesOnYesAndDropsThemOnNo) {
    const std::string before = ReadBytes(TranslationFile());
    for (int answer : {IDYES, IDNO}) {
        CMainDialog main(&engine, program.Path(), session);
        LRESULT allowed = -1;
        bool modified = false;
        Run(main, {[&] {
                main.SetTranslation(0, L"Einstellungen");
                RunSoon([&main, answer] { PressButton(FindOwnedDialog(main.Window()), answer); });
                allowed = SendMessageW(main.Window(), WM_QUERYENDSESSION, 0, 0);
                modified = session.Model().IsModified();
                session.DiscardModified();
            }});
        EXPECT_EQ(TRUE, allowed) << answer;
        EXPECT_EQ(answer == IDNO, modified) << answer;
        CTEVEngine reader(nullptr);
        reader.LoadStrings(TranslationFile().c_str());
        EXPECT_EQ(answer == IDYES, reader.FindString(L"title", L"caption") != nullptr) << answer;
        WriteUtf8File(TranslationFile(), before);
    }
}

TEST_F(MainWindow, ATranslationHoldingAControlCharacterIsNamedWhenSavingFails) {
    const std::string before = ReadBytes(TranslationFile());
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    Run(main, {[&] {
                   main.SetTranslation(0, L"Ein\x01stellungen");
                   ClickElement(main, L"btnSave");
               },
               [&] { message = AnswerMessageBox(main, IDOK); }, [&] { session.DiscardModified(); }});
    EXPECT_EQ(L"The translation of \"Settings\" holds a control character that a strings file cannot carry. "
              L"Change it, then save again.",
              message);
    EXPECT_EQ(before, ReadBytes(TranslationFile()));
}

TEST_F(MainWindow, OpeningAfterACrashRecoversTheUnsavedTranslationsAndSaysSo) {
    {
        TranslationSession crashed;
        crashed.Open(program.Path() + L"projects\\sample\\tevproject.xml", TranslationFile(), 1031);
        crashed.StoreTranslation(0, L"Einstellungen");
    }
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    Texts translations;
    bool saveEnabled = false;
    Run(main, {[&] { message = AnswerMessageBox(main, IDOK); },
               [&] {
                   translations = Column(main, 1);
                   saveEnabled = SaveEnabled(main);
                   session.DiscardModified();
               }});
    EXPECT_EQ(L"1 unsaved translation(s) from the last session were recovered.", message);
    EXPECT_EQ(L"Einstellungen", translations.at(0));
    EXPECT_TRUE(saveEnabled);
}

TEST_F(MainWindow, AFileThatAnInterruptedSaveLeftMissingIsRestoredFromItsCopyWhenTheTranslatorAgrees) {
    const std::string saved = ReadBytes(TranslationFile());
    ASSERT_TRUE(MoveFileW(TranslationFile().c_str(), (TranslationFile() + L".saving.tmp").c_str()));
    CMainDialog main(&engine, program.Path(), session);
    std::wstring question;
    Texts translations;
    Run(main, {[&] { question = AnswerMessageBox(main, IDYES); }, [&] { translations = Column(main, 1); }});
    EXPECT_EQ(0u, question.find(L"The translation file is missing:")) << question;
    EXPECT_EQ(saved, ReadBytes(TranslationFile()));
    EXPECT_EQ(L"Chercher", translations.at(3));
}

TEST_F(MainWindow, ATranslationFileHeldByAnotherProgramAtOpenIsRetriedNeverOpenedUntranslated) {
    std::optional<FileHandle> holder;
    holder.emplace(
        CreateFileW(TranslationFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder->Valid());
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    Texts translations;
    Run(main, {[&] {
                   HWND box = FindOwnedDialog(main.Window());
                   message = MessageBoxText(box);
                   holder.reset(); // the other program lets go
                   PressButton(box, IDRETRY);
               },
               [&] { translations = Column(main, 1); }});
    EXPECT_EQ(0u, message.find(L"The translation file cannot be read now:")) << message;
    EXPECT_EQ(L"Chercher", translations.at(3));
    EXPECT_EQ(std::string::npos, ReadBytes(TranslationFile()).find("unreadable"));
}
