// The translation file's one reader: which elements are its entries, and the rule by which each of
// its users finds one: the project model by exact id, a preview's string table ignoring case.
#include "CTEVEngine.h"
#include "ProjectModel.h"
#include "TestSupport.h"
#include "TranslationFile.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

std::string TextOf(const OptString& value) {
    return value ? Narrow(*value) : "-";
}

// "id/attr/loc " per entry, an absent attribute "-", then "refused" when the read fails.
std::string EntriesOf(const std::string& bytes) {
    TempDir folder;
    const std::wstring path = folder.File(L"strings.xml");
    WriteUtf8File(path, bytes);
    std::string entries;
    const bool read = ReadTranslationFile(path.c_str(), [&](const TranslationEntry& entry) {
        entries += TextOf(entry.id) + "/" + TextOf(entry.attr) + "/" + TextOf(entry.loc) + " ";
    });
    return entries + (read ? "" : "refused");
}

} // namespace

TEST(TranslationFile, EntriesAreTheStringElementsDirectlyUnderAStringsRoot) {
    const struct {
        const char* rule;
        const char* bytes;
        const char* entries;
    } cases[] = {
        {"the original text is not read; any attribute may be absent",
         R"(<strings><string id="a" attr="label" text="A" loc="B"/><string/></strings>)", "a/label/B -/-/- "},
        {"other elements, before or after an entry, and deeper ones are none",
         R"(<strings><other id="x"/><string id="a"/><other id="y"/><g><string id="z"/></g></strings>)",
         "a/-/- "},
        {"another root", R"(<translation><string id="a"/></translation>)", "refused"},
        {"a root in a namespace", R"(<strings xmlns="u"><string id="a"/></strings>)", "refused"},
        {"a file that is not well-formed, visited up to its error", R"(<strings><string id="a"/>)",
         "a/-/- refused"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.entries, EntriesOf(test.bytes)) << test.rule;
    }
}

TEST(TranslationFile, TheModelFindsAnEntryByExactIdAndAPreviewIgnoringCase) {
    const struct {
        const char* id;
        const char* attr; // null: the string has none
        const char* model;
        const char* preview;
    } cases[] = {
        {"ok", "label", "lower", "upper"},
        {"OK", "Label", "upper", "upper"},
        // Without attr the model takes any entry of the id, a preview only one without attr.
        {"ok", nullptr, "lower", "-"},
        {"Title", nullptr, "bare", "bare"},
        {"title", nullptr, "-", "bare"},
    };
    TempDir folder;
    const std::wstring translation = folder.File(L"strings.xml");
    WriteUtf8File(translation, R"(<strings><string id="OK" attr="Label" loc="upper"/>
        <string id="ok" attr="label" loc="lower"/><string id="Title" loc="bare"/></strings>)");
    std::string project = R"(<tevproject name="P" dst="s.xml"><strings>)";
    for (const auto& test : cases) {
        project += std::string("<string id=\"") + test.id + "\"" +
                   (test.attr ? std::string(" attr=\"") + test.attr + "\"" : "") + " text=\"x\"/>";
    }
    WriteUtf8File(folder.File(L"tevproject.xml"), project + "</strings></tevproject>");
    ProjectModel model;
    ASSERT_EQ(LoadStatus::Loaded, model.Load(folder.File(L"tevproject.xml"), translation, 7).status);
    CTEVEngine preview(nullptr);
    preview.LoadStrings(translation.c_str());

    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& test = cases[i];
        const std::wstring id = Widen(test.id);
        const std::wstring attr = test.attr ? Widen(test.attr) : L"";
        const wchar_t* found = preview.FindString(id.c_str(), test.attr ? attr.c_str() : nullptr);
        EXPECT_EQ(test.model, TextOf(model.Strings()[i].loc)) << test.id;
        EXPECT_EQ(test.preview, TextOf(CopyOrNull(found))) << test.id;
    }
}
