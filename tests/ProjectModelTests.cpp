// The project model against real files: loading projects, descriptions and translations, editing
// translations, saving translation files, and the settings and path rules.
// The fixture comes first: Settings.h declares a function named like the test support's program folder.
#include "TranslatorFixture.h"

#include "CTEVEngine.h"
#include "ProjectModel.h"
#include "PathRules.h"
#include "SafeReplace.h"
#include "Settings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ProjectFiles : public testing::Test {
protected:
    TempDir folder;
    ProjectModel model;
    std::wstring translationFile = folder.File(L"strings.xml");

    std::wstring ProjectFile() const { return folder.File(L"tevproject.xml"); }

    void WriteProject(const std::string& strings, const std::string& files = "") {
        WriteUtf8File(ProjectFile(), "<tevproject name=\"P\" dst=\"strings.xml\"><strings>" + strings +
                                         "</strings><files>" + files + "</files></tevproject>");
    }
    void WriteTranslation(const std::string& entries) {
        WriteUtf8File(translationFile, "<strings>" + entries + "</strings>");
    }
    LoadResult Load() { return model.Load(ProjectFile(), translationFile, 1049); }
    std::vector<OptString> Locs() const {
        std::vector<OptString> locs;
        for (const StringItem& item : model.Strings()) {
            locs.push_back(item.loc);
        }
        return locs;
    }
};

using ProjectLoading = ProjectFiles;
using ProjectTranslationLookup = ProjectFiles;
using ProjectDialogs = ProjectFiles;
using ProjectEditing = ProjectFiles;
using ProjectSaving = ProjectFiles;

const OptString kNone;

} // namespace

TEST_F(ProjectLoading, KeepsChildrenWithIdAndTextInOrderWhateverTheirTag) {
    WriteProject(R"(<s id="a" text="A"/><!-- note --> <other id="b" attr="label" text="B"/>
        <s text="no id"/><s id="c"/><s id="d" text=""/><s id="e" attr="" text="E"><x/></s>)");
    const LoadResult result = Load();
    EXPECT_EQ(LoadStatus::Loaded, result.status);
    EXPECT_FALSE(result.translationUnreadable);
    ASSERT_EQ(3u, model.Strings().size());
    EXPECT_EQ(L"a", model.Strings()[0].id);
    EXPECT_EQ(kNone, model.Strings()[0].attr);
    EXPECT_EQ(L"A", model.Strings()[0].text);
    EXPECT_EQ(OptString(L"label"), model.Strings()[1].attr);
    EXPECT_EQ(OptString(L""), model.Strings()[2].attr);
    EXPECT_EQ(std::vector<OptString>(3), Locs());
    EXPECT_EQ(ProjectFile(), model.ProjectPath());
    EXPECT_EQ(translationFile, model.TranslationPath());
    EXPECT_EQ(1049, model.LanguageId());
    EXPECT_TRUE(model.Dialogs().empty());
}

