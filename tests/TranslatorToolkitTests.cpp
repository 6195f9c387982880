// The translator's toolkit in its windows, driven by keys: undo and redo of translation actions,
// find and replace across the translations, and suggestions from other projects.
#include "CReplaceDlg.h"
#include "CTranslateDlg.h"
#include "TranslatorFixture.h"

namespace {

// Another project of the language whose translations are suggested.
const char* const kOtherProject = R"(<tevproject name="Other" dst="other\strings.xml">
  <strings><string id="stop" text="Cancel"/></strings><files/></tevproject>)";
const char* const kOtherTranslation =
    R"(<strings><string id="stop" text="Cancel" loc="Abbrechen"/></strings>)";

class TranslatorToolkit : public TranslatorFixture {
protected:
    void AddOtherProject() {
        program.AddProject(L"other", kOtherProject);
        CreateDirectoryW((program.LanguageFolder() + L"\\other").c_str(), nullptr);
        WriteUtf8File(program.LanguageFolder() + L"\\other\\strings.xml", kOtherTranslation);
        // The open dialog offers the project last opened: the sample, whatever order the folders have.
        WritePrivateProfileStringW(L"LastOpened", L"project", L"sample",
                                   program.File(L"settings.ini").c_str());
    }

    static std::wstring Text(CTEVDialog& dialog, const wchar_t* id) { return WindowText(Get(dialog, id)); }
    static HWND ListOf(CTEVDialog& dialog, const wchar_t* id) { return Get(dialog, id).Window(); }
};

const Texts kOpened = {L"", L"", L"", L"Chercher", L"", L"", L"", L"Annuler"};

} // namespace

TEST_F(TranslatorToolkit, CtrlZTakesBackAStoreWithItsCopiesAndCtrlYMakesItAgain) {
    CMainDialog main(&engine, program.Path(), session);
    Texts stored, undone, redone;
    std::wstring storedStatus, undoneStatus, redoneStatus;
    int selectedAfterUndo = -1;
    Run(main, {[&] {
                   main.SetTranslation(2, L"Abbrechen"); // fills the second "Cancel" too
                   stored = Column(main, 1);
                   storedStatus = Text(main, L"status");
                   SelectRow(main, 0);
                   PostKey(main.StringList()->Window(), 'Z', Modifier::Ctrl);
               },
               [&] {
                   undone = Column(main, 1);
                   undoneStatus = Text(main, L"status");
                   selectedAfterUndo = main.StringList()->GetSelectedIndex();
                   PostKey(main.StringList()->Window(), 'Y', Modifier::Ctrl);
               },
               [&] {
                   redone = Column(main, 1);
                   redoneStatus = Text(main, L"status");
               }});
    EXPECT_EQ((Texts{L"", L"", L"Abbrechen", L"Chercher", L"Abbrechen", L"", L"", L"Annuler"}), stored);
    EXPECT_EQ(L"Also filled 1 string with the same original", storedStatus);
    EXPECT_EQ(kOpened, undone);
    EXPECT_EQ(L"Undone: translation of cancel (2 strings)", undoneStatus);
    EXPECT_EQ(2, selectedAfterUndo); // the row undone is shown
    EXPECT_EQ(stored, redone);
    EXPECT_EQ(L"Redone: translation of cancel (2 strings)", redoneStatus);
}

