// Tab boxes in real dialogs: pages switched by the tab control and the keyboard, laid out in the
// tab control's display area, numbering their own controls, and ending the dialog they sit in.
#include "ControlMeasures.h"
#include "DialogDriver.h"
#include "ProjectModel.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const char* const kTabbed = R"(<dialog caption="Tabs"><button id="outer" label="Outer"/>
  <tabbox id="tabs">
    <tabpanel id="p1" label="General"><button id="b1" label="One"/><textbox id="t1"/></tabpanel>
    <tabpanel id="p2" label="Advanced" hidden="true"><box id="big" minwidth="240" minheight="150"/></tabpanel>
    <tabpanel id="p3" label="Finish" hidden="true">
      <button id="ok" label="OK" dlgType="accept"/><button id="cancel" label="Cancel" dlgType="cancel"/>
    </tabpanel>
  </tabbox></dialog>)";

class TabBox : public testing::Test {
protected:
    CTEVEngine engine{GetModuleHandleW(nullptr)};
    TestDialog dialog{engine, kTabbed};

    std::string VisiblePages() {
        std::string shown;
        for (const wchar_t* id : {L"p1", L"p2", L"p3"}) {
            if (IsWindowVisible(dialog.Get(id).Window())) {
                shown += Narrow(id);
            }
        }
        return shown;
    }
    void Select(int index) { SelectTab(dialog, dialog.Get(L"tabs"), index); }
    // As a click on the tab at index does it.
    static void SelectTab(TestDialog& d, CTEVElement& box, int index) {
        HWND tabs = box.Window();
        SendMessageW(tabs, TCM_SETCURSEL, index, 0);
        NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    // As the keyboard delivers it: posted to the focused control, through the modal loop.
    static void PostCtrlKey(UINT key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    }
    static void ReleaseCtrl() {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    // Runs the steps one after another inside the dialog's loop; answers the dialog's result. What a
    // step that ended the dialog left queued is dropped, not run in a later test's dialog.
    static INT_PTR RunSteps(TestDialog& d, std::vector<std::function<void()>> steps) {
        return RunModal(
            "tab box", [&d] { return d.DoModal(nullptr); }, std::move(steps), [&d] { EndIfOpen(d.Hwnd()); });
    }
};

// The demo's Preferences tab box, times times, one under the other: a page of two check boxes, one of
// a check box and a row, one of a row and a check box.
std::string DemoTabBoxes(int times) {
    const std::string demo = ReadBytes(TEV_DEMO_PATH L"\\projects\\demo\\preferences.xml");
    const size_t start = demo.find("<tabbox");
    const std::string box = demo.substr(start, demo.find("</tabbox>") + 9 - start);
    std::string boxes;
    for (int i = 0; i < times; ++i) {
        boxes += box;
    }
    return "<dialog orient=\"vertical\">" + boxes + "</dialog>";
}

bool ShowsWithWindows(CTEVElement& element) {
    for (size_t i = 0; i < element.ChildCount(); ++i) {
        CTEVElement& child = *element.Child(i);
        const bool boxed = child.IsKindOf(L"box", nullptr);
        if ((!boxed && !IsWindowVisible(child.Window())) || !ShowsWithWindows(child)) {
            return false;
        }
    }
    return true;
}

// A page whose window holds what it needs.
bool Fits(CTEVElement& page) {
    RECT client = {};
    GetClientRect(page.Window(), &client);
    const SIZE need = MinSizeOf(page);
    return need.cx <= client.right && need.cy <= client.bottom;
}

} // namespace

TEST_F(TabBox, ExactlyOnePageShowsAndFollowsTheTabsAndCtrlTabOrCtrlPgUp) {
    std::string opened, clicked, afterCtrlTab, afterCtrlPgUp;
    bool focusShown = false, tabStop = false;
    RunSteps(dialog, {[&] {
                          opened = VisiblePages();
                          Select(2);
                          clicked = VisiblePages();
                          Select(0);
                          SetFocus(dialog.Get(L"t1").Window());
                          PostCtrlKey(VK_TAB);
                      },
                      [&] {
                          afterCtrlTab = VisiblePages();
                          focusShown = IsWindowVisible(GetFocus());
                          tabStop = GetWindowLongW(dialog.Get(L"tabs").Window(), GWL_STYLE) & WS_TABSTOP;
                          PostCtrlKey(VK_PRIOR);
                      },
                      [&] {
                          afterCtrlPgUp = VisiblePages();
                          ReleaseCtrl();
                      }});
    EXPECT_EQ("p1", opened);
    EXPECT_EQ("p3", clicked);
    EXPECT_EQ("p2", afterCtrlTab);
    EXPECT_TRUE(focusShown) << "the keyboard stayed in a hidden page";
    EXPECT_EQ("p1", afterCtrlPgUp);
    EXPECT_TRUE(tabStop);
}

TEST_F(TabBox, PagesShareTheDisplayAreaSizedForTheLargestAndNumberTheirOwnControls) {
    RECT pages[3] = {}, display = {}, tabRow = {}, b1 = {};
    SIZE largest = {}, pageMargin = {};
    HWND b1Parent = nullptr, p1Window = nullptr;
    int b1WindowId = 0, darkInFirstTab = 0;
    RunSteps(dialog, {[&] {
                 HWND tabs = dialog.Get(L"tabs").Window();
                 display = dialog.ClientRectOf(L"tabs");
                 SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
                 SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tabRow));
                 // The label "General" shows on screen: no page covers the tabs.
                 RECT onScreen = tabRow;
                 MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&onScreen), 2);
                 SaveScreenshot(dialog.Hwnd(), L"tabbox");
                 WindowDC screen(nullptr);
                 for (int y = onScreen.top + 2; y < onScreen.bottom - 2; ++y) {
                     for (int x = onScreen.left + 2; x < onScreen.right - 2; ++x) {
                         darkInFirstTab += GetGValue(GetPixel(screen.Get(), x, y)) < 96;
                     }
                 }
                 MapWindowPoints(tabs, dialog.Hwnd(), reinterpret_cast<POINT*>(&tabRow), 2);
                 b1 = dialog.ClientRectOf(L"b1");
                 pages[0] = dialog.ClientRectOf(L"p1");
                 pages[1] = dialog.ClientRectOf(L"p2");
                 pages[2] = dialog.ClientRectOf(L"p3");
                 largest = MinSizeOf(dialog.Get(L"p2"));
                 b1Parent = GetParent(dialog.Get(L"b1").Window());
                 p1Window = dialog.Get(L"p1").Window();
                 pageMargin = Dlu(p1Window, 7, 7);
                 b1WindowId = GetDlgCtrlID(dialog.Get(L"b1").Window());
             }});
    for (const RECT& page : pages) {
        EXPECT_EQ(display, page);
    }
    EXPECT_GE(display.top, tabRow.bottom) << "a page lies over the tabs";
    EXPECT_GT(darkInFirstTab, 10);
    const SIZE margin = {b1.left - pages[0].left, b1.top - pages[0].top};
    EXPECT_EQ(pageMargin, margin) << "a page's controls sit at its margins in its own window";
    EXPECT_EQ(largest.cx, display.right - display.left);
    EXPECT_EQ(largest.cy, display.bottom - display.top);
    // The outer button took 101 in the dialog; the page counts anew in its own window.
    EXPECT_EQ(101, dialog.Get(L"outer").ControlId());
    EXPECT_EQ(101, dialog.Get(L"b1").ControlId());
    EXPECT_EQ(101, b1WindowId);
    EXPECT_EQ(p1Window, b1Parent);
}

