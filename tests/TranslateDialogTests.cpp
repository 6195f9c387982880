// The translate dialog run over a real main window: rows walked in list order, translated strings
// skipped, texts saved with their line breaks, Enter as "Save >" and the window size kept.
#include "CTranslateDlg.h"
#include "TranslatorFixture.h"

namespace {

class TranslateDialog : public TranslatorFixture {
protected:
    static CTranslateDlg& OpenedTranslateDialog(CMainDialog& main) { return Opened<CTranslateDlg>(main); }

    static std::wstring Text(CTEVDialog& dialog, const wchar_t* id) { return WindowText(Get(dialog, id)); }

    // What the dialog shows: the string id label, the dialog label, the original and the translation.
    static Texts Shown(CTEVDialog& dialog) {
        return {Text(dialog, L"strID"), Text(dialog, L"dlgName"), Text(dialog, L"srcString"),
                Text(dialog, L"dstString")};
    }

    static void Close(CTEVDialog& dialog) { ClickElement(dialog, L"btnClose"); }

    // A real click on the check box, which toggles it before it reports the click.
    static void CheckSkipTranslated(CTEVDialog& dialog) {
        SendMessageW(Get(dialog, L"skipTranslated").Window(), BM_CLICK, 0, 0);
    }

    std::wstring Settings() const { return program.File(L"settings.ini"); }

    // A key as the keyboard delivers it, through the dialog's message loop, with or without Ctrl.
    static void PostKey(HWND window, WPARAM key, bool control) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageW(window, WM_KEYDOWN, key, 1);
    }
};

} // namespace

TEST_F(TranslateDialog, OpensAtTheFirstSelectedRowOrTheFirstRowAndOnlyWithRows) {
    CMainDialog main(&engine, program.Path(), session);
    Texts first, selected;
    bool focusOnTranslation = false;
    BOOL ranWithoutRows = TRUE;
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& translate = OpenedTranslateDialog(main);
                   first = Shown(translate);
                   focusOnTranslation = GetFocus() == Get(translate, L"dstString").Window();
                   SaveScreenshot(translate.Window(), L"translate-dialog");
                   Close(translate);
               },
               [&] {
                   // A double click on a row, as the list view reports it.
                   SelectRow(main, 3);
                   RECT row = {LVIR_BOUNDS};
                   HWND list = main.StringList()->Window();
                   SendMessageW(list, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
                   SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 5, row.top + 2));
               },
               [&] {
                   selected = Shown(OpenedTranslateDialog(main));
                   Close(OpenedTranslateDialog(main));
               },
               [&] {
                   Type(main, L"find", L"no such text");
                   ranWithoutRows = main.OpenTranslateDialog();
               }});
    EXPECT_EQ((Texts{L"[caption] title", L"Alpha", L"Settings", L""}), first);
    EXPECT_TRUE(focusOnTranslation);
    EXPECT_EQ((Texts{L"[value] look", L"Beta", L"Look in:", L"Chercher"}), selected);
    EXPECT_EQ(FALSE, ranWithoutRows);
}

TEST_F(TranslateDialog, SaveStoresTheTextFillsLaterIdenticalStringsAndMovesToTheNextRow) {
    CMainDialog main(&engine, program.Path(), session);
    Texts next, translations;
    bool saveEnabled = false;
    Run(main, {[&] {
                   SelectRow(main, 2); // the first "Cancel"
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& translate = OpenedTranslateDialog(main);
                   Type(translate, L"dstString", L"Abbrechen");
                   ClickElement(translate, L"btnSave");
                   next = Shown(translate);
                   translations = Column(main, 1);
                   saveEnabled = SaveEnabled(main);
                   Close(translate);
               }});
    EXPECT_EQ((Texts{L"[value] look", L"Beta", L"Look in:", L"Chercher"}), next);
    // Later "Cancel" strings follow unless translated; "cancel" differs in case.
    EXPECT_EQ((Texts{L"", L"", L"Abbrechen", L"Chercher", L"Abbrechen", L"", L"", L"Annuler"}), translations);
    EXPECT_TRUE(saveEnabled);
    EXPECT_TRUE(session.Model().IsModified());
}

