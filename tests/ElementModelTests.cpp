// The element tree built from a description: common attributes, lookups, inheritance, events.
#include "CTEVElement.h"
#include "CTEVEngine.h"
#include "TestSupport.h"
#include "XmlDom.h"

#include <gtest/gtest.h>

namespace {

class ElementTree : public testing::Test {
protected:
    CTEVEngine engine{GetModuleHandleW(nullptr)};
    CTEVElement root{nullptr, &engine};

    CTEVElement* LoadBody(const std::string& body) {
        EXPECT_TRUE(LoadDescriptionText(root, "<dialog>" + body + "</dialog>"));
        return root.ChildCount() ? root.Child(0) : nullptr;
    }
};

} // namespace

TEST_F(ElementTree, BooleanAttributesAcceptOnlyTrueAndFalseInAnyCase) {
    LoadBody(R"(<box id="a" hidden="TRUE"/><box id="b" hidden="yes"/><box id="c" hidden="1"/>
                <box id="d" disabled="False" hidden="true"/>)");
    EXPECT_TRUE(root.FindById(L"a")->IsHidden());
    EXPECT_FALSE(root.FindById(L"b")->IsHidden());
    EXPECT_FALSE(root.FindById(L"c")->IsHidden());
    EXPECT_FALSE(root.FindById(L"d")->IsDisabled());
    EXPECT_TRUE(root.FindById(L"d")->IsHidden());
}

TEST_F(ElementTree, IntegerAttributesFallBackToZeroWhenNotNumbers) {
    const char* values[][2] = {{"42", "42"}, {"4x", "0"}, {"", "0"}, {"007", "7"}};
    for (const auto& value : values) {
        CTEVElement tree(nullptr, &engine);
        ASSERT_TRUE(LoadDescriptionText(tree, std::string("<dialog minwidth=\"") + value[0] + "\"/>"));
        SIZE size = {};
        tree.GetMinSize(&size);
        EXPECT_EQ(std::atoi(value[1]), size.cx) << "minwidth=" << value[0];
    }
}

TEST_F(ElementTree, OrientIsAnEnumerationMatchedIgnoringCase) {
    LoadBody(R"(<box id="v" orient="Vertical"/><box id="h" orient="diagonal"/><box id="n"/>)");
    EXPECT_EQ(1, root.FindById(L"v")->Orient());
    EXPECT_EQ(0, root.FindById(L"h")->Orient());
    EXPECT_EQ(0, root.FindById(L"n")->Orient());
}

TEST_F(ElementTree, AbsentIdIsNullAndEmptyIdIsEmpty) {
    LoadBody(R"(<box/><box id=""/>)");
    EXPECT_EQ(nullptr, root.Child(0)->Id());
    ASSERT_NE(nullptr, root.Child(1)->Id());
    EXPECT_STREQ(L"", root.Child(1)->Id());
}

TEST_F(ElementTree, FindByIdAnswersTheFirstMatchDepthFirstIgnoringCase) {
    LoadBody(R"(<box id="outer"><box id="Twin"><box id="twin"/></box></box><box id="TWIN"/>)");
    CTEVElement* outer = root.FindById(L"outer");
    ASSERT_NE(nullptr, outer);
    EXPECT_EQ(outer->Child(0), root.FindById(L"TWIN"));
    EXPECT_EQ(outer, root.FindById(L"OUTER"));
    EXPECT_EQ(nullptr, root.FindById(L"missing"));
    EXPECT_EQ(nullptr, root.FindById(nullptr));
    EXPECT_EQ(nullptr, root.FindByHwnd(nullptr));
    EXPECT_EQ(nullptr, root.FindByControlId(12345));
}

TEST_F(ElementTree, UnknownTagsAreSkippedWithTheirWholeSubtree) {
    LoadBody(R"(<box id="outer"><box id="first"/><gizmo><box id="inner"/></gizmo><!-- note -->
                text<box id="last"/></box>)");
    CTEVElement* outer = root.FindById(L"outer");
    ASSERT_EQ(2u, outer->ChildCount());
    EXPECT_STREQ(L"first", outer->Child(0)->Id());
    EXPECT_STREQ(L"last", outer->Child(1)->Id());
    EXPECT_EQ(nullptr, root.FindById(L"inner"));
}

TEST_F(ElementTree, HiddenAndDisabledAreInheritedAndOwnFlagsCannotClearAnAncestors) {
    LoadBody(R"(<box id="group" hidden="true" disabled="true"><box id="child"/></box><box id="free"/>)");
    CTEVElement* child = root.FindById(L"child");
    EXPECT_TRUE(child->IsHidden());
    EXPECT_TRUE(child->IsDisabled());
    child->SetHidden(FALSE);
    child->SetDisabled(FALSE);
    EXPECT_TRUE(child->IsHidden());
    EXPECT_TRUE(child->IsDisabled());

    root.FindById(L"group")->SetHidden(FALSE);
    EXPECT_FALSE(child->IsHidden());
    EXPECT_TRUE(child->IsDisabled());

    CTEVElement* free = root.FindById(L"free");
    free->SetDisabled(TRUE);
    EXPECT_TRUE(free->IsDisabled());
    EXPECT_FALSE(free->IsHidden());
}