TEST_F(ProjectLoading, AFailedLoadLeavesTheCurrentProjectUntouched) {
    WriteProject(R"(<s id="a" text="A"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    model.SetLoc(0, L"x");

    const std::pair<std::string, LoadStatus> cases[] = {
        {"<tevproject><strings>", LoadStatus::ProjectUnreadable},
        {"<project><strings/></project>", LoadStatus::NoProjectRoot},
        {"<tevproject><files/></tevproject>", LoadStatus::NoStrings},
    };
    for (const auto& [text, status] : cases) {
        const std::wstring other = folder.File(L"other.xml");
        WriteUtf8File(other, text);
        EXPECT_EQ(status, model.Load(other, folder.File(L"o.xml"), 7).status) << text;
    }
    EXPECT_EQ(LoadStatus::ProjectUnreadable, model.Load(folder.File(L"missing.xml"), L"", 7).status);
    ASSERT_EQ(1u, model.Strings().size());
    EXPECT_EQ(OptString(L"x"), model.Strings()[0].loc);
    EXPECT_EQ(ProjectFile(), model.ProjectPath());
    EXPECT_EQ(translationFile, model.TranslationPath());
    EXPECT_EQ(1049, model.LanguageId());
    EXPECT_TRUE(model.IsModified());
}

TEST_F(ProjectTranslationLookup, TakesTheFirstMatchingEntryWithTheAttrRules) {
    WriteProject(
        R"(<s id="plain" text="1"/><s id="plain" attr="label" text="2"/><s id="plain" attr="Label" text="3"/>
        <s id="only" attr="caption" text="4"/><s id="noloc" text="5"/><s id="empty" text="6"/>
        <s id="q&quot;'&lt;&amp;" text="7"/><s id="nested" text="8"/><s id="Plain" text="9"/>)");
    WriteTranslation(R"(<!-- c --> <string id="plain" attr="title" loc="any attr"/>
        <string id="plain" attr="label" loc="label 1"/><string id="plain" attr="label" loc="label 2"/>
        <string id="plain" loc="no attr"/><string id="only" loc="never"/>
        <string id="noloc"/><string id="noloc" loc="too late"/><string id="empty" loc=""/>
        <string id="q&quot;'&lt;&amp;" loc="quoted"/><group><string id="nested" loc="deep"/></group>
        <String id="nested" loc="tag case"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    const std::vector<OptString> expected = {L"any attr", L"label 1", kNone, kNone, kNone,
                                             L"",         L"quoted",  kNone, kNone};
    EXPECT_EQ(expected, Locs());
}

TEST_F(ProjectTranslationLookup, AnUnreadableTranslationIsReportedAndAMissingOneIsNot) {
    WriteProject(R"(<s id="a" text="A"/>)");
    EXPECT_FALSE(Load().translationUnreadable);
    EXPECT_FALSE(model.HasUnreadableTranslation());
    for (const char* text : {"<strings><string id=\"a\" loc=\"x\"/>", "<translation/>", ""}) {
        WriteUtf8File(translationFile, text);
        const LoadResult result = Load();
        EXPECT_EQ(LoadStatus::Loaded, result.status);
        EXPECT_TRUE(result.translationUnreadable) << text;
        EXPECT_TRUE(model.HasUnreadableTranslation());
        EXPECT_EQ(kNone, model.Strings()[0].loc);
    }
}

TEST_F(ProjectDialogs, CollectCaptionAndLocidsDepthFirstAndSkipUnreadableFiles) {
    WriteUtf8File(folder.File(L"main.xml"), R"(<dialog caption="Main" locid="r"><box locid="b1">
        <label locid="l1"/><!-- locid="no" --><box><label locid="l2"/></box></box><label locid="l1"/>
        <button locid="b2">text</button></dialog>)");
    WriteUtf8File(folder.File(L"about.xml"), R"(<dialog><label locid="x"/></dialog>)");
    WriteUtf8File(folder.File(L"window.xml"), R"(<window caption="W"/>)");
    WriteUtf8File(folder.File(L"broken.xml"), R"(<dialog><label></dialog>)");
    WriteProject(R"(<s id="x" text="X"/>)", R"(<f name="main.xml"/><f name="missing.xml"/><f/>
        <f name="window.xml"/><file name="about.xml"/><f name="broken.xml"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    ASSERT_EQ(2u, model.Dialogs().size());
    std::wstring unread;
    for (const UnreadDescription& description : model.UnreadDescriptions()) {
        unread += description.file + L": " + description.why + L"; ";
    }
    EXPECT_EQ(
        L"missing.xml: not found; window.xml: its root is not \"dialog\"; broken.xml: not readable as XML; ",
        unread);
    EXPECT_EQ(L"Main", model.Dialogs()[0].Caption());
    EXPECT_EQ(folder.File(L"main.xml"), model.Dialogs()[0].path);
    EXPECT_EQ((std::vector<std::wstring>{L"r", L"b1", L"l1", L"l2", L"l1", L"b2"}),
              model.Dialogs()[0].Locids());
    EXPECT_EQ(L"about.xml", model.Dialogs()[1].Caption());
}

TEST_F(ProjectDialogs, ADescriptionListedManyTimesIsReadOnce) {
    std::string labels;
    for (int i = 0; i < 10000; ++i) {
        labels += "<label locid=\"l" + std::to_string(i) + "\" value=\"a label of some length\"/>";
    }
    WriteUtf8File(folder.File(L"big.xml"), "<dialog>" + labels + "</dialog>");
    std::string files = R"(<f name=".\big.xml"/>)";
    for (int i = 1; i < 100; ++i) {
        files += R"(<f name="big.xml"/>)";
    }
    WriteProject(R"(<s id="l0" text="X"/>)", files);
    // Each reading took tens of milliseconds.
    LoadResult result;
    EXPECT_LT(SecondsToRun([&] { result = Load(); }), 1.5);
    ASSERT_EQ(LoadStatus::Loaded, result.status);
    ASSERT_EQ(100u, model.Dialogs().size());
    EXPECT_EQ(folder.File(L".\\big.xml"), model.Dialogs()[0].path);
    EXPECT_EQ(folder.File(L"big.xml"), model.Dialogs()[99].path);
    EXPECT_EQ(L"big.xml", model.Dialogs()[99].Caption());
    EXPECT_EQ(10000u, model.Dialogs()[99].Locids().size());
    // A copy per listing took a hundred times the file's texts.
    EXPECT_EQ(model.Dialogs()[0].content, model.Dialogs()[99].content);
}

TEST(ProjectDialogTree, LocidsOfANestedDescriptionComeInDocumentOrder) {
    // As deep as the parser takes descriptions: each element before its children, then its siblings.
    const int depth = 250;
    std::string text = "<dialog locid=\"root\">";
    for (int i = 1; i < depth; ++i) {
        text += "<box locid=\"" + std::to_string(i) + "\">";
    }
    for (int i = 1; i < depth; ++i) {
        text += "</box>";
    }
    const TempDir folder;
    WriteUtf8File(folder.File(L"deep.xml"), text + "<label locid=\"last\"/></dialog>");

    const std::optional<DialogItem> dialog = LoadDialogItem(folder.File(L"deep.xml"));
    ASSERT_TRUE(dialog);
    const std::vector<std::wstring>& locids = dialog->Locids();
    ASSERT_EQ(static_cast<size_t>(depth) + 1, locids.size());
    EXPECT_EQ(L"root", locids.front());
    EXPECT_EQ(L"1", locids[1]);
    EXPECT_EQ(std::to_wstring(depth - 1), locids[depth - 1]);
    EXPECT_EQ(L"last", locids.back());
    EXPECT_EQ(L"deep.xml", dialog->Caption());
}

TEST_F(ProjectDialogs, StringInfoNamesTheFirstDialogHoldingTheId) {
    WriteUtf8File(folder.File(L"one.xml"), R"(<dialog caption="One"><label locid="shared"/></dialog>)");
    WriteUtf8File(folder.File(L"two.xml"),
                  R"(<dialog caption="Two" locid="own"><label locid="shared"/></dialog>)");
    WriteProject(
        R"(<s id="own" attr="caption" text="T"/><s id="shared" attr="x" text="S"/><s id="lone" text="L"/>)",
        R"(<f name="one.xml"/><f name="two.xml"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    const std::optional<StringInfo> own = model.GetStringInfo(0);
    ASSERT_TRUE(own);
    EXPECT_EQ(L"own", own->id);
    EXPECT_EQ(OptString(L"caption"), own->attr);
    EXPECT_EQ(OptString(L"Two"), own->caption);
    EXPECT_EQ(OptString(L"One"), model.GetStringInfo(1)->caption);
    EXPECT_EQ(kNone, model.GetStringInfo(2)->caption);
    EXPECT_FALSE(model.GetStringInfo(3));
}

TEST_F(ProjectEditing, ATranslationFillsOnlyLaterUntranslatedStringsWithTheSameText) {
    WriteProject(R"(<s id="1" text="Cancel"/><s id="2" text="Cancel"/><s id="3" text="cancel"/>
        <s id="4" text="Cancel"/><s id="5" text="Cancel"/><s id="6" text="Cancel"/>)");
    WriteTranslation(R"(<string id="5" loc="done"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    EXPECT_FALSE(model.IsModified());

    EXPECT_EQ((std::vector<size_t>{1, 3, 5}), model.SetLoc(1, L"Abbrechen"));
    EXPECT_TRUE(model.IsModified());
    EXPECT_EQ((std::vector<OptString>{kNone, L"Abbrechen", kNone, L"Abbrechen", L"done", L"Abbrechen"}),
              Locs());

    // Removing a translation copies nothing; an empty one counts as a translation.
    EXPECT_EQ((std::vector<size_t>{3}), model.SetLoc(3, kNone));
    EXPECT_EQ((std::vector<size_t>{0, 3}), model.SetLoc(0, L""));
    EXPECT_EQ((std::vector<OptString>{L"", L"Abbrechen", kNone, L"", L"done", L"Abbrechen"}), Locs());
    EXPECT_TRUE(model.SetLoc(6, L"out of range").empty());
}

TEST_F(ProjectSaving, TrickyTextsReadBackUnchangedInTheWrittenFormat) {
    const std::wstring tricky[] = {
        L"line one\nline two",
        L"crlf\r\nand\ttab",
        L"\"quoted\" & 'single' <b>]]>",
        L"  spaced  ",
        L"\x0420\x0443\x0441 \x4E2D\x6587 \xD83D\xDE00",
        L"",
    };
    std::string entries;
    for (size_t i = 0; i < std::size(tricky); ++i) {
        entries += "<s id=\"id" + std::to_string(i) + "\" attr=\"a&quot;b\" text=\"T\"/>";
    }
    WriteProject(entries +
                 R"(<s id="q&quot;" text="untranslated"/><s id="dup" text="D"/><s id="dup" text="D"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    for (size_t i = 0; i < std::size(tricky); ++i) {
        model.SetLoc(i, tricky[i]);
    }
    model.SetLoc(std::size(tricky) + 1, L"twice");
    ASSERT_TRUE(model.SaveStrings());

    const std::string bytes = ReadBytes(translationFile);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_EQ(0u, text.find(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
    EXPECT_NE(std::wstring::npos,
              text.find(L"<string id=\"id0\" attr=\"a&quot;b\" text=\"T\" loc=\"line one"));
    // Strings sharing an id and attr are one translation, written once where it first appears.
    const size_t dup = text.find(L"<string id=\"dup\" text=\"D\" loc=\"twice\"/>");
    EXPECT_NE(std::wstring::npos, dup);
    EXPECT_EQ(std::wstring::npos, text.find(L"<string id=\"dup\"", dup + 1));
    EXPECT_EQ(std::wstring::npos, text.find(L"untranslated"));

    ProjectModel reloaded;
    ASSERT_EQ(LoadStatus::Loaded, reloaded.Load(ProjectFile(), translationFile, 1049).status);
    for (size_t i = 0; i < std::size(tricky); ++i) {
        EXPECT_EQ(OptString(tricky[i]), reloaded.Strings()[i].loc) << i;
    }
    // The engine's string table, which shows translated previews, reads the same texts.
    CTEVEngine engine(GetModuleHandleW(nullptr));
    engine.LoadStrings(translationFile.c_str());
    ASSERT_NE(nullptr, engine.FindString(L"id0", L"a\"b"));
    EXPECT_EQ(tricky[0], engine.FindString(L"id0", L"a\"b"));
}

TEST_F(ProjectSaving, CreatesTheLanguageFolderAndTheFoldersOfDst) {
    WriteProject(R"(<s id="a" text="A"/>)");
    translationFile = TranslationPath(folder.Path(), -1, L"app\\sub/strings.xml");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    model.SetLoc(0, L"x");
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_TRUE(FileExists(folder.File(L"-1\\app\\sub\\strings.xml")));
}

TEST_F(ProjectSaving, AFailedSaveKeepsTheEarlierFileAndLeavesNoTemporary) {
    WriteProject(R"(<s id="a" text="A"/>)");
    WriteTranslation(R"(<string id="a" loc="old"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    const std::string before = ReadBytes(translationFile);

    // A control character cannot be written as XML: the file would no longer load.
    model.SetLoc(0, L"bell\x07");
    EXPECT_EQ(std::optional<size_t>(0), model.FindUnsavableString());
    EXPECT_FALSE(model.SaveStrings());
    model.SetLoc(0, L"unpaired \xD800 surrogate");
    EXPECT_FALSE(model.SaveStrings());
    EXPECT_EQ(before, ReadBytes(translationFile));

    // Another program holds the file open.
    model.SetLoc(0, L"new");
    HANDLE reader = CreateFileW(translationFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    EXPECT_FALSE(model.SaveStrings());
    CloseHandle(reader);
    EXPECT_EQ(before, ReadBytes(translationFile));

    // The target is taken by a folder.
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"taken").c_str(), nullptr));
    ASSERT_EQ(LoadStatus::Loaded, model.Load(ProjectFile(), folder.File(L"taken"), 1049).status);
    model.SetLoc(0, L"new");
    EXPECT_FALSE(model.SaveStrings());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(folder.File(L"*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    FindClose(search);

    ProjectModel nothingOpen;
    EXPECT_FALSE(nothingOpen.SaveStrings());
}

TEST_F(ProjectSaving, AFailedFinalReplaceLeavesTheEarlierFileAndNoBackup) {
    WriteTranslation(R"(<string id="a" loc="old"/>)");
    const std::string before = ReadBytes(translationFile);
    const std::wstring backup = translationFile + L".bak";
    const FileHandle reader(CreateFileW(translationFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const ContentsWriter contents = [](const auto& sink) { sink("new", 3); };
    EXPECT_FALSE(ReplaceContents(SystemFileOps(), translationFile, contents, backup).Saved());
    EXPECT_EQ(before, ReadBytes(translationFile));
    EXPECT_FALSE(FileExists(backup));
}

TEST_F(ProjectSaving, StaleTemporaryFilesOfInterruptedSavesAreRemovedUnlessHeldOpen) {
    WriteProject(R"(<s id="a" text="A"/>)");
    WriteTranslation(R"(<string id="a" loc="old"/>)");
    const std::wstring stale = translationFile + L".saving.tmp";
    WriteUtf8File(stale, "<strings><string id=\"a\" loc=\"half");
    WriteUtf8File(translationFile + L".saving.7.tmp", "left by another crash");
    WriteUtf8File(translationFile + L".saving-notes.tmp", "not a save's");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    // The interrupted program may even still hold it.
    HANDLE holder =
        CreateFileW(stale.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    model.SetLoc(0, L"new");
    EXPECT_TRUE(model.SaveStrings());
    CloseHandle(holder);
    EXPECT_EQ("<strings><string id=\"a\" loc=\"half", ReadBytes(stale));
    EXPECT_FALSE(FileExists(translationFile + L".saving.7.tmp"));
    EXPECT_TRUE(FileExists(translationFile + L".saving-notes.tmp"));
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    EXPECT_EQ(OptString(L"new"), model.Strings()[0].loc);
}

TEST_F(ProjectSaving, AnUnreadableTranslationIsKeptAsABackupUnderAFreeName) {
    WriteProject(R"(<s id="a" text="A"/>)");
    WriteUtf8File(translationFile, "<strings><string id=\"a\" loc=\"lost?\">");
    WriteUtf8File(translationFile + L".unreadable.bak", "earlier backup");
    ASSERT_TRUE(Load().translationUnreadable);
    model.SetLoc(0, L"new");
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_FALSE(model.HasUnreadableTranslation());
    EXPECT_EQ("earlier backup", ReadBytes(translationFile + L".unreadable.bak"));
    EXPECT_EQ("<strings><string id=\"a\" loc=\"lost?\">", ReadBytes(translationFile + L".unreadable.2.bak"));

    // Only the first save makes a backup.
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_FALSE(FileExists(translationFile + L".unreadable.3.bak"));
    ProjectModel reloaded;
    EXPECT_FALSE(reloaded.Load(ProjectFile(), translationFile, 1).translationUnreadable);
    EXPECT_EQ(OptString(L"new"), reloaded.Strings()[0].loc);
}

TEST_F(ProjectSaving, ASaveThatLeavesOutTranslationsKeepsTheEarlierFileAndCountsThem) {
    WriteProject(R"(<s id="a" text="A"/><s id="b" attr="label" text="B"/><s id="c" text="C"/>)");
    const std::string earlier =
        "<strings><string id=\"a\" attr=\"any\" loc=\"Ah\"/>"
        "<string id=\"gone\" loc=\"Weg\"/><string id=\"b\" attr=\"value\" loc=\"Be\"/>"
        "<string id=\"gone2\"/><string id=\"c\" loc=\"Ce\"/></strings>";
    WriteUtf8File(translationFile, earlier);
    WriteUtf8File(translationFile + L".bak", "earlier backup");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    model.SetLoc(2, std::nullopt); // a translation the translator took back is no loss
    ASSERT_TRUE(model.SaveStrings());
    // "gone" belongs to no string, and "b" takes no entry of another attr; "gone2" holds no text.
    EXPECT_EQ(2u, model.LastSave().droppedEntries);
    EXPECT_EQ(translationFile + L".2.bak", model.LastSave().backupPath);
    EXPECT_EQ(earlier, ReadBytes(translationFile + L".2.bak"));
    EXPECT_EQ("earlier backup", ReadBytes(translationFile + L".bak"));

    // The saved file carries everything the project has: nothing more to keep.
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_EQ(0u, model.LastSave().droppedEntries);
    EXPECT_EQ(L"", model.LastSave().backupPath);
    EXPECT_FALSE(FileExists(translationFile + L".3.bak"));
}

TEST_F(ProjectSaving, TwoProjectsWritingOneFileKeepEachOthersTranslationsAsABackup) {
    WriteProject(R"(<s id="mine" text="Mine"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    model.SetLoc(0, L"Meins");
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_EQ(0u, model.LastSave().droppedEntries);

    const std::wstring other = folder.File(L"other.xml");
    WriteUtf8File(other, R"(<tevproject name="O" dst="strings.xml"><strings><s id="yours" text="Yours"/>
        </strings></tevproject>)");
    ProjectModel second;
    ASSERT_EQ(LoadStatus::Loaded, second.Load(other, translationFile, 1049).status);
    second.SetLoc(0, L"Deins");
    ASSERT_TRUE(second.SaveStrings());
    EXPECT_EQ(1u, second.LastSave().droppedEntries);
    ProjectModel backup;
    ASSERT_EQ(LoadStatus::Loaded, backup.Load(ProjectFile(), second.LastSave().backupPath, 1).status);
    EXPECT_EQ(OptString(L"Meins"), backup.Strings()[0].loc);
}

TEST(ProjectSettings, ValuesDefaultWhenMissingAndReadBackAsWritten) {
    TempDir folder;
    const Settings settings(folder.File(L"settings.ini"));
    EXPECT_EQ(640, settings.ReadInt(L"MainWindow", L"width", 640));
    EXPECT_EQ(L"", settings.ReadString(L"settings", L"outpath"));
    EXPECT_EQ(folder.Path() + L"\\", settings.OutputFolder());
    ASSERT_TRUE(settings.WriteInt(L"TranslateWindow", L"height", 480));
    EXPECT_EQ(480, settings.ReadInt(L"TranslateWindow", L"height", 1));
    EXPECT_EQ(1, settings.ReadInt(L"TranslateWindow", L"width", 1));

    const std::wstring longFolder = L"D:\\" + std::wstring(400, L'x');
    WriteUtf8File(folder.File(L"settings.ini"), "[settings]\r\noutpath=" + Narrow(longFolder) + "\r\n");
    EXPECT_EQ(longFolder + L"\\", settings.OutputFolder());
    WriteUtf8File(folder.File(L"settings.ini"), "[settings]\r\noutpath=out\\lang\r\n");
    EXPECT_EQ(folder.Path() + L"\\out\\lang\\", settings.OutputFolder());
    WriteUtf8File(folder.File(L"settings.ini"), "[settings]\r\noutpath=\\\\server\\share\\\r\n");
    EXPECT_EQ(L"\\\\server\\share\\", settings.OutputFolder());
}

TEST(ProjectSettings, TranslationPathJoinsFolderLanguageAndDst) {
    EXPECT_EQ(L"D:\\out\\1049\\app\\strings.xml", TranslationPath(L"D:\\out\\", 1049, L"app\\strings.xml"));
    EXPECT_EQ(L"D:\\out\\1049\\s.xml", TranslationPath(L"D:\\out", 1049, L"s.xml"));
    EXPECT_EQ(L"C:\\p\\-1\\s.xml", TranslationPath(L"C:\\p\\", -1, L"s.xml"));

    const std::wstring program = ProgramFolderOf();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(L'\\', program.back());
    EXPECT_TRUE(FileExists(program + L"tev_tests.exe"));
}

TEST(ProjectSettings, OnlyDstsInsideTheLanguageFolderAreSafe) {
    for (const wchar_t* safe : {L"strings.xml", L"app\\sub/strings.xml", L"a\\..\\b.xml", L".\\s.xml"}) {
        EXPECT_TRUE(IsSafeRelativePath(safe)) << Narrow(safe);
    }
    for (const wchar_t* unsafe :
         {L"", L"C:\\x.xml", L"C:x.xml", L"\\x.xml", L"/x.xml", L"\\\\server\\s\\x.xml", L"..\\x.xml",
          L"a\\..\\..\\x.xml", L"a/../../x.xml", L"a\\", L"a\\..", L"x.xml:ads", L".. \\x.xml",
          L"a\\...\\..\\x.xml"}) {
        EXPECT_FALSE(IsSafeRelativePath(unsafe)) << Narrow(unsafe);
    }
}

TEST(ProjectSettings, DstsNamingADeviceInAnySegmentAreRefused) {
    for (const wchar_t* device :
         {L"nul.xml", L"NUL", L"CON", L"aux.xml", L"com1.xml", L"lpt1", L"Prn.tar.gz", L"nul.", L"con . .",
          L"nul .xml", L"COM9", L"lpt\xB2.xml", L"conin$", L"a\\nul\\strings.xml", L"aux/x.xml"}) {
        EXPECT_FALSE(IsSafeRelativePath(device)) << Narrow(device);
    }
    for (const wchar_t* name : {L"null.xml", L"console.xml", L"com10.xml", L"lpt.xml", L"my nul.xml",
                                L"a.nul", L"auxiliary\\con1.xml"}) {
        EXPECT_TRUE(IsSafeRelativePath(name)) << Narrow(name);
    }
}

class SavingFromTheMainWindow : public TranslatorFixture {};

TEST_F(SavingFromTheMainWindow, SaysHowManyTranslationsItLeftOutAndWhereTheEarlierFileIs) {
    WriteUtf8File(TranslationFile(), R"(<strings><string id="look" attr="value" loc="Chercher"/>
        <string id="removed" loc="Parti"/></strings>)");
    CMainDialog main(&engine, program.Path(), session);
    std::wstring message;
    bool saved = false;
    Run(main, {[&] {
                   main.SetTranslation(1, L"D'accord");
                   ClickElement(main, L"btnSave");
                   saved = !session.Model().IsModified();
               },
               [&] { message = AnswerMessageBox(main, IDOK); }});
    EXPECT_TRUE(saved);
    EXPECT_EQ(L"1 translation(s) in the earlier file belong to no string of this project and were not "
              L"carried over into the saved file.\n\nThe earlier file was kept as:\n" +
                  TranslationFile() + L".bak",
              message);
    EXPECT_NE(std::string::npos, ReadBytes(TranslationFile() + L".bak").find("Parti"));
}

TEST_F(ProjectSaving, EntriesOfAnEarlierFileThatDisagreeOnAStringAreCountedAndKeptInTheBackup) {
    WriteProject(R"(<s id="c" attr="label" text="Cancel"/><s id="c" attr="label" text="Cancel"/>)");
    WriteTranslation(
        R"(<string id="c" attr="label" loc="Abbrechen"/><string id="c" attr="label" loc="Abbrechen"/>
        <string id="c" attr="label" loc="Schlie&#223;en"/>)");
    ASSERT_EQ(LoadStatus::Loaded, Load().status);
    EXPECT_EQ(OptString(L"Abbrechen"), model.Strings()[1].loc); // the first wins, as it always did
    const std::string before = ReadBytes(translationFile);
    model.SetLoc(0, L"Abbrechen!");
    ASSERT_TRUE(model.SaveStrings());
    EXPECT_EQ(1u, model.LastSave().disagreeingEntries);
    EXPECT_EQ(before, ReadBytes(model.LastSave().backupPath));
}
