// Suggestions from earlier translations: the same original, or one alike in most of its words, with
// accelerator marks, case and placeholders aside; this project's own strings as they change.
#include "ProjectModel.h"
#include "FileOps.h"
#include "TestSupport.h"
#include "TmxFile.h"
#include "TranslationMemory.h"

#include <gtest/gtest.h>

namespace {

// "percent translation (origin)" per suggestion.
std::wstring Shown(const std::vector<Suggestion>& suggestions) {
    std::wstring shown;
    for (const Suggestion& suggestion : suggestions) {
        shown += std::to_wstring(suggestion.percent) + L" " + suggestion.translation + L" (" +
                 suggestion.origin + L"); ";
    }
    return shown;
}

} // namespace

TEST(TranslationMemory, SuggestsTheSameOriginalThenTheMostAlikeEachTranslationOnce) {
    TempDir folder;
    const std::wstring file = folder.File(L"strings.xml");
    WriteUtf8File(file, R"(<strings><string id="a" text="Cancel" loc="Abbrechen"/>
        <string id="b" text="&amp;Delete %d files?" loc="%d Dateien l&#xF6;schen?"/>
        <string id="c" text="Open the file" loc="Datei &#xF6;ffnen"/><string id="d" text="Cancel"/></strings>)");
    ProjectModel model(
        {{L"x", std::nullopt, L"Close the main window", OptString(L"Hauptfenster schlie\u00DFen")},
         {L"y", std::nullopt, L"Cancel", OptString(L"Abbrechen")},
         {L"z", std::nullopt, L"Close the main windows", std::nullopt}},
        {});
    TranslationMemory memory;
    ASSERT_TRUE(memory.AddTranslationFile(file, L"Other"));
    EXPECT_FALSE(memory.AddTranslationFile(folder.File(L"missing.xml"), L"None"));
    memory.AddProject(model, L"This");
    EXPECT_EQ(6u, memory.Size()); // d has no translation

    EXPECT_EQ(L"100 Abbrechen (Other); ", Shown(memory.Suggest(L"Cancel")));
    EXPECT_EQ(L"99 %d Dateien l\u00F6schen? (Other); ", Shown(memory.Suggest(L"Delete %s &files?")));
    EXPECT_EQ(L"75 Datei \u00F6ffnen (Other); ", Shown(memory.Suggest(L"Open the new file")));
    EXPECT_EQ(L"", Shown(memory.Suggest(L"Open the folder"))); // 67 %
    EXPECT_EQ(L"75 Hauptfenster schlie\u00DFen (This); ",
              Shown(memory.Suggest(L"Close the main windows", 2)));
    EXPECT_EQ(L"", Shown(memory.Suggest(L"Close the main window", 0))); // not to itself

    model.SetLoc(0, L"Fenster schlie\u00DFen"); // the project's strings are looked up as they are now
    EXPECT_EQ(L"75 Fenster schlie\u00DFen (This); ", Shown(memory.Suggest(L"Close the main windows", 2)));
}

TEST(TranslationMemory, ATmxFileWrittenFromAProjectReadsBackIntoSuggestions) {
    TempDir folder;
    const ProjectModel model({{L"ok", OptString(L"label"), L"R&&D <now>", OptString(L"F&&E \"jetzt\"\n")},
                              {L"no", std::nullopt, L"Untranslated", std::nullopt}},
                             {});
    Win32FileOps files;
    const std::wstring path = folder.File(L"p.tmx");
    ASSERT_TRUE(WriteTmxFile(files, path, model, L"Proj").Saved());
    TranslationMemory memory;
    ASSERT_TRUE(AddTmxFile(memory, path, LanguageTag(model.LanguageId())));
    EXPECT_EQ(L"100 F&&E \"jetzt\"\n (p.tmx); ", Shown(memory.Suggest(L"R&&D <now>")));
    EXPECT_EQ(1u, memory.Size());

    // Another tool's file: languages by their primary part, markup inside a segment left out.
    WriteUtf8File(path, R"(<tmx version="1.4"><header srclang="en-US"/><body><tu>
        <tuv xml:lang="EN-US"><seg>Hello <ph>x</ph>world</seg></tuv><tuv xml:lang="fr"><seg>Salut</seg></tuv>
        <tuv xml:lang="de-CH"><seg>Hallo <ph>x</ph>Welt</seg></tuv></tu></body></tmx>)");
    ASSERT_TRUE(AddTmxFile(memory, path, LanguageTag(1031)));
    EXPECT_EQ(L"100 Hallo Welt (p.tmx); ", Shown(memory.Suggest(L"Hello world")));
    WriteUtf8File(path, "<strings/>");
    EXPECT_FALSE(AddTmxFile(memory, path, L"de"));
}