TEST_F(TranslateDialog, SkipTranslatedPassesOverTranslatedRowsIncludingFreshlyFilledDuplicates) {
    CMainDialog main(&engine, program.Path(), session);
    std::vector<int> rows;
    Texts translations;
    Run(main, {[&] {
                   SelectRow(main, 2);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   auto& translate = static_cast<CTranslateDlg&>(dialog);
                   CheckSkipTranslated(dialog);
                   Type(dialog, L"dstString", L"Abbrechen");
                   ClickElement(dialog, L"btnSave"); // 3 was translated, 4 was just filled
                   rows.push_back(translate.CurrentRow());
                   ClickElement(dialog, L"btnSkip");
                   rows.push_back(translate.CurrentRow());
                   ClickElement(dialog, L"btnSkip"); // 7 is translated: nowhere to go
                   rows.push_back(translate.CurrentRow());
                   translations = Column(main, 1);
                   Close(dialog);
               }});
    EXPECT_EQ((std::vector<int>{5, 6, 6}), rows);
    EXPECT_EQ((Texts{L"", L"", L"Abbrechen", L"Chercher", L"Abbrechen", L"", L"", L"Annuler"}), translations);
}

TEST_F(TranslateDialog, WithoutSkipEveryRowIsVisitedAndTheLastRowStaysAfterSaving) {
    CMainDialog main(&engine, program.Path(), session);
    Texts atStart, afterSkip, afterLastSave;
    int lastRow = -1;
    Run(main, {[&] {
                   SelectRow(main, 6);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   atStart = Shown(dialog);
                   ClickElement(dialog, L"btnSkip");
                   afterSkip = Shown(dialog); // translated, and still shown
                   Type(dialog, L"dstString", L"Abbrechen!");
                   ClickElement(dialog, L"btnSave");
                   afterLastSave = Shown(dialog);
                   lastRow = static_cast<CTranslateDlg&>(dialog).CurrentRow();
                   Close(dialog);
               }});
    EXPECT_EQ((Texts{L"[label] cancel3", L"Beta", L"cancel", L""}), atStart);
    EXPECT_EQ((Texts{L"[label] cancel4", L"Beta", L"Cancel", L"Annuler"}), afterSkip);
    EXPECT_EQ((Texts{L"[label] cancel4", L"Beta", L"Cancel", L"Abbrechen!"}), afterLastSave);
    EXPECT_EQ(7, lastRow);
    ASSERT_TRUE(session.Model().Strings()[7].loc);
    EXPECT_EQ(L"Abbrechen!", *session.Model().Strings()[7].loc);
}

TEST_F(TranslateDialog, TheFirstStringShownIsTheStartRowEvenWhenTranslated) {
    CMainDialog main(&engine, program.Path(), session);
    Texts shown;
    int afterSkip = -1;
    Run(main, {[&] {
                   main.SetTranslation(4, L"Abbrechen");
                   SelectRow(main, 3);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   shown = Shown(dialog);
                   CheckSkipTranslated(dialog);
                   ClickElement(dialog, L"btnSkip");
                   afterSkip = static_cast<CTranslateDlg&>(dialog).CurrentRow();
                   Close(dialog);
               }});
    EXPECT_EQ(L"Chercher", shown[3]);
    EXPECT_EQ(5, afterSkip);
}

TEST_F(TranslateDialog, OnlyTheRowsTheListShowedAreVisitedInListOrder) {
    CMainDialog main(&engine, program.Path(), session);
    Texts ids;
    Run(main, {[&] {
                   Type(main, L"find", L"cancel");
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   for (int i = 0; i < 5; ++i) {
                       ids.push_back(Text(dialog, L"strID"));
                       ClickElement(dialog, L"btnSkip");
                   }
                   Close(dialog);
               }});
    EXPECT_EQ((Texts{L"[label] cancel", L"[label] cancel2", L"[label] cancel3", L"[label] cancel4",
                     L"[label] cancel4"}),
              ids);
}

