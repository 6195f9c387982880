// The engine: tag factory, loading descriptions from files and resources, the string table.
#include "CTEVBox.h"
#include "CTEVElement.h"
#include "CTEVEngine.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Engine : public testing::Test {
protected:
    CTEVEngine engine{GetModuleHandleW(nullptr)};
    TempDir folder;

    void LoadStringsText(const std::string& text) {
        const std::wstring path = folder.File(L"strings.xml");
        WriteUtf8File(path, text);
        engine.LoadStrings(path.c_str());
    }
};

} // namespace

TEST_F(Engine, FactoryMatchesTagsIgnoringCaseAndBoxesTakeTheirOrientation) {
    CTEVElement root(nullptr, &engine);
    ASSERT_TRUE(LoadDescriptionText(
        root,
        R"(<dialog><HBOX orient="vertical"/><Box orient="vertical"/><vbox/><window orient="vertical"/></dialog>)"));
    ASSERT_EQ(4u, root.ChildCount());
    EXPECT_EQ(0, root.Child(0)->Orient());
    EXPECT_EQ(1, root.Child(1)->Orient());
    EXPECT_EQ(1, root.Child(2)->Orient());
    EXPECT_EQ(1, root.Child(3)->Orient());
    EXPECT_TRUE(root.Child(0)->IsKindOf(L"BOX", nullptr));
    CTEVElement* out = &root;
    EXPECT_FALSE(root.Child(3)->IsKindOf(L"window", &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_TRUE(root.IsKindOf(L"", &out));
    EXPECT_EQ(&root, out);

    EXPECT_EQ(nullptr, engine.CreateElement(L"#text", &root));
    EXPECT_EQ(nullptr, engine.CreateElement(L"gizmo", &root));
    std::unique_ptr<CTEVElement> made = engine.CreateElement(L"hBox", &root);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(&root, made->Parent());
    EXPECT_EQ(4u, root.ChildCount());
}

TEST_F(Engine, DescriptionsThatDoNotLoadLeaveTheElementEmpty) {
    const std::pair<const char*, std::string> cases[] = {
        {"malformed", "<dialog><box></dialog>"},
        {"wrong root", "<window><box/></window>"},
        {"empty file", ""},
        {"not xml", "\x01\x02 binary"},
    };
    for (const auto& [name, text] : cases) {
        CTEVElement root(nullptr, &engine);
        EXPECT_FALSE(LoadDescriptionText(root, text)) << name;
        EXPECT_EQ(0u, root.ChildCount()) << name;
    }
    CTEVElement root(nullptr, &engine);
    EXPECT_FALSE(root.LoadDocument(folder.File(L"missing.xml").c_str(), L"dialog", nullptr));
    EXPECT_FALSE(root.LoadDocument(nullptr, L"dialog", nullptr));
    EXPECT_FALSE(root.LoadDocument(L"res:nosuch.xml", L"dialog", GetModuleHandleW(nullptr)));
}

TEST_F(Engine, ExternalDoctypeIsNeitherFetchedNorEnforced) {
    CTEVElement root(nullptr, &engine);
    ASSERT_TRUE(LoadDescriptionText(root, "<?xml version=\"1.0\"?>\n<!DOCTYPE dialog SYSTEM "
                                          "\"..\\..\\..\\tevlib.dtd\">\n<dialog><box/></dialog>"));
    EXPECT_EQ(1u, root.ChildCount());
}

TEST_F(Engine, ResourcePrefixIsCaseSensitiveAndResourceNamesAreNot) {
    CTEVElement embedded(nullptr, &engine);
    EXPECT_TRUE(embedded.LoadDocument(L"res:Main.XML", L"dialog", GetModuleHandleW(nullptr)));
    EXPECT_GT(embedded.ChildCount(), 0u);

    // "RES:" is an ordinary (here missing) file path.
    CTEVElement upper(nullptr, &engine);
    EXPECT_FALSE(upper.LoadDocument(L"RES:main.xml", L"dialog", GetModuleHandleW(nullptr)));
}

TEST_F(Engine, ResourcesLoadWithOrWithoutByteOrderMarkAndIgnoreAnOddLastByte) {
    for (const wchar_t* name : {L"res:nobom.xml", L"res:oddbyte.xml"}) {
        CTEVElement root(nullptr, &engine);
        EXPECT_TRUE(root.LoadDocument(name, L"dialog", GetModuleHandleW(nullptr))) << Narrow(name);
        ASSERT_EQ(1u, root.ChildCount()) << Narrow(name);
        EXPECT_STREQ(L"only", root.Child(0)->Id());
    }
}

TEST_F(Engine, TheFirstEntryForAnIdAndAttributeWins) {
    LoadStringsText(R"(<strings>
        <string id="ok" attr="label" loc="first"/>
        <string id="OK" attr="LABEL" loc="second"/>
        <string id="ok" loc="no attribute"/>
        <string id="ok" loc="no attribute either"/>
    </strings>)");
    EXPECT_STREQ(L"first", engine.FindString(L"Ok", L"Label"));
    EXPECT_STREQ(L"no attribute", engine.FindString(L"ok", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(L"ok", L"caption"));
    EXPECT_EQ(nullptr, engine.FindString(L"other", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(nullptr, nullptr));
}

TEST_F(Engine, AnEntryWithoutAttrNeverAnswersAnAttributeLookup) {
    LoadStringsText(R"(<strings><string id="title" loc="Titel"/></strings>)");
    EXPECT_EQ(nullptr, engine.FindString(L"title", L"label"));
    EXPECT_STREQ(L"Titel", engine.FindString(L"title", nullptr));
}

TEST_F(Engine, EntriesWithoutIdAndNodesBetweenEntriesAreSkipped) {
    LoadStringsText("<strings>\n  <string attr=\"label\" loc=\"orphan\"/>\n  <!-- comment -->\n"
                    "  <string id=\"a\" attr=\"label\" loc=\"A\"/>\n  text\n"
                    "  <string id=\"b\" loc=\"\"/>\n</strings>");
    EXPECT_EQ(2u, engine.StringCount());
    EXPECT_STREQ(L"A", engine.FindString(L"a", L"label"));
    ASSERT_NE(nullptr, engine.FindString(L"b", nullptr));
    EXPECT_STREQ(L"", engine.FindString(L"b", nullptr));
}

TEST_F(Engine, StringFilesAppendAndBadFilesAddNothing) {
    LoadStringsText(R"(<strings><string id="a" loc="one"/></strings>)");
    LoadStringsText(R"(<strings><string id="a" loc="two"/><string id="b" loc="three"/></strings>)");
    LoadStringsText("<strings><string id=\"c\" loc=\"broken\"></strings>");
    LoadStringsText(R"(<translation><string id="d" loc="wrong root"/></translation>)");
    LoadStringsText(R"(<strings><other id="e" loc="no string element"/></strings>)");
    engine.LoadStrings(folder.File(L"missing.xml").c_str());
    EXPECT_EQ(3u, engine.StringCount());
    EXPECT_STREQ(L"one", engine.FindString(L"a", nullptr));
    EXPECT_STREQ(L"three", engine.FindString(L"b", nullptr));
}

TEST_F(Engine, UnicodeTextsSurviveTheStringTable) {
    LoadStringsText(
        u8R"(<strings><string id="x" attr="label" loc="Привет &amp; 日本 &quot;q&quot;"/></strings>)");
    EXPECT_EQ(Widen(u8"Привет & 日本 \"q\""), engine.FindString(L"x", L"label"));
}
