// Tab boxes in real dialogs: pages switched by the tab control and the keyboard, laid out in the
// tab control's display area, numbering their own controls, and ending the dialog they sit in.
#include "ControlMeasures.h"
#include "DialogDriver.h"

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
    void Select(int index) {
        HWND tabs = dialog.Get(L"tabs").Window();
        SendMessageW(tabs, TCM_SETCURSEL, index, 0);
        NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(dialog.Hwnd(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
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
    // Runs the steps one after another inside the dialog's loop; answers the dialog's result.
    static INT_PTR RunSteps(TestDialog& d, std::vector<std::function<void()>> steps) {
        for (auto& step : steps) {
            RunSoon(step, 20);
        }
        RunSoon([&d] {
            if (IsWindowVisible(d.Hwnd())) {
                EndDialog(d.Hwnd(), kEndedByScript);
            }
        });
        return d.DoModal(nullptr);
    }
};

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
                                                     },
                                                     [] {}});
    EXPECT_EQ(IDCANCEL, escapedResult);
}