TEST_F(TranslateDialog, WithNoRowsItEndsAndShowRowOutsideTheRowsChangesNothing) {
    CMainDialog main(&engine, program.Path(), session);
    INT_PTR emptyResult = 0;
    bool outsideFailed = false;
    int rowAfterFailures = -1;
    Texts before, after;
    const std::wstring settings = program.Path() + L"settings.ini";
    Run(main, {[&] {
            Type(main, L"find", L"no string holds this");
            CTranslateDlg empty(&engine, session, settings);
            emptyResult = empty.DoModal(main.Window());
            Type(main, L"find", L"");
            session.SetCurrent(1);
            CTranslateDlg translate(&engine, session, settings);
            RunModal("the translate dialog", [&] { return translate.DoModal(main.Window()); }, {[&] {
                         before = Shown(translate);
                         outsideFailed = !translate.ShowRow(-1, FALSE) && !translate.ShowRow(8, FALSE) &&
                                         !translate.ShowRow(-1, TRUE) && !translate.ShowRow(7, TRUE);
                         rowAfterFailures = translate.CurrentRow();
                         after = Shown(translate);
                         Close(translate);
                     }});
        }});
    EXPECT_EQ(IDCANCEL, emptyResult);
    EXPECT_TRUE(outsideFailed);
    EXPECT_EQ(1, rowAfterFailures);
    EXPECT_EQ((Texts{L"[label] ok", L"Alpha, Beta", L"OK", L""}), before);
    EXPECT_EQ(before, after);
}

TEST_F(TranslateDialog, LineBreaksShowAsCrLfAndAreStoredAsLineFeedsExactly) {
    using T = CTranslateDlg;
    EXPECT_EQ(std::nullopt, T::ToDisplayLineBreaks(std::nullopt));
    EXPECT_EQ(std::nullopt, T::FromDisplayLineBreaks(std::nullopt));
    EXPECT_EQ(L"a\r\nb\r\n", T::ToDisplayLineBreaks(L"a\nb\n"));
    EXPECT_EQ(L"a\r\r\nb", T::ToDisplayLineBreaks(L"a\r\nb"));
    EXPECT_EQ(L"a\nb", T::FromDisplayLineBreaks(L"a\r\nb"));
    EXPECT_EQ(L"a\rb\r", T::FromDisplayLineBreaks(L"a\rb\r"));
    for (const wchar_t* text : {L"", L"\n", L"\r", L"\r\n", L"a\r\r\nb", L"\n\n\r", L"x\ry\nz\r\n"}) {
        EXPECT_EQ(text, T::FromDisplayLineBreaks(T::ToDisplayLineBreaks(text))) << Narrow(text);
    }
}

TEST_F(TranslateDialog, ATwoLineTranslationIsTypedOnTwoLinesAndStoredWithOneLineFeed) {
    CMainDialog main(&engine, program.Path(), session);
    LRESULT linesShown = 0;
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   Type(dialog, L"dstString", L"Erste Zeile\r\nzweite Zeile");
                   ClickElement(dialog, L"btnSave");
                   static_cast<CTranslateDlg&>(dialog).ShowRow(0, FALSE);
                   linesShown = SendMessageW(Get(dialog, L"dstString").Window(), EM_GETLINECOUNT, 0, 0);
                   Close(dialog);
               }});
    ASSERT_TRUE(session.Model().Strings()[0].loc);
    EXPECT_EQ(L"Erste Zeile\nzweite Zeile", *session.Model().Strings()[0].loc);
    EXPECT_EQ(2, linesShown);
}