TEST_F(TranslatorToolkit, CtrlZInTheTranslateDialogUndoesTypingFirstThenTheLastStore) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring afterStore, typed, afterBoxUndo, shownAfterUndo, status;
    int rowAfterUndo = -1;
    Texts listAfterUndo;
    Run(main, {[&] {
                   SelectRow(main, 0);
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   CTEVDialog& dialog = Opened<CTranslateDlg>(main);
                   Type(dialog, L"dstString", L"Einstellungen");
                   ClickElement(dialog, L"btnSave"); // on to row 1
                   afterStore = Text(dialog, L"dstString");
                   Type(dialog, L"dstString", L"Gut");
                   PostKey(Get(dialog, L"dstString").Window(), 'Z', Modifier::Ctrl); // the box's own undo
               },
               [&] {
                   CTEVDialog& dialog = Opened<CTranslateDlg>(main);
                   afterBoxUndo = Text(dialog, L"dstString");
                   PostKey(Get(dialog, L"dstString").Window(), 'Z',
                           Modifier::Ctrl); // nothing typed left: the store
               },
               [&] {
                   auto& dialog = Opened<CTranslateDlg>(main);
                   rowAfterUndo = dialog.CurrentRow();
                   shownAfterUndo = Text(dialog, L"dstString");
                   status = Text(dialog, L"status");
                   listAfterUndo = Column(main, 1);
                   ClickElement(dialog, L"btnClose");
               }});
    EXPECT_EQ(L"", afterStore);
    EXPECT_EQ(L"", afterBoxUndo);
    EXPECT_EQ(0, rowAfterUndo);
    EXPECT_EQ(L"", shownAfterUndo);
    EXPECT_EQ(L"Undone: translation of title (1 string)", status);
    EXPECT_EQ(kOpened, listAfterUndo);
}

TEST_F(TranslatorToolkit, CtrlHReplacesInEveryTranslationAndOneCtrlZRestoresThemAll) {
    CMainDialog main(&engine, program.Path(), session);
    Texts before, after, preview, replaced, undone;
    std::wstring summary;
    Run(main, {[&] {
                   main.SetTranslation(2, L"Annuler");
                   before = Column(main, 1);
                   PostKey(main.StringList()->Window(), 'H', Modifier::Ctrl);
               },
               [&] {
                   auto& replace = Opened<CReplaceDlg>(main);
                   Type(replace, L"findWhat", L"annuler");
                   Type(replace, L"replaceWith", L"&Abbrechen");
                   preview = ColumnTexts(ListOf(replace, L"lstChanges"), 0);
                   after = ColumnTexts(ListOf(replace, L"lstChanges"), 2);
                   SaveScreenshot(replace.Window(), L"replace-dialog");
                   ClickElement(replace, L"btnReplaceAll");
                   summary = Text(replace, L"summary");
                   replaced = Column(main, 1);
                   ClickElement(replace, L"btnClose");
               },
               [&] { PostKey(main.StringList()->Window(), 'Z', Modifier::Ctrl); },
               [&] { undone = Column(main, 1); }});
    EXPECT_EQ((Texts{L"[label] cancel", L"[label] cancel2", L"[label] cancel4"}), preview);
    EXPECT_EQ((Texts{L"&Abbrechen", L"&Abbrechen", L"&Abbrechen"}), after);
    EXPECT_EQ(L"Replaced in 3 translations; Ctrl+Z in the main window takes it back.", summary);
    EXPECT_EQ((Texts{L"", L"", L"&Abbrechen", L"Chercher", L"&Abbrechen", L"", L"", L"&Abbrechen"}),
              replaced);
    EXPECT_EQ(before, undone);
}

TEST_F(TranslatorToolkit, TheReplacePreviewFollowsMatchCaseAndWholeWords) {
    CMainDialog main(&engine, program.Path(), session);
    struct Row {
        const wchar_t* find;
        bool matchCase, wholeWords;
        size_t changes;
    };
    const Row rows[] = {{L"cher", false, false, 1},
                        {L"cher", false, true, 0},
                        {L"CHERCHER", false, true, 1},
                        {L"CHERCHER", true, false, 0},
                        {L"", false, false, 0}};
    std::vector<size_t> counts;
    Run(main, {[&] { main.OpenReplaceDialog(); },
               [&] {
                   auto& replace = Opened<CReplaceDlg>(main);
                   for (const Row& row : rows) {
                       for (auto [id, on] :
                            {std::pair{L"matchCase", row.matchCase}, {L"wholeWords", row.wholeWords}}) {
                           if ((Get(replace, id).GetValue() != 0) != on) {
                               SendMessageW(Get(replace, id).Window(), BM_CLICK, 0, 0);
                           }
                       }
                       Type(replace, L"findWhat", row.find);
                       counts.push_back(ColumnTexts(ListOf(replace, L"lstChanges"), 0).size());
                   }
                   ClickElement(replace, L"btnClose");
               }});
    std::vector<size_t> expected;
    for (const Row& row : rows) {
        expected.push_back(row.changes);
    }
    EXPECT_EQ(expected, counts);
}