TEST_F(TabBox, AcceptInsideAPageAndEscapeInsideAPageEndTheWholeDialog) {
    const INT_PTR accepted = RunSteps(dialog, {[&] {
                                          Select(2);
                                          SendMessageW(dialog.Get(L"ok").Window(), BM_CLICK, 0, 0);
                                      }});
    EXPECT_EQ(IDOK, accepted);
    EXPECT_EQ(std::vector<int>{IDOK}, dialog.closeRequests);

    TestDialog escaped(engine, kTabbed);
    const INT_PTR escapedResult = RunSteps(escaped, {[&] {
                                               SetFocus(escaped.Get(L"t1").Window());
                                               PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
                                           }});
    EXPECT_EQ(IDCANCEL, escapedResult);
}

// Every page is made at open while a dialog's pages hold few elements, so the biggest one sizes the
// box from the start; past that the pages not shown wait. The demo's tab box repeated opens with what
// it showed before, and a page is made when its tab is chosen.
TEST_F(TabBox, ManyPagesWaitUntilShownAndShowAsTheyDidBefore) {
    bool fewMadeAtOpen = false;
    RunSteps(dialog, {[&] {
                 const CTEVElement& tabs = *dialog.Child(1);
                 fewMadeAtOpen =
                     tabs.Child(0)->Window() && tabs.Child(1)->Window() && tabs.Child(2)->Window();
             }});
    EXPECT_TRUE(fewMadeAtOpen);

    TestDialog many(engine, DemoTabBoxes(113));
    int windows = 0, firstPagesShown = 0, otherPagesMade = 0;
    std::wstring label;
    bool laterPageShows = false, firstPageHidden = false;
    RunSteps(
        many, {[&] {
            windows = CountWindowsInside(many.Hwnd());
            for (size_t b = 0; b < many.ChildCount(); ++b) {
                CTEVElement& box = *many.Child(b);
                firstPagesShown += IsWindowVisible(box.Child(0)->Window()) && ShowsWithWindows(*box.Child(0));
                otherPagesMade += (box.Child(1)->Window() != nullptr) + (box.Child(2)->Window() != nullptr);
            }
            CTEVElement& last = *many.Child(112);
            label = WindowText(*last.Child(0)->Child(1));
            SelectTab(many, last, 2);
            laterPageShows = IsWindowVisible(last.Child(2)->Window()) && ShowsWithWindows(*last.Child(2));
            firstPageHidden = !IsWindowVisible(last.Child(0)->Window());
        }});
    EXPECT_LE(windows, 113 * 5) << "a tab control with its arrows, a page and its two check boxes per box";
    EXPECT_EQ(113, firstPagesShown);
    EXPECT_EQ(0, otherPagesMade);
    EXPECT_EQ(L"Show the date each photo was taken", label);
    EXPECT_TRUE(laterPageShows);
    EXPECT_TRUE(firstPageHidden);
}