TEST_F(TranslateDialog, EnterInTheTranslationSavesAndMovesOnAndCloseWithoutStoringKeepsNothing) {
    CMainDialog main(&engine, program.Path(), session);
    bool saveIsDefault = false;
    int rowAfterEnter = -1;
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   HWND save = Get(dialog, L"btnSave").Window();
                   saveIsDefault = (GetWindowLongW(save, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0;
                   Type(dialog, L"dstString", L"Einstellungen");
                   HWND edit = Get(dialog, L"dstString").Window();
                   SetFocus(edit);
                   // As the keyboard delivers it: through the dialog's message loop.
                   PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
                   PostMessageW(edit, WM_CHAR, L'\r', 1);
                   PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   rowAfterEnter = static_cast<CTranslateDlg&>(dialog).CurrentRow();
                   Type(dialog, L"dstString", L"not kept");
                   Close(dialog);
               },
               [&] { PressButton(FindOwnedDialog(OpenedTranslateDialog(main).Window()), IDNO); }});
    EXPECT_TRUE(saveIsDefault);
    EXPECT_EQ(1, rowAfterEnter);
    ASSERT_TRUE(session.Model().Strings()[0].loc);
    EXPECT_EQ(L"Einstellungen", *session.Model().Strings()[0].loc);
    EXPECT_FALSE(session.Model().Strings()[1].loc);
}

TEST_F(TranslateDialog, TheSizeIsStoredInItsOwnSectionAndNeverOpensBelowTheComputedOne) {
    WritePrivateProfileStringW(L"TranslateWindow", L"width", L"10", Settings().c_str());
    WritePrivateProfileStringW(L"TranslateWindow", L"height", L"10", Settings().c_str());
    CMainDialog main(&engine, program.Path(), session);
    SIZE computed = {}, opened = {}, reopened = {};
    auto sizeOf = [](HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    };
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   computed = dialog.MinimumOuterSize();
                   opened = sizeOf(dialog.Window());
                   SetWindowPos(dialog.Window(), nullptr, 0, 0, computed.cx + 40, computed.cy + 30,
                                SWP_NOMOVE | SWP_NOZORDER);
                   Close(dialog);
               },
               [&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   reopened = sizeOf(dialog.Window());
                   ShowWindow(dialog.Window(), SW_MAXIMIZE);
                   Close(dialog);
               }});
    EXPECT_EQ(computed, opened);
    EXPECT_EQ((SIZE{computed.cx + 40, computed.cy + 30}), reopened);
    // Closed maximised: the normal size is what is kept.
    EXPECT_EQ(computed.cx + 40,
              static_cast<int>(GetPrivateProfileIntW(L"TranslateWindow", L"width", 0, Settings().c_str())));
    EXPECT_EQ(computed.cy + 30,
              static_cast<int>(GetPrivateProfileIntW(L"TranslateWindow", L"height", 0, Settings().c_str())));
    // The main window keeps its own section.
    EXPECT_NE(computed.cx + 40,
              static_cast<int>(GetPrivateProfileIntW(L"MainWindow", L"width", 0, Settings().c_str())));
}

TEST_F(TranslateDialog, ShownRowsSelectTheWholeTranslationAndUnchangedSavesModifyNothing) {
    CMainDialog main(&engine, program.Path(), session);
    DWORD dst[2] = {1, 0}, src[2] = {1, 1};
    std::wstring position, typed;
    bool modified = true;
    Run(main, {[&] {
                   SelectRow(main, 3);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   ClickElement(dialog, L"btnSave"); // "Chercher" as it was
                   ClickElement(dialog, L"btnSave"); // untranslated and left empty
                   modified = session.Model().IsModified() || SaveEnabled(main);
                   ClickElement(dialog, L"btnSkip");
                   ClickElement(dialog, L"btnSkip"); // "Annuler"
                   position = Text(dialog, L"position");
                   HWND edit = Get(dialog, L"dstString").Window();
                   SendMessageW(edit, EM_GETSEL, WPARAM(&dst[0]), LPARAM(&dst[1]));
                   SendMessageW(Get(dialog, L"srcString").Window(), EM_GETSEL, WPARAM(&src[0]),
                                LPARAM(&src[1]));
                   for (wchar_t c : std::wstring(L"Neu")) {
                       PostMessageW(edit, WM_CHAR, c, 1);
                   }
               },
               [&] {
                   typed = Text(OpenedTranslateDialog(main), L"dstString");
                   ClickElement(OpenedTranslateDialog(main), L"btnSave");
                   Close(OpenedTranslateDialog(main));
               }});
    EXPECT_FALSE(modified);
    EXPECT_EQ(L"String 8 of 8", position);
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 7}), std::make_pair(dst[0], dst[1]));
    EXPECT_EQ((std::pair<DWORD, DWORD>{0, 0}), std::make_pair(src[0], src[1]));
    EXPECT_EQ(L"Neu", typed);
}

