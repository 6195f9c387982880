// The translator's own three windows, run from their embedded descriptions: every element of
// the description exists, every control has its window, and no two controls overlap.
#include "DialogDriver.h"
#include "XmlDom.h"

#include <gtest/gtest.h>

namespace {

int CountXmlElements(IXMLDOMNode* node) {
    int count = xml::IsElement(node) ? 1 : 0;
    for (ComPtr<IXMLDOMNode> child = xml::FirstChild(node); child; child = xml::NextSibling(child.Get())) {
        count += CountXmlElements(child.Get());
    }
    return count;
}

int CountDescriptionElements(const wchar_t* resourceName) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(instance, resourceName, L"TEVLIB");
    const auto* text = static_cast<const wchar_t*>(LockResource(LoadResource(instance, resource)));
    std::wstring description(text + 1, SizeofResource(instance, resource) / 2 - 1); // past the mark
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    EXPECT_TRUE(xml::LoadText(document.Get(), description.c_str()));
    return CountXmlElements(xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"dialog").Get());
}

int CountTree(CTEVElement& element) {
    int count = 1;
    for (size_t i = 0; i < element.ChildCount(); ++i) {
        count += CountTree(*element.Child(i));
    }
    return count;
}

void CollectVisibleControls(CTEVElement& element, HWND dialog,
                            std::vector<std::pair<std::wstring, RECT>>& out) {
    for (size_t i = 0; i < element.ChildCount(); ++i) {
        CTEVElement& child = *element.Child(i);
        if (child.Window() && IsWindowVisible(child.Window())) {
            RECT rect = {};
            GetWindowRect(child.Window(), &rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            out.push_back({child.Id() ? child.Id() : L"(no id)", rect});
        }
        CollectVisibleControls(child, dialog, out);
    }
}

struct WindowCase {
    const wchar_t* source;
    const wchar_t* resource;
    const wchar_t* screenshot;
    std::vector<const wchar_t*> ids;
};

class TranslatorWindows : public testing::TestWithParam<WindowCase> {};

} // namespace

TEST_P(TranslatorWindows, OpenCompleteAndLaidOutWithoutOverlap) {
    const WindowCase& window = GetParam();
    CTEVEngine engine(GetModuleHandleW(nullptr));
    TestDialog dialog(engine, window.source);
    std::vector<std::pair<std::wstring, RECT>> controls;
    RECT client = {};
    ASSERT_EQ(kEndedByScript, dialog.Run([&](TestDialog& d) {
        GetClientRect(d.Hwnd(), &client);
        CollectVisibleControls(d, d.Hwnd(), controls);
        SaveScreenshot(d.Hwnd(), window.screenshot);
    }));

    EXPECT_EQ(CountDescriptionElements(window.resource), CountTree(dialog));
    for (const wchar_t* id : window.ids) {
        CTEVElement* element = dialog.FindById(id);
        ASSERT_NE(nullptr, element) << Narrow(id);
    }
    ASSERT_GT(controls.size(), 5u);
    for (size_t a = 0; a < controls.size(); ++a) {
        const RECT& ra = controls[a].second;
        EXPECT_GT(ra.right, ra.left) << Narrow(controls[a].first);
        EXPECT_GE(ra.left, 0) << Narrow(controls[a].first);
        EXPECT_LE(ra.right, client.right) << Narrow(controls[a].first);
        EXPECT_LE(ra.bottom, client.bottom) << Narrow(controls[a].first);
        for (size_t b = a + 1; b < controls.size(); ++b) {
            RECT overlap = {};
            EXPECT_FALSE(IntersectRect(&overlap, &ra, &controls[b].second))
                << Narrow(controls[a].first) << " overlaps " << Narrow(controls[b].first);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Embedded, TranslatorWindows,
    testing::Values(WindowCase{L"res:main.xml",
                               L"MAIN.XML",
                               L"window-main",
                               {L"btnOpen", L"btnSave", L"btnTranslate", L"btnImport", L"import", L"find",
                                L"prevDlg", L"nextDlg", L"dialog", L"testDlg", L"showOriginal", L"lstStrings",
                                L"strID", L"dlgName", L"urlTranslated", L"urlOriginal"}},
                    WindowCase{L"res:open.xml", L"OPEN.XML", L"window-open", {L"lstProjects", L"lang"}},
                    WindowCase{L"res:replace.xml",
                               L"REPLACE.XML",
                               L"window-replace",
                               {L"findWhat", L"replaceWith", L"matchCase", L"wholeWords", L"lstChanges",
                                L"btnReplaceAll", L"btnClose"}},
                    WindowCase{L"res:translate.xml",
                               L"TRANSLATE.XML",
                               L"window-translate",
                               {L"strID", L"dlgName", L"srcString", L"dstString", L"skipTranslated",
                                L"btnSave", L"btnSkip", L"btnClose"}}));
