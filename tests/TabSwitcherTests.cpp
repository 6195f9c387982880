// The tab switcher in real dialogs: switching by command, button, key and click with the page
// events in order, descriptions with no or several selected tabs, layout, icons and hover.
#include "CMyTEVEngine.h"
#include "CTEVTab.h"
#include "CTEVTabSwitcher.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"
#include "PictureFiles.h"

#include <gtest/gtest.h>

namespace {

// The page events since the last call, as "tab:event".
std::vector<std::wstring> TakeTabEvents(TestDialog& d) {
    std::vector<std::wstring> taken;
    for (const auto& e : d.events) {
        if (e.name.rfind(L"tab-", 0) == 0) {
            taken.push_back(e.source + L":" + e.name);
        }
    }
    d.events.clear();
    return taken;
}

std::vector<std::wstring> VisibleOf(TestDialog& d, std::initializer_list<const wchar_t*> ids) {
    std::vector<std::wstring> visible;
    for (const wchar_t* id : ids) {
        if (IsWindowVisible(d.Get(id).Window())) {
            visible.push_back(id);
        }
    }
    return visible;
}

POINT CentreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

COLORREF RepaintedPixel(HWND window, POINT at) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    WindowDC dc(window);
    return GetPixel(dc.Get(), at.x, at.y);
}

class TabSwitcher : public testing::Test {
protected:
    CTEVEngine engine{GetModuleHandleW(nullptr)};
};

} // namespace

TEST_F(TabSwitcher, SwitchesByCommandsButtonsKeysAndClicksWithEventsInOrder) {
    TestDialog dialog(engine, R"(<dialog orient="vertical"><tabswitcher id="sw">
        <tab id="one" label="One" value="1"><button id="b1" label="A"/></tab>
        <tab id="two" label="Two" value="2" selected="true"><button id="b2" label="B"/></tab>
        <tab id="three" label="Three" value="3"><button id="b3" label="C"/></tab></tabswitcher>
        <hbox><button id="back" label="Back"><sendcmd sendto="sw" cmd="back"/></button>
        <button id="next" label="Next"><sendcmd sendto="sw" cmd="next"/></button></hbox></dialog>)");
    dialog.Run([](TestDialog& d) {
        using Events = std::vector<std::wstring>;
        CTEVElement& sw = d.Get(L"sw");
        EXPECT_EQ((Events{L"two:tab-init", L"two:tab-activate"}), TakeTabEvents(d));
        EXPECT_EQ(Events{L"b2"}, VisibleOf(d, {L"b1", L"b2", L"b3"}));

        sw.DoCommand(L"NEXT");
        EXPECT_EQ((Events{L"two:tab-deactivate", L"three:tab-init", L"three:tab-activate"}),
                  TakeTabEvents(d));
        EXPECT_EQ(3, sw.GetValue());
        EXPECT_STREQ(L"three", sw.GetText());
        d.Click(L"next"); // no wrap-around
        d.Click(L"back");
        EXPECT_EQ((Events{L"three:tab-deactivate", L"two:tab-activate"}), TakeTabEvents(d));
        EXPECT_EQ(Events{L"b2"}, VisibleOf(d, {L"b1", L"b2", L"b3"}));

        HWND list = sw.Window();
        EXPECT_EQ(DLGC_WANTARROWS, SendMessageW(list, WM_GETDLGCODE, 0, 0));
        SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
        SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
        EXPECT_STREQ(L"one", sw.GetText());
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_STREQ(L"two", sw.GetText());

        const POINT third = CentreOf(d.FindAs<CTEVTab>(L"three")->ItemRect());
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(third.x, third.y));
        EXPECT_STREQ(L"three", sw.GetText());
        EXPECT_EQ(list, GetFocus());
        EXPECT_EQ((Events{L"two:tab-deactivate", L"one:tab-init", L"one:tab-activate", L"one:tab-deactivate",
                          L"two:tab-activate", L"two:tab-deactivate", L"three:tab-activate"}),
                  TakeTabEvents(d));

        sw.SetText(L"ONE"); // ids match case-sensitively here
        sw.SetValue(99);
        EXPECT_STREQ(L"three", sw.GetText());
        sw.SetValue(1);
        EXPECT_EQ(Events{L"b1"}, VisibleOf(d, {L"b1", L"b2", L"b3"}));
    });
}