TEST_F(TranslateDialog, CtrlArrowsStoreAndWalkAndClosingAsksToStoreAnEditAndSelectsItsRow) {
    CMainDialog main(&engine, program.Path(), session);
    std::vector<int> rows;
    std::wstring question;
    bool openAfterCancel = false;
    auto dialog = [&]() -> CTranslateDlg& { return OpenedTranslateDialog(main); };
    auto answer = [&](int button) {
        HWND box = FindOwnedDialog(dialog().Window());
        question = MessageBoxText(box);
        PressButton(box, button);
    };
    Run(main, {[&] {
                   SelectRow(main, 1);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   Type(dialog(), L"dstString", L"OK!");
                   PostKey(Get(dialog(), L"dstString").Window(), VK_DOWN, true);
               },
               [&] {
                   rows.push_back(dialog().CurrentRow());
                   Type(dialog(), L"dstString", L"Annuler");
                   PostKey(Get(dialog(), L"btnSkip").Window(), VK_UP, true); // the keys work anywhere
               },
               [&] {
                   rows.push_back(dialog().CurrentRow());
                   Type(dialog(), L"dstString", L"Changed");
                   PostKey(Get(dialog(), L"dstString").Window(), VK_ESCAPE, false);
               },
               [&] { answer(IDCANCEL); },
               [&] {
                   openAfterCancel = IsWindowVisible(dialog().Window()) != FALSE;
                   Close(dialog());
               },
               [&] { answer(IDYES); }, [&] { rows.push_back(main.StringList()->GetSelectedIndex()); }});
    EXPECT_EQ((std::vector<int>{2, 1, 1}), rows);
    EXPECT_EQ(L"The translation was changed but not stored.\n\nStore it before closing?", question);
    EXPECT_TRUE(openAfterCancel);
    EXPECT_EQ(L"Changed", session.Model().Strings()[1].loc.value_or(L"-"));
    EXPECT_EQ(L"Annuler", session.Model().Strings()[2].loc.value_or(L"-"));
}

TEST_F(TranslateDialog, WalkKeysStoreWhatWasTypedThenGoToTheNextUntranslatedOrProblemString) {
    CMainDialog main(&engine, program.Path(), session);
    const std::vector<int> kCtrlShift = {VK_CONTROL, VK_SHIFT};
    // "Annuler" typed at row 2 goes forward to row 4 too, so the first walk passes both; "Chercher"
    // at row 3 lost its ":" and is the only string with findings.
    const struct {
        UINT key;
        std::vector<int> held;
        int row;
    } walks[] = {
        {VK_DOWN, kCtrlShift, 5},
        {VK_F8, {}, 3},
        {VK_F8, {VK_SHIFT}, 3},
        {VK_UP, kCtrlShift, 1},
    };
    auto dialog = [&]() -> CTranslateDlg& { return OpenedTranslateDialog(main); };
    std::vector<int> rows;
    std::vector<Step> steps = {[&] {
                                   SelectRow(main, 2);
                                   ClickElement(main, L"btnTranslate");
                               },
                               [&] { Type(dialog(), L"dstString", L"Annuler"); }};
    for (const auto& walk : walks) {
        steps.push_back([&] { PostKeyHolding(Get(dialog(), L"dstString").Window(), walk.key, walk.held); });
        steps.push_back([&] { rows.push_back(dialog().CurrentRow()); });
    }
    steps.push_back([&] { Close(dialog()); });
    Run(main, steps);
    HoldModifiers({});
    std::vector<int> expected;
    for (const auto& walk : walks) {
        expected.push_back(walk.row);
    }
    EXPECT_EQ(expected, rows);
    EXPECT_EQ(L"Annuler", session.Model().Strings()[2].loc.value_or(L"-"));
}

