// The dialog host: real modal dialogs under the virtual display, opened, measured, routed and
// closed from inside their own message loops.
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include "GdiHandles.h"

#include <algorithm>
#include <functional>

namespace {

class DialogHost : public EngineTest<> {};

} // namespace

TEST_F(DialogHost, OpensAtTheContentsMinimumSizePlusMargins) {
    TestDialog dialog(engine, R"(<dialog caption="Sized"><box minwidth="120" minheight="40"/></dialog>)");
    RECT client = {};
    SIZE margin = {};
    const INT_PTR result = dialog.Run([&](TestDialog& d) {
        GetClientRect(d.Hwnd(), &client);
        margin = Dlu(d.Hwnd(), 7, 7);
        SaveScreenshot(d.Hwnd(), L"dialog-sized");
    });
    EXPECT_EQ(kEndedByScript, result);
    EXPECT_EQ(120 + 2 * margin.cx, client.right);
    EXPECT_EQ(40 + 2 * margin.cy, client.bottom);
}

namespace {

RECT WorkArea() {
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

} // namespace

TEST_F(DialogHost, AFixedWidthSmallerThanTheContentIsKept) {
    TestDialog dialog(engine,
                      R"(<dialog width="50" height="30"><box minwidth="400" minheight="10"/></dialog>)");
    RECT client = {};
    SIZE fixed = {};
    dialog.Run([&](TestDialog& d) {
        GetClientRect(d.Hwnd(), &client);
        fixed = Dlu(d.Hwnd(), 50, 30);
    });
    EXPECT_EQ(fixed.cx, client.right);
    EXPECT_EQ(fixed.cy, client.bottom);
}

TEST_F(DialogHost, ControlIdsCountFromTheDialogInDocumentOrderAndNestedDialogsCountAnew) {
    CTEVDialog dialog(nullptr, &engine, nullptr);
    ASSERT_TRUE(LoadDescriptionText(dialog, R"(<dialog><box id="box"><box id="a"/><box id="b"/></box>
        <dialog id="inner"><box id="c"/></dialog><box id="d"/></dialog>)"));
    EXPECT_EQ(100, dialog.ControlId());
    EXPECT_EQ(101, dialog.FindById(L"box")->ControlId());
    EXPECT_EQ(102, dialog.FindById(L"a")->ControlId());
    EXPECT_EQ(103, dialog.FindById(L"b")->ControlId());
    EXPECT_EQ(100, dialog.FindById(L"inner")->ControlId());
    EXPECT_EQ(101, dialog.FindById(L"c")->ControlId());
    EXPECT_EQ(104, dialog.FindById(L"d")->ControlId());
}

TEST_F(DialogHost, WindowStyleFollowsTheDialogAttributes) {
    struct Case {
        const char* attributes;
        DWORD present;
        DWORD absent;
    };
    const Case cases[] = {
        {"", WS_CAPTION | DS_MODALFRAME | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX},
        {R"(border="RESIZING" minimizeBox="true" maximizeBox="true")",
         WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, DS_MODALFRAME},
        {R"(border="thin" sysMenu="false" clipChildren="true")", WS_CAPTION | WS_CLIPCHILDREN, WS_SYSMENU},
        {R"(border="none" contextHelp="true")", DS_CONTEXTHELP, WS_CAPTION},
        {R"(border="sideways")", WS_CAPTION | DS_MODALFRAME, WS_THICKFRAME},
    };
    for (const Case& c : cases) {
        CTEVDialog dialog(nullptr, &engine, nullptr);
        ASSERT_TRUE(LoadDescriptionText(dialog, std::string("<dialog ") + c.attributes + "/>"));
        EXPECT_EQ(c.present, dialog.Style() & c.present) << c.attributes;
        EXPECT_EQ(0u, dialog.Style() & c.absent) << c.attributes;
        EXPECT_EQ(DWORD(WS_POPUP | WS_VISIBLE | DS_SETFONT),
                  dialog.Style() & (WS_POPUP | WS_VISIBLE | DS_SETFONT));
    }
}

TEST_F(DialogHost, ACaptionOfAnyLengthFitsTheTemplate) {
    const std::string caption(5000, 'x');
    TestDialog dialog(engine, "<dialog caption=\"" + caption + "\"><box minwidth=\"10\"/></dialog>");
    int length = 0;
    EXPECT_EQ(kEndedByScript, dialog.Run([&](TestDialog& d) { length = GetWindowTextLengthW(d.Hwnd()); }));
    EXPECT_EQ(5000, length);
}

TEST_F(DialogHost, ADescriptionThatDoesNotLoadOpensNothing) {
    TestDialog broken(engine, "<dialog><box></dialog>");
    EXPECT_EQ(0, broken.DoModal(nullptr));
    EXPECT_EQ(nullptr, broken.Hwnd());
    TestDialog window(engine, "<window/>");
    EXPECT_EQ(0, window.DoModal(nullptr));
    EXPECT_EQ(nullptr, window.Hwnd());
}

TEST_F(DialogHost, CanCloseDecidesForEnterEscapeAndTheCloseBox) {
    TestDialog dialog(engine, R"(<dialog><box minwidth="50"/></dialog>)");
    dialog.canClose = [](int code) { return code != IDOK; };
    bool openAfterEnter = false;
    const INT_PTR result = dialog.Run([&](TestDialog& d) {
        SendMessageW(d.Hwnd(), WM_COMMAND, IDOK, 0);
        openAfterEnter = IsWindow(d.Hwnd()) && IsWindowVisible(d.Hwnd());
        SendMessageW(d.Hwnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ((std::vector<int>{IDOK, 0}), dialog.closeRequests);
}

TEST_F(DialogHost, EscapeEndsTheDialogWithCancelAndOnDestroyGetsTheOuterSize) {
    TestDialog dialog(engine, R"(<dialog><box minwidth="50"/></dialog>)");
    RECT outer = {};
    const INT_PTR result = dialog.Run([&](TestDialog& d) {
        outer = WindowRectOf(d.Hwnd());
        SendMessageW(d.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(outer.right - outer.left, dialog.destroyedSize.cx);
    EXPECT_EQ(outer.bottom - outer.top, dialog.destroyedSize.cy);
}

TEST_F(DialogHost, CommandsFromWindowsNoElementOwnsReachTheDialogWithANullElement) {
    TestDialog dialog(engine, R"(<dialog><box minwidth="50"/></dialog>)");
    dialog.Run([&](TestDialog& d) {
        HWND stranger = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD, 0, 0, 10, 10, d.Hwnd(),
                                        reinterpret_cast<HMENU>(555), nullptr, nullptr);
        SendMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(555, BN_CLICKED), reinterpret_cast<LPARAM>(stranger));
        NMHDR header = {stranger, 555, NM_CLICK};
        SendMessageW(d.Hwnd(), WM_NOTIFY, 555, reinterpret_cast<LPARAM>(&header));
    });
    EXPECT_EQ((std::vector<CTEVElement*>{nullptr, nullptr}), dialog.filteredElements);
    EXPECT_EQ((std::vector<CTEVElement*>{nullptr}), dialog.commandElements);
}

TEST_F(DialogHost, TheDefaultButtonComesFromTheHookWhenNoneWasSet) {
    TestDialog dialog(engine, R"(<dialog><box id="notButton" minwidth="50"/></dialog>)");
    LRESULT withHook = 0;
    LRESULT withoutHook = 0;
    dialog.Run([&](TestDialog& d) {
        d.SetDefaultButton(L"notButton");
        d.defaultButton = d.FindById(L"notButton");
        withHook = SendMessageW(d.Hwnd(), DM_GETDEFID, 0, 0);
        d.defaultButton = nullptr;
        withoutHook = SendMessageW(d.Hwnd(), DM_GETDEFID, 0, 0);
    });
    EXPECT_EQ(MAKELONG(dialog.FindById(L"notButton")->ControlId(), DC_HASDEFID), withHook);
    EXPECT_NE(MAKELONG(dialog.FindById(L"notButton")->ControlId(), DC_HASDEFID), withoutHook);
}

TEST_F(DialogHost, AResizableDialogNeverShrinksBelowItsOpeningSize) {
    TestDialog dialog(engine, R"(<dialog border="resizing"><box minwidth="200" minheight="100"/></dialog>)");
    RECT left = {};
    RECT bottomRight = {};
    SIZE minimum = {};
    int arrangedOnResize = 0;
    dialog.Run([&](TestDialog& d) {
        minimum = d.MinimumOuterSize();
        const RECT outer = WindowRectOf(d.Hwnd());
        left = {outer.left + 150, outer.top, outer.right, outer.bottom};
        SendMessageW(d.Hwnd(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&left));
        bottomRight = {outer.left, outer.top, outer.left + 10, outer.top + 10};
        SendMessageW(d.Hwnd(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&bottomRight));
        const int before = d.arrangeCount;
        SetWindowPos(d.Hwnd(), nullptr, 0, 0, minimum.cx + 40, minimum.cy + 40, SWP_NOMOVE | SWP_NOZORDER);
        arrangedOnResize = d.arrangeCount - before;
    });
    EXPECT_EQ(minimum.cx, left.right - left.left);
    EXPECT_EQ(minimum.cy, left.bottom - left.top);
    EXPECT_EQ(minimum.cx, bottomRight.right - bottomRight.left);
    EXPECT_EQ(minimum.cy, bottomRight.bottom - bottomRight.top);
    EXPECT_GT(arrangedOnResize, 0);
}

TEST_F(DialogHost, FixedFramesDoNotRearrangeOnResize) {
    for (const char* border : {"thin", "dialogFrame"}) {
        TestDialog dialog(engine,
                          std::string("<dialog border=\"") + border + "\"><box minwidth=\"50\"/></dialog>");
        int arranged = -1;
        RECT sizing = {0, 0, 1, 1};
        dialog.Run([&](TestDialog& d) {
            const int before = d.arrangeCount;
            SetWindowPos(d.Hwnd(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
            SendMessageW(d.Hwnd(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&sizing));
            arranged = d.arrangeCount - before;
        });
        EXPECT_EQ(0, arranged) << border;
        EXPECT_EQ((RECT{0, 0, 1, 1}), sizing) << border;
    }
}

TEST_F(DialogHost, ADialogOverAParentAtTheRightEdgeIsMovedBackInside) {
    const RECT work = WorkArea();
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, work.right - 60,
                                 work.top + 40, 50, 50, nullptr, nullptr, nullptr, nullptr);
    TestDialog dialog(engine, R"(<dialog><box minwidth="300" minheight="100"/></dialog>)");
    RECT placed = {};
    dialog.Run([&](TestDialog& d) { placed = WindowRectOf(d.Hwnd()); }, owner);
    DestroyWindow(owner);
    EXPECT_EQ(work.right, placed.right);
    EXPECT_EQ(work.top + 40, placed.top);
}

TEST_F(DialogHost, CenterScreenCentresOnTheWorkArea) {
    const RECT work = WorkArea();
    TestDialog dialog(engine,
                      R"(<dialog centerScreen="true"><box minwidth="300" minheight="100"/></dialog>)");
    RECT placed = {};
    dialog.Run([&](TestDialog& d) { placed = WindowRectOf(d.Hwnd()); });
    const int width = placed.right - placed.left;
    EXPECT_EQ(work.left + (work.right - work.left) / 2 - width / 2, placed.left);
}

TEST_F(DialogHost, AResizableDialogShrinksToItsContentNotToTheSizeItOpenedWith) {
    TestDialog dialog(engine, R"(<dialog border="resizing" width="300" height="200">
        <box minwidth="50" minheight="20"/></dialog>)");
    RECT opened = {};
    RECT client = {};
    RECT dragged = {};
    SIZE margin = {};
    dialog.Run([&](TestDialog& d) {
        opened = WindowRectOf(d.Hwnd());
        GetClientRect(d.Hwnd(), &client);
        margin = Dlu(d.Hwnd(), 7, 7);
        dragged = {opened.left, opened.top, opened.left + 10, opened.top + 10};
        SendMessageW(d.Hwnd(), WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
    });
    const SIZE frame = {opened.right - opened.left - client.right,
                        opened.bottom - opened.top - client.bottom};
    EXPECT_EQ(frame.cx + 50 + 2 * margin.cx, dragged.right - dragged.left);
    EXPECT_EQ(frame.cy + 20 + 2 * margin.cy, dragged.bottom - dragged.top);
}

TEST_F(DialogHost, WindowsLargerThanTheScreenOpenInsideTheWorkArea) {
    const RECT work = WorkArea();
    // Resizable: brought to the work area's size; fixed (a preview): its left part shows.
    TestDialog resizable(engine, R"(<dialog border="resizing" centerScreen="true">
        <box minwidth="5000" minheight="5000"/></dialog>)");
    RECT placed = {};
    SIZE minimum = {};
    resizable.Run([&](TestDialog& d) {
        placed = WindowRectOf(d.Hwnd());
        minimum = d.MinimumOuterSize();
    });
    EXPECT_EQ(work, placed);
    EXPECT_EQ((SIZE{work.right - work.left, work.bottom - work.top}), minimum);

    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, work.left + 100,
                                 work.top + 40, 50, 50, nullptr, nullptr, nullptr, nullptr);
    TestDialog preview(engine,
                       R"(<dialog centerScreen="true"><box minwidth="5000" minheight="100"/></dialog>)");
    preview.Run([&](TestDialog& d) { placed = WindowRectOf(d.Hwnd()); }, owner);
    DestroyWindow(owner);
    EXPECT_EQ(work.left, placed.left);
    EXPECT_GE(placed.top, work.top);
    EXPECT_LE(placed.bottom, work.bottom);
}

namespace {

// The columns from the first to the last blue (link text) pixel within area, or 0 without any.
int InkWidth(const RECT& area, const std::function<COLORREF(int, int)>& colourAt) {
    int first = area.right;
    int last = area.left - 1;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF colour = colourAt(x, y);
            if (GetBValue(colour) > 128 && GetRValue(colour) < 128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return std::max(0, last - first + 1);
}

// The ink width of text in the message font, drawn with nothing to clip it.
int UnclippedInkWidth(const wchar_t* text) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = 504;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    GdiObject<HFONT> font(CreateFontIndirectW(&metrics.lfMessageFont));
    WindowDC screen(nullptr);
    MemoryDC dc(screen.Get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), 400, 60));
    SelectedObject selectedBitmap(dc.Get(), bitmap.Get());
    SelectedObject selectedFont(dc.Get(), font.Get());
    RECT area = {0, 0, 400, 60};
    FillRect(dc.Get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc.Get(), RGB(0, 0, 255));
    RECT at = {20, 0, 21, 60};
    DrawTextW(dc.Get(), text, -1, &at, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
    return InkWidth(area, [&](int x, int y) { return GetPixel(dc.Get(), x, y); });
}

} // namespace

TEST_F(DialogHost, SeparatorLinesAndLinksPaintTheirWholeCells) {
    TestDialog dialog(engine, R"x(<dialog orient="vertical" clipChildren="true"><box minwidth="300"/>
        <line id="line" type="EtchedHorz" hFlex="1"/><url id="wide" text="(show translated)" url=":notify:"/>
        <box orient="horizontal" hFlex="1"><url id="narrow" text="(show translated)" url=":notify:"/>
        <box hFlex="1"/></box></dialog>)x");
    Screenshot shot;
    RECT line = {};
    RECT wide = {};
    RECT narrow = {};
    dialog.Run([&](TestDialog& d) {
        UpdateWindow(d.Hwnd());
        line = WindowRectOf(d.FindById(L"line")->Window());
        wide = WindowRectOf(d.FindById(L"wide")->Window());
        narrow = WindowRectOf(d.FindById(L"narrow")->Window());
        shot = SaveScreenshot(d.Hwnd(), L"dialog-line-link");
    });
    const int x = (line.left + line.right) / 2;
    for (int y = line.top - 3; y < line.bottom + 3; ++y) {
        EXPECT_NE(RGB(0, 0, 0), shot.At({x, y})) << "row " << y - line.top;
    }
    // Links in a cell of their own measure or a wider one show their whole text, ")" included.
    const int whole = UnclippedInkWidth(L"(show translated)");
    auto onScreen = [&shot](int column, int row) { return shot.At({column, row}); };
    EXPECT_GT(whole, 0);
    EXPECT_EQ(whole, InkWidth(wide, onScreen));
    EXPECT_EQ(whole, InkWidth(narrow, onScreen));
}

namespace {

std::string Repeated(int times, const std::string& open, const std::string& close, const std::string& inner) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += open;
    }
    text += inner;
    for (int i = 0; i < times; ++i) {
        text += close;
    }
    return text;
}

} // namespace

TEST_F(DialogHost, HostileDescriptionsOpenQuicklyWithWhatTheSystemCanShow) {
    std::string pages;
    for (int i = 0; i < 300; ++i) {
        pages += "<tabpanel id=\"p" + std::to_string(i) + "\" label=\"Page\"><button label=\"B\"/></tabpanel>";
    }
    struct Case {
        const char* name;
        std::string description;
        const wchar_t* shown;  // made with a window
        const wchar_t* absent; // made without one, or null
        int tabs;              // of the tab box "tabs", if any
    };
    const Case cases[] = {
        // Wrapping took a second per ten thousand characters, and the dialog is measured several times.
        {"long wrapped label",
         "<dialog><label id=\"l\" multiline=\"true\" value=\"" + std::string(100000, 'W') + "\"/></dialog>", L"l",
         nullptr, 0},
        // Each nested window level cost more than the last; Windows stops at about fifty anyway.
        {"nested pages",
         "<dialog><tabbox>" + Repeated(80, "<tabpanel label=\"P\">", "</tabpanel>", "<button id=\"deep\"/>") +
             "</tabbox><button id=\"near\"/></dialog>",
         L"near", L"deep", 0},
        // Each tab added measured every tab before it.
        {"many tabs", "<dialog><tabbox id=\"tabs\">" + pages + "</tabbox></dialog>", L"p99", L"p100", 100},
    };
    for (const Case& c : cases) {
        TestDialog dialog(engine, c.description);
        HWND shown = nullptr, absent = nullptr;
        int tabs = 0;
        const double seconds = SecondsToRun([&] {
            dialog.Run([&](TestDialog& d) {
                shown = d.Get(c.shown).Window();
                absent = c.absent ? d.Get(c.absent).Window() : nullptr;
                const CTEVElement* tabBox = d.FindById(L"tabs");
                tabs = tabBox ? static_cast<int>(SendMessageW(tabBox->Window(), TCM_GETITEMCOUNT, 0, 0)) : 0;
            });
        });
        EXPECT_LT(seconds, 3.0) << c.name;
        EXPECT_NE(nullptr, shown) << c.name;
        EXPECT_EQ(nullptr, absent) << c.name;
        EXPECT_EQ(c.tabs, tabs) << c.name;
    }
}