TEST_F(ElementTree, EventsClimbToTheFirstClassThatAnswers) {
    struct Receiver : CTEVElement {
        using CTEVElement::CTEVElement;
        CTEVElement* source = nullptr;
        std::wstring name;
        int FireEvent(CTEVElement* from, const wchar_t* event, WPARAM wParam, LPARAM lParam) override {
            source = from;
            name = event;
            return static_cast<int>(wParam + lParam);
        }
    };
    Receiver receiver(nullptr, &engine);
    ASSERT_TRUE(LoadDescriptionText(receiver, R"(<dialog><box><box id="deep"/></box></dialog>)"));
    CTEVElement* deep = receiver.FindById(L"deep");
    EXPECT_EQ(5, deep->Fire(L"clicked", 2, 3));
    EXPECT_EQ(deep, receiver.source);
    EXPECT_EQ(L"clicked", receiver.name);

    LoadBody(R"(<box id="lonely"/>)");
    EXPECT_EQ(0, root.FindById(L"lonely")->Fire(L"clicked", 1, 1));
}

TEST_F(ElementTree, LocalizedAttributesComeFromTheStringTableWhenALocidMatches) {
    TempDir folder;
    const std::wstring strings = folder.File(L"strings.xml");
    WriteUtf8File(strings, R"(<strings><string id="Greeting" attr="value" loc="Hallo"/></strings>)");
    engine.LoadStrings(strings.c_str());

    WriteUtf8File(
        folder.File(L"d.xml"),
        R"(<dialog><box locid="greeting" value="Hello" other="kept"/><box value="plain"/></dialog>)");
    ASSERT_TRUE(root.LoadDocument(folder.File(L"d.xml").c_str(), L"dialog", nullptr));

    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(folder.File(L"d.xml").c_str());
    ComPtr<IXMLDOMNode> node = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"dialog/box");
    EXPECT_EQ(L"Hallo", root.Child(0)->GetLocalizedAttribute(node.Get(), L"value").value());
    EXPECT_EQ(L"kept", root.Child(0)->GetLocalizedAttribute(node.Get(), L"other").value());
    EXPECT_FALSE(root.Child(0)->GetLocalizedAttribute(node.Get(), L"missing").has_value());
    EXPECT_EQ(L"Hello", root.Child(1)->GetLocalizedAttribute(node.Get(), L"value").value());
}

TEST_F(ElementTree, VeryDeepDescriptionsLoadWithoutExhaustingTheStack) {
    for (int depth : {CTEVElement::kMaxDepth + 40, 30000}) {
        std::string text = "<dialog>";
        for (int i = 0; i < depth; ++i) {
            text += "<box>";
        }
        text += "<box id=\"bottom\"/>";
        for (int i = 0; i < depth; ++i) {
            text += "</box>";
        }
        text += "</dialog>";
        // Whether the parser accepts such depth is its own choice; the tree never grows past the cap.
        CTEVElement tree(nullptr, &engine);
        const BOOL loaded = LoadDescriptionText(tree, text);
        int levels = 0;
        for (CTEVElement* e = &tree; e->ChildCount(); e = e->Child(0)) {
            ++levels;
        }
        EXPECT_EQ(loaded ? CTEVElement::kMaxDepth : 0, levels) << depth;
        EXPECT_EQ(nullptr, tree.FindById(L"bottom"));
        SIZE size = {};
        tree.GetMinSize(&size);
        tree.Arrange(0, 0, 100, 100);
    }
}

TEST_F(ElementTree, SiblingsLoadUpToTheElementBoundAndBeyondItNothingLoads) {
    const auto siblings = [](int count) {
        std::string text = "<dialog>";
        for (int i = 1; i < count; ++i) {
            text += "<box/>";
        }
        return text + "<box id=\"last\"/></dialog>";
    };
    ASSERT_TRUE(LoadDescriptionText(root, siblings(CTEVElement::kMaxElements - 1)));
    EXPECT_EQ(static_cast<size_t>(CTEVElement::kMaxElements - 1), root.ChildCount());
    EXPECT_EQ(root.Child(CTEVElement::kMaxElements - 2), root.FindById(L"last"));

    CTEVElement beyond(nullptr, &engine);
    EXPECT_FALSE(LoadDescriptionText(beyond, siblings(100000)));
    EXPECT_TRUE(beyond.HadTooManyElements());
    EXPECT_EQ(0u, beyond.ChildCount());
}