// An element looked up on a page not yet shown is made at once and keeps what it is given; many
// heavy pages cost nothing until then, and the dialog grows for a page larger than the first.
TEST_F(TabBox, AnElementFoundOnAWaitingPageWorksAndALargerPageGrowsTheDialog) {
    std::string pages;
    for (int p = 0; p < 99; ++p) {
        const std::string n = std::to_string(p);
        pages += "<tabpanel id=\"p" + n + "\" label=\"P" + n + "\"><checkbox id=\"c" + n +
                 "\" label=\"C\"/><textbox id=\"t" + n + "\"/>";
        for (int k = 0; k < 58; ++k) {
            pages += "<button label=\"B\"/>";
        }
        pages += "</tabpanel>";
    }
    pages += "<tabpanel label=\"Big\"><box minwidth=\"500\" minheight=\"400\"/></tabpanel>";
    // The menu item's command id is also that of a button on each waiting page, which numbers its own.
    TestDialog heavy(engine, "<dialog><tabbox id=\"tabs\">" + pages +
                                 "</tabbox><menubar><menupopup label=\"M\"><menuitem id=\"item\" "
                                 "label=\"I\"/></menupopup></menubar></dialog>");
    int checked = 0, checkShown = 0, value = 0;
    size_t clicks = 0;
    std::wstring typed;
    bool madeHidden = false, shownWhenChosen = false, bigFits = false;
    const double seconds = SecondsToRun([&] {
        RunSteps(heavy, {[&] {
                     SendMessageW(heavy.Hwnd(), WM_COMMAND, MAKEWPARAM(heavy.Get(L"item").ControlId(), 0), 0);
                     clicks = heavy.events.size();
                     CTEVElement& check = heavy.Get(L"c50");
                     check.SetValue(BST_CHECKED);
                     value = check.GetValue();
                     checked = static_cast<int>(SendMessageW(check.Window(), BM_GETCHECK, 0, 0));
                     heavy.Get(L"t50").SetText(L"typed");
                     typed = heavy.Get(L"t50").GetText();
                     madeHidden = heavy.Child(0)->Child(50)->Window() && !IsWindowVisible(check.Window());
                     SelectTab(heavy, heavy.Get(L"tabs"), 50);
                     shownWhenChosen =
                         IsWindowVisible(check.Window()) && IsWindowVisible(heavy.Get(L"t50").Window());
                     checkShown = static_cast<int>(SendMessageW(check.Window(), BM_GETCHECK, 0, 0));
                     SelectTab(heavy, heavy.Get(L"tabs"), 99);
                     bigFits = Fits(*heavy.Child(0)->Child(99));
                 }});
    });
    EXPECT_LT(seconds, 2.0) << "99 pages of 60 controls";
    EXPECT_EQ(1u, clicks);
    EXPECT_EQ(1, heavy.CountEvents(L"item", L"clicked")) << "the menu's command reaches the menu item";
    EXPECT_EQ(BST_CHECKED, value);
    EXPECT_EQ(BST_CHECKED, checked);
    EXPECT_EQ(L"typed", typed);
    EXPECT_TRUE(madeHidden) << "made for the lookup, but not shown";
    EXPECT_TRUE(shownWhenChosen);
    EXPECT_EQ(BST_CHECKED, checkShown);
    EXPECT_TRUE(bigFits) << "the dialog grows for a page larger than those made before";
}