TEST_F(TabSwitcher, ListShowsItsFocusOnlyWhileTheKeyboardCuesShow) {
    TestDialog dialog(engine, R"(<dialog><button id="before" label="Before"/><tabswitcher id="sw">
        <tab id="one" label="One" selected="true"><button id="b1" label="A"/></tab>
        <tab id="two" label="Two"><button id="b2" label="B"/></tab></tabswitcher></dialog>)");
    dialog.Run([](TestDialog& d) {
        HWND list = d.Get(L"sw").Window();
        SendMessageW(list, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        const std::vector<COLORREF> unfocused = ClientPixels(list);
        SendMessageW(d.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
        EXPECT_NE(unfocused, ClientPixels(list));
        SendMessageW(list, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        EXPECT_EQ(unfocused, ClientPixels(list));
    });
}

TEST_F(TabSwitcher, CopesWithNoOrSeveralSelectedTabs) {
    TestDialog dialog(engine, R"(<dialog><tabswitcher id="none">
        <tab id="a" label="A"><button id="ba" label="x"/></tab><tab id="b" label="B"><button id="bb"/></tab>
        </tabswitcher><tabswitcher id="many"><tab id="m1" selected="true"><button id="bm1"/></tab>
        <tab id="m2"><button id="bm2"/></tab><tab id="m3" selected="true"><button id="bm3"/></tab>
        </tabswitcher></dialog>)");
    dialog.Run([](TestDialog& d) {
        using Events = std::vector<std::wstring>;
        EXPECT_EQ((Events{L"m1:tab-init", L"m1:tab-activate"}), TakeTabEvents(d));
        EXPECT_EQ(Events{L"bm1"}, VisibleOf(d, {L"ba", L"bb", L"bm1", L"bm2", L"bm3"}));

        auto& none = *d.FindAs<CTEVTabSwitcher>(L"none");
        const POINT edgeOfA = {3, CentreOf(d.FindAs<CTEVTab>(L"a")->ItemRect()).y};
        const COLORREF window = GetSysColor(COLOR_WINDOW);
        EXPECT_EQ(window, RepaintedPixel(none.Window(), edgeOfA));
        EXPECT_EQ(window, RepaintedPixel(none.CaptionWindow(), {3, 3}));
        EXPECT_EQ(-1, none.GetValue());
        EXPECT_EQ(nullptr, none.GetText());
        none.DoCommand(L"back");
        none.DoCommand(L"help");
        SendMessageW(none.Window(), WM_KEYDOWN, VK_UP, 0);
        none.SetValue(5);
        EXPECT_TRUE(TakeTabEvents(d).empty());

        none.DoCommand(L"next");
        EXPECT_STREQ(L"a", none.GetText());
        EXPECT_NE(window, RepaintedPixel(none.Window(), edgeOfA));
        none.SetText(L"b"); // both tabs have the value 0
        EXPECT_STREQ(L"b", none.GetText());

        d.Get(L"many").DoCommand(L"next");
        EXPECT_EQ(Events{L"bm2"}, VisibleOf(d, {L"bm1", L"bm2", L"bm3"}));
    });
}

TEST_F(TabSwitcher, PlacesPagesBesideTheListAndBelowTheCaption) {
    TestDialog dialog(engine, R"(<dialog><hbox><tabswitcher id="sw"><tab label="Page" selected="true">
        <button id="b" label="Button" width="80"/></tab></tabswitcher>
        <tabswitcher id="bare" showSwitcher="false" showCaption="false"><tab selected="true">
        <button id="c" label="C"/></tab></tabswitcher>
        <tabswitcher id="top" imageAlign="TOP" imageSize="30"><tab label="W"/></tabswitcher></hbox></dialog>)");
    dialog.Run([](TestDialog& d) {
        auto& sw = *d.FindAs<CTEVTabSwitcher>(L"sw");
        const SIZE gaps = Dlu(d.Hwnd(), 10, 7);
        const int captionHeight = Dlu(d.Hwnd(), 0, 20).cy;
        const RECT list = d.ClientRectOf(L"sw");
        const RECT page = d.ClientRectOf(L"b");
        const int listWidth = TextExtent(d.Hwnd(), L"Page").cx + 16 + 22 + 2;
        EXPECT_EQ(listWidth, list.right - list.left);
        EXPECT_EQ(list.right + gaps.cx, page.left);
        EXPECT_EQ(list.top + captionHeight + gaps.cy, page.top);
        RECT caption = {};
        GetWindowRect(sw.CaptionWindow(), &caption);
        MapWindowPoints(nullptr, d.Hwnd(), reinterpret_cast<POINT*>(&caption), 2);
        EXPECT_EQ((RECT{page.left, list.top, page.right, list.top + captionHeight}), caption);

        const SIZE button = MinSizeOf(d.Get(L"b"));
        EXPECT_EQ((SIZE{listWidth + gaps.cx + button.cx,
                        std::max<LONG>(list.bottom - list.top, button.cy + gaps.cy + captionHeight)}),
                  MinSizeOf(sw));

        EXPECT_EQ(nullptr, d.Get(L"bare").Window());
        const RECT bare = d.ClientRectOf(L"c");
        EXPECT_EQ(list.left + MinSizeOf(sw).cx + Dlu(d.Hwnd(), 4, 0).cx, bare.left);
        EXPECT_EQ(list.top, bare.top);

        const RECT top = d.ClientRectOf(L"top");
        EXPECT_EQ(50 + 2, top.right - top.left);
    });
}

TEST_F(TabSwitcher, DrawsIconsFromThePreviewImagesAndEndsHoverWithItsWindow) {
    TempDir project;
    CreateDirectoryW(project.File(L"images").c_str(), nullptr);
    BmpLayout red;
    red.width = red.height = 2;
    red.bits = PackBitmapRows(2, 2, 24, [](int, int) { return 0xFF0000u; });
    WriteBytesFile(project.File(L"images\\icon.bmp"), EncodeBmp(red));
    CMyTEVEngine preview(project.File(L"tevproject.xml").c_str(), GetModuleHandleW(nullptr));

    TestDialog dialog(preview, R"(<dialog><tabswitcher id="sw">
        <tab id="one" label="Welcome" caption="Welcome to the wizard" icon="icon.bmp" selected="true">
        <label value="First page"/></tab><tab id="two" label="Options" icon="icon.bmp"/>
        <tab id="three" label="Finish"/></tabswitcher></dialog>)");
    auto* sw = static_cast<CTEVTabSwitcher*>(nullptr);
    dialog.Run([&](TestDialog& d) {
        sw = d.FindAs<CTEVTabSwitcher>(L"sw");
        const RECT second = d.FindAs<CTEVTab>(L"two")->ItemRect();
        const POINT icon = {second.left + 4 + 8, CentreOf(second).y};
        EXPECT_TRUE(ColourNear(RGB(255, 0, 0), RepaintedPixel(sw->Window(), icon), 8));
        EXPECT_TRUE(SaveScreenshot(d.Hwnd(), L"tabswitcher").written);

        // Hovering an item starts the timer; with the cursor away the timer ends the hover.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        const POINT centre = CentreOf(second);
        SendMessageW(sw->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        EXPECT_TRUE(d.FindAs<CTEVTab>(L"two")->IsHot());
        EXPECT_TRUE(sw->IsTrackingHover());
        const DWORD until = GetTickCount() + 300;
        MSG msg;
        while (sw->IsTrackingHover() && GetTickCount() < until) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            Sleep(10);
        }
        EXPECT_FALSE(sw->IsTrackingHover());
        EXPECT_FALSE(d.FindAs<CTEVTab>(L"two")->IsHot());
        SendMessageW(sw->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    });
    ASSERT_NE(nullptr, sw);
    EXPECT_FALSE(sw->IsTrackingHover());
}

// Past what a dialog makes at open, a tab's page is made when the tab is first chosen or an element on
// it is looked up; the list, far taller than the screen, paints only what can be seen of it.
TEST_F(TabSwitcher, ManyTabsMakeTheirPagesWhenFirstShownAndTheListPaintsWhatShows) {
    std::string tabs;
    for (int i = 0; i < 1001; ++i) {
        const std::string n = std::to_string(i);
        tabs += "<tab id=\"p" + n + "\" label=\"Page " + n + "\" value=\"" + n + "\"" +
                (i == 0 ? " selected=\"true\"" : "") + "><label id=\"l" + n + "\" value=\"Text " + n +
                "\"/></tab>";
    }
    TestDialog dialog(engine, "<dialog><tabswitcher id=\"sw\">" + tabs + "</tabswitcher></dialog>");
    int windows = 0;
    double painting = 0;
    bool foundMadeHidden = false, chosenShows = false;
    std::wstring text;
    std::vector<std::wstring> events;
    const double opening = SecondsToRun([&] {
        dialog.Run([&](TestDialog& d) {
            windows = CountWindowsInside(d.Hwnd());
            HWND list = d.Get(L"sw").Window();
            painting = SecondsToRun([&] {
                for (int k = 0; k < 40; ++k) {
                    InvalidateRect(list, nullptr, FALSE);
                    UpdateWindow(list);
                }
            });
            d.events.clear();
            CTEVElement& found = d.Get(L"l500");
            foundMadeHidden = found.Window() && !IsWindowVisible(found.Window());
            text = WindowText(found);
            d.Get(L"sw").SetValue(500);
            chosenShows = IsWindowVisible(found.Window()) && !IsWindowVisible(d.Get(L"l0").Window());
            events = TakeTabEvents(d);
        });
    });
    EXPECT_LT(opening, 1.0);
    EXPECT_LE(windows, 3) << "the list, the caption bar and the first page's label";
    EXPECT_LT(painting, 0.25) << "40 paints of a list of 1001 items";
    EXPECT_TRUE(foundMadeHidden);
    EXPECT_EQ(L"Text 500", text);
    EXPECT_TRUE(chosenShows);
    EXPECT_EQ((std::vector<std::wstring>{L"p0:tab-deactivate", L"p500:tab-init", L"p500:tab-activate"}),
              events);
}