TEST_F(TranslatorToolkit, AltDigitsInsertTheSuggestionsOfOtherProjectsAndThisOne) {
    AddOtherProject();
    CMainDialog main(&engine, program.Path(), session);
    Texts origins, marked, insertedByKey;
    bool hiddenWithout = false;
    Run(main, {[&] {
                   SelectRow(main, 6); // "cancel", translated nowhere yet
                   ClickElement(main, L"btnTranslate");
               },
               [&] {
                   auto& dialog = Opened<CTranslateDlg>(main);
                   origins = ColumnTexts(ListOf(dialog, L"lstSuggestions"), 3);
                   marked = ColumnTexts(ListOf(dialog, L"lstSuggestions"), 4);
                   SaveScreenshot(dialog.Window(), L"translate-dialog-suggestions");
                   PostKey(Get(dialog, L"dstString").Window(), '2', Modifier::Alt);
               },
               [&] {
                   auto& dialog = Opened<CTranslateDlg>(main);
                   insertedByKey.push_back(Text(dialog, L"dstString"));
                   Type(dialog, L"dstString", L"");
                   PostKey(Get(dialog, L"dstString").Window(), '1', Modifier::Alt);
               },
               [&] {
                   auto& dialog = Opened<CTranslateDlg>(main);
                   insertedByKey.push_back(Text(dialog, L"dstString"));
                   Type(dialog, L"dstString", L"");
                   PostKey(Get(dialog, L"dstString").Window(), '3', Modifier::Alt); // there is no third
               },
               [&] {
                   auto& dialog = Opened<CTranslateDlg>(main);
                   insertedByKey.push_back(Text(dialog, L"dstString"));
                   dialog.ShowRow(5, FALSE); // "Nowhere": nothing like it
                   hiddenWithout = !IsWindowVisible(ListOf(dialog, L"lstSuggestions"));
                   ClickElement(dialog, L"btnClose");
               }});
    ASSERT_EQ(2u, origins.size());
    EXPECT_EQ((Texts{L"Other", L"this project"}),
              (Texts{std::min(origins[0], origins[1]), std::max(origins[0], origins[1])}));
    // The case that differs from this string's original is marked.
    EXPECT_EQ((Texts{L"[-cancel-]{+Cancel+}", L"[-cancel-]{+Cancel+}"}), marked);
    const Texts translations = {origins[0] == L"Other" ? L"Abbrechen" : L"Annuler",
                                origins[0] == L"Other" ? L"Annuler" : L"Abbrechen"};
    EXPECT_EQ((Texts{translations[1], translations[0], L""}), insertedByKey);
    EXPECT_TRUE(hiddenWithout);
}

TEST_F(TranslatorToolkit, TheMemoryFolderIsSuggestedAndTheTranslationsExportAsAMemory) {
    CreateDirectoryW(program.File(L"memory").c_str(), nullptr);
    WriteUtf8File(
        program.File(L"memory\\shared.tmx"),
        R"(<tmx version="1.4"><header srclang="en"/><body><tu><tuv xml:lang="en"><seg>Settings</seg></tuv>
                     <tuv xml:lang="de-DE"><seg>Einstellungen</seg></tuv></tu></body></tmx>)");
    const std::wstring exported = program.File(L"exported.tmx");
    CMainDialog main(&engine, program.Path(), session);
    Run(main, {[&] { main.ExportMemory(exported.c_str()); }});
    const std::string bytes = ReadBytes(exported);
    size_t units = 0;
    for (size_t at = bytes.find(std::string("<\0t\0u\0 ", 8)); at != std::string::npos;
         at = bytes.find(std::string("<\0t\0u\0 ", 8), at + 1)) {
        ++units;
    }
    EXPECT_EQ(2u, units); // look and cancel4

    std::vector<Suggestion> suggested;
    CMainDialog german(&engine, program.Path(), session);
    Run(german, {[&] { suggested = session.Suggestions(0); }}, 1031);
    ASSERT_EQ(1u, suggested.size());
    EXPECT_EQ(L"shared.tmx", suggested[0].origin);
}