TEST_F(TabBox, APageWithALocidTakesItsTabLabelFromTheStringTable) {
    CTEVEngine translated{GetModuleHandleW(nullptr)};
    translated.AddString(L"pgGeneral", L"label", L"Allgemein");
    TestDialog d{translated, R"(<dialog><tabbox id="tabs"><tabpanel locid="pgGeneral" label="General"/>
        <tabpanel locid="pgOther" label="Other"/></tabbox></dialog>)"};
    std::wstring labels[2];
    d.Run([&](TestDialog& t) {
        for (int i = 0; i < 2; ++i) {
            wchar_t text[64] = L"";
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(t.Get(L"tabs").Window(), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            labels[i] = text;
        }
    });
    EXPECT_EQ(L"Allgemein", labels[0]);
    EXPECT_EQ(L"Other", labels[1]); // no translation: the description's label
}

TEST(TabLabels, TheDemoWizardsTabLabelsAreStringsOfItsDialogAndTranslated) {
    ProjectModel model;
    ASSERT_EQ(LoadStatus::Loaded, model
                                      .Load(TEV_DEMO_PATH L"\\projects\\demo\\tevproject.xml",
                                            TEV_DEMO_PATH L"\\1031\\demo\\strings.xml", 1031)
                                      .status);
    int tabLabels = 0;
    for (size_t i = 0; i < model.Strings().size(); ++i) {
        const StringItem& item = model.Strings()[i];
        if (item.id.rfind(L"tab", 0) == 0 && item.attr == std::wstring(L"label")) {
            ++tabLabels;
            const std::optional<size_t> dialog = model.FirstDialogOf(i);
            ASSERT_TRUE(dialog) << Narrow(item.id);
            EXPECT_NE(std::wstring::npos, model.Dialogs()[*dialog].path.find(L"wizard.xml"));
            EXPECT_TRUE(item.loc) << Narrow(item.id);
        }
    }
    EXPECT_EQ(3, tabLabels);
}
