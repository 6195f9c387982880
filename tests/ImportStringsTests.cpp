// Import of VARNO string files: text lines and XML pairs read from real files, matched to project
// strings, and imported through the main window's "import" file selector.
#include "ImportStrings.h"
#include "TranslatorFixture.h"

namespace {

using Pairs = std::vector<std::pair<std::wstring, std::wstring>>;

Pairs AsPairs(const std::vector<ImportPair>& pairs) {
    Pairs result;
    for (const ImportPair& pair : pairs) {
        result.emplace_back(pair.original, pair.translation);
    }
    return result;
}

Pairs ParsedText(const std::wstring& units) {
    return AsPairs(ParseImportText(units));
}

// The code units as a file stores them, little-endian, without byte-order mark.
std::string LittleEndianBytes(const std::wstring& units) {
    std::string bytes;
    for (wchar_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Each with an id of its own: strings that share one are a single translation.
StringItem Item(const wchar_t* text, OptString loc = std::nullopt) {
    static int next = 0;
    return {L"id" + std::to_wstring(next++), std::nullopt, text, loc};
}

// Imports pairs into the model's strings, one string per call; the number of calls.
int Import(ProjectModel& model, const std::vector<ImportPair>& pairs, ImportSummary* summary = nullptr) {
    int calls = 0;
    std::vector<size_t> changed;
    const ImportSummary done =
        ApplyImport(model.Strings(), pairs, [&](size_t index, std::wstring text) {
            ++calls;
            model.SetUnitLoc(index, std::move(text), changed);
        });
    if (summary) {
        *summary = done;
    }
    return calls;
}

std::vector<OptString> Translations(const ProjectModel& model) {
    std::vector<OptString> result;
    for (const StringItem& item : model.Strings()) {
        result.push_back(item.loc);
    }
    return result;
}

class ImportFile : public testing::Test {
protected:
    TempDir folder;
};

class ImportStrings : public TranslatorFixture {};

} // namespace

TEST(ImportText, EachLineSplitsAtItsFirstEqualsAndLinesWithoutOneAreIgnored) {
    EXPECT_EQ((Pairs{{L"a", L"b=c"}, {L"", L"lonely"}, {L"key", L""}, {L"x", L"y"}}),
              ParsedText(L"a=b=c\n=lonely\n[Section]\n\n; comment\nkey=\nx=y"));
    EXPECT_EQ(Pairs{}, ParsedText(L""));
}

TEST(ImportText, ALastLineWithoutLineFeedKeepsAllItsCharacters) {
    EXPECT_EQ((Pairs{{L"OK", L"Gut"}, {L"Cancel", L"Abbrechen"}}), ParsedText(L"OK=Gut\nCancel=Abbrechen"));
}

TEST(ImportText, WindowsLineEndingsAndALeadingByteOrderMarkAreNotText) {
    EXPECT_EQ((Pairs{{L"OK", L"Gut"}, {L"Cancel", L"Abbrechen"}, {L"", L""}}),
              ParsedText(L"\xFEFFOK=Gut\r\nCancel=Abbrechen\r\n=\r\n"));
    // Only a carriage return that ends a line goes, and only a mark at the very start.
    EXPECT_EQ((Pairs{{L"a", L"b\rc"}, {L"\xFEFFx", L"1\r"}}), ParsedText(L"a=b\rc\n\xFEFFx=1\r"));
}

TEST(ImportText, TheEncodingIsTakenFromTheContentWithOrWithoutByteOrderMark) {
    const std::wstring text = L"\x00C4nderung=\x0418\x0437\x043C\r\nOK=Gut\r\n";
    std::string bigEndian;
    for (wchar_t unit : text) {
        bigEndian += static_cast<char>(unit >> 8);
        bigEndian += static_cast<char>(unit & 0xFF);
    }
    const std::string utf8 = Narrow(text);
    const std::pair<const char*, std::string> files[] = {
        {"UTF-16", LittleEndianBytes(text)},
        {"UTF-16 with mark", "\xFF\xFE" + LittleEndianBytes(text)},
        {"UTF-16 big-endian", bigEndian},
        {"UTF-16 big-endian with mark", "\xFE\xFF" + bigEndian},
        {"UTF-8", utf8},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8},
    };
    for (const auto& [what, bytes] : files) {
        EXPECT_EQ(text, DecodeImportText(bytes)) << what;
    }
}

TEST(ImportText, ALineOfAnyLengthIsOneLine) {
    const std::wstring original(100000, L'o');
    const std::wstring translation(100000, L't');
    // An "=" far beyond any fixed buffer still splits the same line.
    const std::wstring late = std::wstring(5000, L'x');
    EXPECT_EQ(
        (Pairs{{original, translation}, {late, L"y=z"}, {L"after", L"long"}}),
        ParsedText(original + L"=" + translation + L"\r\n" + late + L"=y=z\n" + late + L"\nafter=long"));
}

TEST_F(ImportFile, ATextFileIsReadAsLittleEndianCodeUnits) {
    const std::wstring marked = folder.File(L"marked.ini");
    WriteUtf16File(marked, L"[Strings]\r\nOK=Gut\r\n\x00C4nderung=\x0418\x0437\x043C\r\n");
    const std::wstring bare = folder.File(L"bare.ini");
    WriteUtf8File(bare, LittleEndianBytes(L"OK=Gut\nlast=line") + "\x01"); // an odd byte is no unit
    EXPECT_EQ((Pairs{{L"OK", L"Gut"}, {L"\x00C4nderung", L"\x0418\x0437\x043C"}}),
              AsPairs(ReadImportFile(marked).pairs));
    EXPECT_EQ((Pairs{{L"OK", L"Gut"}, {L"last", L"line"}}), AsPairs(ReadImportFile(bare).pairs));
    EXPECT_EQ(ImportFormat::Unreadable, ReadImportFile(folder.File(L"missing.ini")).format);
}

TEST_F(ImportFile, AFileLargerThanAnyStringFileImportsNothing) {
    const std::wstring huge = folder.File(L"huge.ini");
    std::string text = LittleEndianBytes(L"OK=Gut\n");
    text.resize(static_cast<size_t>(kMaxImportFileBytes) + 2, 'a');
    WriteUtf8File(huge, text);
    EXPECT_EQ(ImportFormat::TooLarge, ReadImportFile(huge).format);
}

TEST_F(ImportFile, TheContentDecidesTheFormatOnce) {
    const struct {
        std::string bytes;
        ImportFormat format;
        Pairs pairs;
    } cases[] = {
        {"\xEF\xBB\xBF \r\n<translation><p><src>A</src><dst>B</dst></p></translation>",
         ImportFormat::Xml,
         {{L"A", L"B"}}},
        {"\xFF\xFE" + LittleEndianBytes(L"\n<translation><p><src>A</src><dst>B</dst></p></translation>"),
         ImportFormat::Xml,
         {{L"A", L"B"}}},
        {"<?xml version=\"1.0\" "
         "encoding=\"ISO-8859-1\"?><translation><p><src>\xC4</src><dst>B</dst></p></translation>",
         ImportFormat::Xml,
         {{L"\x00C4", L"B"}}},
        {"<b>bold</b>=<b>fett</b>\n", ImportFormat::Xml, {}},
        {"[Strings]\n<b>=fett\n", ImportFormat::Text, {{L"<b>", L"fett"}}},
        {LittleEndianBytes(L"OK=<Gut>"), ImportFormat::Text, {{L"OK", L"<Gut>"}}},
    };
    const std::wstring path = folder.File(L"strings.txt");
    for (const auto& c : cases) {
        WriteUtf8File(path, c.bytes);
        const ImportContent content = ReadImportFile(path);
        EXPECT_EQ(c.format, content.format) << c.bytes;
        EXPECT_EQ(c.pairs, AsPairs(content.pairs)) << c.bytes;
    }
}

TEST_F(ImportFile, AFileAtTheSizeBoundIsReadOnce) {
    const std::wstring path = folder.File(L"large.ini");
    std::wstring text = L"[Strings]\n";
    const std::wstring line = L"An original text of some length=Ein \x00FCbersetzter Text\n";
    while ((text.size() + line.size()) * 2 < kMaxImportFileBytes) {
        text += line;
    }
    WriteUtf16File(path, text);
    ImportContent content;
    // Parsed as XML first and then as text, it took seconds.
    EXPECT_LT(SecondsToRun([&] { content = ReadImportFile(path); }), 2.5);
    EXPECT_EQ(ImportFormat::Text, content.format);
    EXPECT_EQ(text.size() / line.size(), content.pairs.size());
}

TEST_F(ImportFile, AnXmlStringsFileGivesTheSrcAndDstOfEachChildInDocumentOrder) {
    const std::wstring path = folder.File(L"tstr.xml");
    WriteUtf8File(path, R"(<?xml version="1.0" encoding="UTF-8"?>
<translation>
  <item><src>OK</src><dst>Gut</dst></item>
  <other><dst>Zweite</dst><note/><src>Cancel</src></other>
  <item><src>Only source</src></item>
  <item><dst>Only translation</dst></item>
  <item><src>Empty</src><dst/></item>
  <item><src>a &amp; b</src><src>second src</src><dst><![CDATA[<first>]]></dst><dst>second dst</dst></item>
</translation>
)");
    EXPECT_EQ((Pairs{{L"OK", L"Gut"}, {L"Cancel", L"Zweite"}, {L"Empty", L""}, {L"a & b", L"<first>"}}),
              AsPairs(ReadImportFile(path).pairs));
}

TEST_F(ImportFile, XmlTextsKeepTheirWhiteSpaceAndLineBreaksAsWritten) {
    const std::wstring path = folder.File(L"tstr.xml");
    WriteUtf16File(path, L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<translation>\r\n"
                         L"  <p><src>  Two\r\n  lines  </src><dst>\tZwei\nZeilen\n</dst></p>\r\n"
                         L"  <p><src> </src><dst>  </dst></p>\r\n</translation>\r\n");
    EXPECT_EQ((Pairs{{L"  Two\n  lines  ", L"\tZwei\nZeilen\n"}, {L" ", L"  "}}),
              AsPairs(ReadImportFile(path).pairs));
}

TEST_F(ImportFile, AnXmlFileWithAnotherRootGivesNothingAndIsNotReadAsText) {
    const std::wstring path = folder.File(L"strings.xml");
    WriteUtf8File(path, "<strings><string id=\"ok\" text=\"OK\" loc=\"Gut\"/></strings>\n<!--\nOK=Gut\n-->");
    EXPECT_EQ(Pairs{}, AsPairs(ReadImportFile(path).pairs));
}

TEST_F(ImportFile, AMalformedFileNamingALongTagIsRefusedWithoutHarm) {
    // Such an error message overran a fixed buffer of the platform's streaming reader under Wine,
    // which ended the process.
    const std::wstring path = folder.File(L"mismatched.xml");
    WriteUtf8File(path, "<translation><" + std::string(3000, 'x') + "></translation>");
    const ImportContent file = ReadImportFile(path);
    EXPECT_EQ(ImportFormat::Xml, file.format);
    EXPECT_TRUE(file.pairs.empty());
    EXPECT_EQ(L"", file.xmlRoot);
}

TEST(ImportMatching, TheFirstPairWinsAndTranslatedStringsAreNeverOverwritten) {
    ProjectModel model(
        {Item(L"Cancel", L"Annuler"), Item(L"Cancel"), Item(L"OK"), Item(L"Cancel"), Item(L"Help")}, {});
    ImportSummary summary;
    const int calls = Import(model,
                             {{L"Cancel", L"Abbrechen"},
                              {L"Cancel", L"Stopp"},
                              {L"OK", L""},
                              {L"Nowhere", L"Nirgends"},
                              {L"Help", L"Hilfe"},
                              {L"Help", L"Nochmal"}},
                             &summary);
    EXPECT_EQ((std::vector<OptString>{L"Annuler", L"Abbrechen", L"", L"Abbrechen", L"Hilfe"}),
              Translations(model));
    // Each string once: the second "Cancel" and "Help" pairs find theirs translated.
    EXPECT_EQ(4, calls);
    EXPECT_EQ(4u, summary.filled);
    EXPECT_EQ(1u, summary.unmatched); // "Nowhere"; pairs finding their strings translated do match
}

TEST(ImportMatching, OriginalsMatchExactlyAndCaseSensitively) {
    ProjectModel model(
        {Item(L"Cancel"), Item(L"cancel"), Item(L"Cancel "), Item(L"Two\nlines"), Item(L"Two\r\nlines")}, {});
    Import(model, {{L"Cancel", L"A"}, {L"", L"B"}, {L"Two\nlines", L"C"}, {L"CANCEL", L"D"}});
    EXPECT_EQ((std::vector<OptString>{L"A", std::nullopt, std::nullopt, L"C", std::nullopt}),
              Translations(model));
}

TEST_F(ImportFile, AMultiLineOriginalFromAnXmlFileMatchesTheProjectsMultiLineText) {
    const std::wstring project = folder.File(L"tevproject.xml");
    WriteUtf8File(project, R"(<tevproject name="P" dst="s.xml"><strings>
        <string id="a" text="First line&#10;  second line"/><string id="b" text="Plain"/></strings></tevproject>)");
    const std::wstring import = folder.File(L"tstr.xml");
    WriteUtf8File(import, "<translation>\n <t>\n  <src>First line\n  second line</src>\n"
                          "  <dst>Erste Zeile\n  zweite Zeile</dst>\n </t>\n</translation>");
    ProjectModel model;
    ASSERT_EQ(LoadStatus::Loaded, model.Load(project, folder.File(L"s.xml"), 1031).status);
    Import(model, ReadImportFile(import).pairs);
    EXPECT_EQ((std::vector<OptString>{L"Erste Zeile\n  zweite Zeile", std::nullopt}), Translations(model));
}

TEST_F(ImportStrings, ThePathTheImportSelectorDeliversIsImportedIntoListModelAndSaveButton) {
    const std::wstring path = program.File(L"old.ini");
    WriteUtf16File(
        path,
        L"[Strings]\r\nCancel=Abbrechen\r\nLook in:=Suchen in:\r\nOK=\r\nNowhere=Nirgends\r\nGone=Weg\r\n");
    CMainDialog main(&engine, program.Path(), session);
    Texts before, after;
    std::wstring report;
    int handled = 0;
    bool saveEnabled = false;
    Run(main,
        {[&] {
             Type(main, L"find", L"n"); // rows: Settings, Cancel, Look in:, Cancel, Nowhere, cancel, Cancel
             before = Column(main, 0);
             handled = Get(main, L"import").Fire(L"fsselected", 0, reinterpret_cast<LPARAM>(path.c_str()));
             after = Column(main, 1);
             saveEnabled = SaveEnabled(main);
         },
         [&] { report = AnswerMessageBox(main, IDOK); }});
    EXPECT_EQ(1, handled);
    EXPECT_EQ((Texts{L"Settings", L"Cancel", L"Look in:", L"Cancel", L"Nowhere", L"cancel", L"Cancel"}),
              before);
    // The list keeps its rows; "Look in:" and the last "Cancel" were translated already.
    EXPECT_EQ((Texts{L"", L"Abbrechen", L"Chercher", L"Abbrechen", L"Nirgends", L"", L"Annuler"}), after);
    ASSERT_TRUE(session.Model().Strings()[1].loc); // "OK" is not listed but imported, as translated
    EXPECT_EQ(L"", *session.Model().Strings()[1].loc);
    EXPECT_TRUE(saveEnabled);
    EXPECT_TRUE(session.Model().IsModified());
    EXPECT_EQ(L"4 string(s) translated from 5 pair(s) in the file.\n1 pair(s) matched no original text of "
              L"the project.",
              report);
}

TEST_F(ImportStrings, AFileWithoutPairsOrUnreadableIsReportedAndChangesNothing) {
    const std::wstring ownFile = TranslationFile(); // XML, but not a VARNO strings file
    const std::wstring ansi = program.File(L"ansi.ini");
    WriteUtf8File(ansi, "[Strings]\r\nno pairs here\r\n");
    const std::wstring broken = program.File(L"broken.xml");
    WriteUtf8File(broken, "<translation><p><src>OK</src>");
    const std::wstring huge = program.File(L"huge.ini");
    WriteUtf8File(huge, std::string(static_cast<size_t>(kMaxImportFileBytes) + 1, 'a'));
    CMainDialog main(&engine, program.Path(), session);
    std::vector<std::wstring> reports;
    bool saveEnabled = true;
    const auto answer = [&] {
        HWND box = FindOwnedDialog(main.Window());
        reports.push_back(MessageBoxText(box));
        PressButton(box, IDOK);
    };
    Run(main, {[&] {
                   main.ImportStrings(program.File(L"missing.ini").c_str());
                   main.ImportStrings(ownFile.c_str());
                   main.ImportStrings(ansi.c_str());
                   main.ImportStrings(broken.c_str());
                   main.ImportStrings(huge.c_str());
                   saveEnabled = SaveEnabled(main);
               },
               answer, answer, answer, answer, answer});
    EXPECT_FALSE(saveEnabled);
    EXPECT_FALSE(session.Model().IsModified());
    ASSERT_EQ(5u, reports.size());
    EXPECT_EQ(L"The file could not be read:\n" + program.File(L"missing.ini"), reports[0]);
    EXPECT_NE(std::wstring::npos, reports[1].find(L"holds no strings to import"));
    EXPECT_NE(std::wstring::npos, reports[1].find(L"Its root element is \"strings\""));
    EXPECT_NE(std::wstring::npos, reports[2].find(L"No line reads \"original=translation\""));
    EXPECT_NE(std::wstring::npos, reports[3].find(L"not well-formed XML"));
    EXPECT_NE(std::wstring::npos, reports[4].find(L"larger than 16 MiB"));
}