TEST_F(TranslateDialog, CtrlBCopiesTheOriginalIntoTheBoxWithoutStoringIt) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring copied;
    bool edited = false;
    Run(main, {[&] {
                   SelectRow(main, 3); // "Look in:", translated "Chercher"
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   // From the original's box too: the key works wherever the focus is.
                   PostKeyHolding(Get(OpenedTranslateDialog(main), L"srcString").Window(), 'B', {VK_CONTROL});
               },
               [&] {
                   copied = Text(OpenedTranslateDialog(main), L"dstString");
                   edited = OpenedTranslateDialog(main).TranslationEdited();
                   Close(OpenedTranslateDialog(main));
               },
               [&] { PressButton(FindOwnedDialog(OpenedTranslateDialog(main).Window()), IDNO); }});
    HoldModifiers({});
    EXPECT_EQ(L"Look in:", copied);
    EXPECT_TRUE(edited);
    EXPECT_EQ(L"Chercher", session.Model().Strings()[3].loc.value_or(L"-"));
}

TEST_F(TranslateDialog, SavingAnEmptiedBoxRemovesTheTranslation) {
    CMainDialog main(&engine, program.Path(), session);
    Texts translations;
    Run(main, {[&] {
                   SelectRow(main, 3); // "Look in:", translated
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& translate = OpenedTranslateDialog(main);
                   Type(translate, L"dstString", L"");
                   ClickElement(translate, L"btnSave");
                   translations = Column(main, 1);
                   Close(translate);
                   ClickElement(main, L"btnSave");
               }});
    EXPECT_EQ(L"", translations[3]);
    ExpectSavedWithoutLook();
}

TEST_F(TranslateDialog, LoggingOffAsksToStoreTheTypedTextBeforeAskingToSave) {
    CMainDialog main(&engine, program.Path(), session);
    LRESULT allowed = -1;
    std::vector<std::wstring> questions;
    auto answer = [&](int button) {
        HWND box = FindWindowW(L"#32770", kProgramCaption);
        questions.push_back(MessageBoxText(box));
        PressButton(box, button);
    };
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   TypeInto(dialog, L"dstString", L"Einstellungen");
                   RunSoon([&] {
                       answer(IDYES);                      // store it
                       RunSoon([&] { answer(IDNO); }, 50); // then do not save
                   });
                   allowed = SendMessageW(main.Window(), WM_QUERYENDSESSION, 0, 0);
                   session.DiscardModified();
                   Close(dialog);
               }});
    EXPECT_EQ(TRUE, allowed);
    ASSERT_EQ(2u, questions.size());
    EXPECT_NE(std::wstring::npos, questions[0].find(L"not stored"));
    EXPECT_NE(std::wstring::npos, questions[1].find(L"save changes"));
    EXPECT_EQ(L"Einstellungen", session.Model().Strings()[0].loc.value_or(L"-"));
}

TEST_F(TranslateDialog, ATranslationThatNeedsReviewShowsHowItsOriginalChangedAndTheKeyThatKeepsIt) {
    WriteUtf8File(TranslationFile(),
                  R"(<strings><string id="look" attr="value" text="Look &amp; see:" loc="Chercher"/>
        </strings>)");
    CMainDialog main(&engine, program.Path(), session);
    std::wstring shown;
    bool reviewed = false;
    Run(main, {[&] {
                   SelectRow(main, 3);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = OpenedTranslateDialog(main);
                   shown = Text(dialog, L"findings");
                   ClickElement(dialog, L"btnSave"); // kept as it is
                   reviewed = !session.Model().Strings()[3].NeedsReview();
                   Close(dialog);
                   session.DiscardModified();
               }});
    EXPECT_EQ(L"Original changed: Look [-&&·see:-]{+in:+}. Enter (Save >) keeps the translation as reviewed. "
              L"end mark: \":\" \u2192 none",
              shown);
    EXPECT_TRUE(reviewed);
}
