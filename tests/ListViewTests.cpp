// The list view and the checks list: real list-view controls in real dialogs, filled, read,
// clicked and resized as the application and the user would.
#include "CTEVChecksList.h"
#include "CTEVList.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

int ColumnWidth(CTEVList& list, int column) {
    return static_cast<int>(SendMessageW(list.Window(), LVM_GETCOLUMNWIDTH, column, 0));
}

LRESULT ListMessage(CTEVList& list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(list.Window(), message, wParam, lParam);
}

int FocusedRow(CTEVList& list) {
    return static_cast<int>(ListMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

RECT RowBounds(CTEVList& list, int row) {
    RECT bounds = {LVIR_BOUNDS};
    ListMessage(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    return bounds;
}

// Clicks the middle of a row's label, with MK_SHIFT or MK_CONTROL in keys as the user holds them.
void ClickRow(CTEVList& list, int row, WPARAM keys = 0) {
    RECT label = {LVIR_LABEL};
    ListMessage(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
    const LPARAM point = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    ListMessage(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, point);
    ListMessage(list, WM_LBUTTONUP, keys, point);
}

// The row LVM_FINDITEMW answers for a search from start on.
int FindRow(CTEVList& list, int start, UINT flags, const wchar_t* text, LPARAM param = 0) {
    LVFINDINFOW find = {};
    find.flags = flags;
    find.psz = text;
    find.lParam = param;
    return static_cast<int>(ListMessage(list, LVM_FINDITEMW, start, reinterpret_cast<LPARAM>(&find)));
}

void FillNumbered(CTEVList& list, int rows, const wchar_t* second) {
    for (int row = 0; row < rows; ++row) {
        list.InsertItem(FormatText(L"row %d", row).c_str(), 1000 + row, -1);
        list.SetItemText(row, 1, FormatText(L"%s %d", second, row).c_str());
    }
}

int ClientWidth(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client.right;
}

// Widens the dialog window by dx pixels, which re-arranges a resizable dialog.
void Widen(TestDialog& dialog, int dx) {
    RECT outer = {};
    GetWindowRect(dialog.Hwnd(), &outer);
    SetWindowPos(dialog.Hwnd(), nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

int WWidth() {
    return TextExtent(nullptr, L"W").cx;
}

const char* const kReportList = R"(<dialog border="resizing">
  <list id="strings" view="report" SingleSelection="false" hFlex="1" vFlex="1">
    <listcol caption="Original" flex="1"/><listcol caption="Translated" flex="1"/>
  </list></dialog>)";

class ListView : public EngineTest<> {
protected:
    // Runs script on the report list "strings" of a resizable dialog.
    void RunReportList(std::function<void(TestDialog&, CTEVList&)> script) {
        RunDialog(kReportList, [&](TestDialog& d) { script(d, d.As<CTEVList>(L"strings")); });
    }
};

} // namespace

TEST_F(ListView, RowsAreAppendedWithTheirParamsAndTexts) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        EXPECT_EQ(0, list.GetItemCount());
        EXPECT_EQ(-1, list.GetItemParam(0));
        EXPECT_EQ(0, list.InsertItem(L"first", 10, -1));
        EXPECT_EQ(1, list.InsertItem(L"second", -7, -1));
        EXPECT_EQ(2, list.InsertItem(nullptr, 0x7FFFFFFF, -1));
        list.SetItemText(1, 1, L"zweite");
        list.SetItemText(0, 1, nullptr);

        EXPECT_EQ(3, list.GetItemCount());
        EXPECT_EQ(10, list.GetItemParam(0));
        EXPECT_EQ(-7, list.GetItemParam(1));
        EXPECT_EQ(0x7FFFFFFF, list.GetItemParam(2));
        EXPECT_EQ(-1, list.GetItemParam(3));
        EXPECT_EQ(L"second", CellText(list.Window(), 1, 0));
        EXPECT_EQ(L"zweite", CellText(list.Window(), 1, 1));
        EXPECT_EQ(L"", CellText(list.Window(), 0, 1));
        EXPECT_EQ(L"", CellText(list.Window(), 2, 0));

        list.DeleteAllItems();
        EXPECT_EQ(0, list.GetItemCount());
        EXPECT_EQ(0, list.InsertItem(L"again", 1, -1));
    });
}

TEST_F(ListView, TheSelectionIsTheFirstSelectedRow) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        EXPECT_EQ(-1, list.GetSelectedIndex());
        EXPECT_EQ(-1, list.GetSelectedParam());
        for (int row = 0; row < 5; ++row) {
            list.InsertItem(L"row", 100 + row, -1);
        }
        EXPECT_EQ(-1, list.GetSelectedIndex());
        EXPECT_EQ(-1, list.GetSelectedParam());
        SelectRow(list.Window(), 3, LVIS_SELECTED);
        SelectRow(list.Window(), 1, LVIS_SELECTED);
        EXPECT_EQ(1, list.GetSelectedIndex());
        EXPECT_EQ(101, list.GetSelectedParam());
        list.DeleteAllItems();
        EXPECT_EQ(-1, list.GetSelectedIndex());
    });
}

TEST_F(ListView, NotificationsBecomeListEventsCarryingTheHeader) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        list.InsertItem(L"row", 1, -1);
        const std::pair<UINT, const wchar_t*> codes[] = {
            {NM_CLICK, L"lst-click"},
            {NM_DBLCLK, L"lst-dblclk"},
            {NM_RCLICK, L"lst-rclick"},
            {LVN_ITEMACTIVATE, L"lst-itemactivate"},
            {LVN_COLUMNCLICK, L"lst-columnclick"},
            {LVN_ITEMCHANGED, L"lst-itemchanged"},
            {LVN_ODSTATECHANGED, L"lst-itemchanged"},
        };
        for (const auto& [code, name] : codes) {
            d.events.clear();
            NMLISTVIEW notification = {{list.Window(), static_cast<UINT_PTR>(list.ControlId()), code}};
            SendMessageW(d.Hwnd(), WM_NOTIFY, list.ControlId(), reinterpret_cast<LPARAM>(&notification));
            ASSERT_EQ(1u, d.events.size()) << Narrow(name);
            EXPECT_EQ(name, d.events[0].name);
            EXPECT_EQ(L"strings", d.events[0].source);
            EXPECT_EQ(0u, d.events[0].wParam);
            EXPECT_EQ(reinterpret_cast<LPARAM>(&notification), d.events[0].lParam);
        }

        // A handled event ends the routing; an unhandled one goes on to the dialog's filter.
        d.filteredElements.clear();
        NMHDR click = {list.Window(), static_cast<UINT_PTR>(list.ControlId()), NM_CLICK};
        SendMessageW(d.Hwnd(), WM_NOTIFY, list.ControlId(), reinterpret_cast<LPARAM>(&click));
        EXPECT_TRUE(d.filteredElements.empty());
        d.eventResult = 0;
        SendMessageW(d.Hwnd(), WM_NOTIFY, list.ControlId(), reinterpret_cast<LPARAM>(&click));
        EXPECT_EQ(1u, d.filteredElements.size());

        // Codes without an event of their own raise nothing.
        d.events.clear();
        NMHDR other = {list.Window(), static_cast<UINT_PTR>(list.ControlId()), LVN_BEGINDRAG};
        SendMessageW(d.Hwnd(), WM_NOTIFY, list.ControlId(), reinterpret_cast<LPARAM>(&other));
        EXPECT_TRUE(d.events.empty());
    });
}

TEST_F(ListView, TheControlsOwnNotificationsReachTheApplication) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        list.InsertItem(L"row", 1, -1);
        SelectRow(list.Window(), 0, LVIS_SELECTED);
        EXPECT_GE(d.CountEvents(L"strings", L"lst-itemchanged"), 1);

        RECT row = {LVIR_LABEL};
        SendMessageW(list.Window(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        const LPARAM point = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
        SendMessageW(list.Window(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        SendMessageW(list.Window(), WM_LBUTTONUP, 0, point);
        EXPECT_EQ(1, d.CountEvents(L"strings", L"lst-dblclk"));
    });
}

TEST_F(ListView, FlexibleColumnsShareTheFreeWidthAtEveryArrangement) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        for (int dx : {0, 101, -40}) {
            Widen(d, dx);
            const int share = (ClientWidth(list.Window()) - GetSystemMetrics(SM_CXVSCROLL)) / 2;
            EXPECT_EQ(share, ColumnWidth(list, 0)) << dx;
            EXPECT_EQ(share, ColumnWidth(list, 1)) << dx;
        }
        SaveScreenshot(d.Hwnd(), L"list-flexible");
    });
}

TEST_F(ListView, FixedColumnsReturnToTheirWidthBesideFlexibleOnes) {
    RunDialog(R"(<dialog border="resizing"><list id="l" view="report" hFlex="1">
        <listcol caption="Fixed" size="10"/><listcol flex="2"/><listcol/><listcol flex="1"/>
      </list></dialog>)",
              [&](TestDialog& d) {
                  CTEVList& list = d.As<CTEVList>(L"l");
                  const int fixed = 10 * WWidth();
                  EXPECT_EQ(fixed, ColumnWidth(list, 0));
                  // The user drags the fixed column wider; the next arrangement puts it back.
                  SendMessageW(list.Window(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(fixed + 50, 0));
                  Widen(d, 30);
                  const int free = ClientWidth(list.Window()) - GetSystemMetrics(SM_CXVSCROLL) - fixed;
                  EXPECT_EQ(fixed, ColumnWidth(list, 0));
                  EXPECT_EQ(free * 2 / 3, ColumnWidth(list, 1));
                  EXPECT_EQ(0, ColumnWidth(list, 2));
                  EXPECT_EQ(free / 3, ColumnWidth(list, 3));
              });
}

TEST_F(ListView, AllFixedColumnsKeepTheUsersWidths) {
    RunDialog(R"(<dialog border="resizing"><list id="l" view="report" hFlex="1">
        <listcol caption="A" size="5"/><listcol caption="B" size="8"/></list></dialog>)",
              [&](TestDialog& d) {
                  CTEVList& list = d.As<CTEVList>(L"l");
                  EXPECT_EQ(5 * WWidth(), ColumnWidth(list, 0));
                  EXPECT_EQ(8 * WWidth(), ColumnWidth(list, 1));
                  SendMessageW(list.Window(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(222, 0));
                  Widen(d, 60);
                  EXPECT_EQ(222, ColumnWidth(list, 1));
              });
}

TEST_F(ListView, OversizedColumnsAreClampedBeforeMeasuring) {
    RunDialog(R"(<dialog border="resizing"><list id="l" view="report" hFlex="1">
        <listcol caption="Huge" size="2147483647"/><listcol caption="Negative" size="-5"/>
        <listcol caption="Flex" flex="2147483647"/><listcol caption="Other" flex="2147483647"/>
      </list></dialog>)",
              [&](TestDialog& d) {
                  CTEVList& list = d.As<CTEVList>(L"l");
                  EXPECT_EQ(CTEVListCol::kMaxSizeInCharacters * WWidth(), ColumnWidth(list, 0));
                  EXPECT_EQ(0, ColumnWidth(list, 1));
                  // The fixed column leaves nothing free: flexible columns get nothing, never a negative
                  // width.
                  EXPECT_EQ(0, ColumnWidth(list, 2));
                  EXPECT_EQ(0, ColumnWidth(list, 3));
              });
}

TEST_F(ListView, MinimumSizeIsZeroWithoutChildrenElseTheDeclaredOrDefaultSize) {
    RunDialog(R"(<dialog><list id="empty"/><list id="plain"><listcol/></list>
        <list id="sized" width="100" height="20"><box/></list></dialog>)",
              [&](TestDialog& d) {
                  const SIZE empty = MinSizeOf(d.Get(L"empty"));
                  EXPECT_EQ(0, empty.cx);
                  EXPECT_EQ(0, empty.cy);
                  const SIZE plain = MinSizeOf(d.Get(L"plain"));
                  const SIZE plainExpected = Dlu(d.Hwnd(), 48, 40);
                  EXPECT_EQ(plainExpected.cx, plain.cx);
                  EXPECT_EQ(plainExpected.cy, plain.cy);
                  const SIZE sized = MinSizeOf(d.Get(L"sized"));
                  const SIZE sizedExpected = Dlu(d.Hwnd(), 100, 20);
                  EXPECT_EQ(sizedExpected.cx, sized.cx);
                  EXPECT_EQ(sizedExpected.cy, sized.cy);
              });
}

TEST_F(ListView, AttributesChooseTheStylesTheApplicationReliesOn) {
    RunDialog(R"(<dialog><list id="main" view="REPORT" AlwaysShowSelection="true"
        FullRowSelect="true" LabelTip="TRUE" GridLines="true"><listcol flex="1"/></list>
        <list id="defaults"><listcol/></list></dialog>)",
              [&](TestDialog& d) {
                  CTEVElement& main = d.Get(L"main");
                  EXPECT_EQ(static_cast<LONG>(LVS_REPORT), StyleOf(main) & LVS_TYPEMASK);
                  // A report view's label tips are its own cell tips, which cover every column.
                  EXPECT_EQ(static_cast<LRESULT>(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
                            SendMessageW(main.Window(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
                  const LONG defaults = StyleOf(d.Get(L"defaults"));
                  EXPECT_EQ(static_cast<LONG>(LVS_ICON), defaults & LVS_TYPEMASK);
                  const LONG defaultBits =
                      LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_NOLABELWRAP | LVS_SINGLESEL | WS_TABSTOP;
                  EXPECT_EQ(defaultBits, defaults & defaultBits);
                  EXPECT_EQ(0, defaults &
                                   (LVS_NOCOLUMNHEADER | LVS_EDITLABELS | LVS_AUTOARRANGE | LVS_NOSCROLL));
              });
}

TEST_F(ListView, BulkUpdatesSuspendRedrawingAndRestoreIt) {
    RunDialog(R"(<dialog><list id="shown" view="report"><listcol flex="1"/></list>
        <list id="hidden" view="report" hidden="true"><listcol flex="1"/></list></dialog>)",
              [&](TestDialog& d) {
                  CTEVList& list = d.As<CTEVList>(L"shown");
                  list.BeginUpdate();
                  list.BeginUpdate();
                  list.DeleteAllItems();
                  list.ReserveItems(20000);
                  for (int row = 0; row < 20000; ++row) {
                      list.InsertItem(L"bulk", row, -1);
                  }
                  list.EndUpdate();
                  EXPECT_EQ(20000, list.GetItemCount());
                  EXPECT_EQ(19999, list.GetItemParam(19999));
                  list.EndUpdate();
                  list.EndUpdate(); // unmatched: ignored
                  EXPECT_TRUE(IsWindowVisible(list.Window()));
                  // The scroll bar takes the rows at once; it and the rows are drawn by the next paint.
                  SCROLLINFO bar = {sizeof bar, SIF_RANGE};
                  ASSERT_TRUE(GetScrollInfo(list.Window(), SB_VERT, &bar));
                  EXPECT_EQ(19999, bar.nMax);
                  EXPECT_TRUE(GetUpdateRect(list.Window(), nullptr, FALSE));
                  SaveScreenshot(d.Hwnd(), L"list-bulk");

                  // Redrawing is switched back on through a message that would show a hidden list.
                  CTEVList& hidden = d.As<CTEVList>(L"hidden");
                  hidden.BeginUpdate();
                  hidden.InsertItem(L"quiet", 1, -1);
                  hidden.EndUpdate();
                  EXPECT_FALSE(GetWindowLongW(hidden.Window(), GWL_STYLE) & WS_VISIBLE);
                  EXPECT_EQ(1, hidden.GetItemCount());
              });
}

TEST_F(ListView, ChecksListRowsCarryTheirValuesAndShowHalfARowMore) {
    std::string text = R"(<dialog><checkslist id="twenty">)";
    for (int i = 0; i < 20; ++i) {
        text += R"(<checkitem label="Item"/>)";
    }
    text += R"(</checkslist><checkslist id="three"><checkitem label="One" value="1"/><checkitem label="Two"
        value="2"/><box/><checkitem value="3"/></checkslist><checkslist id="one" visibleItems="0"><checkitem
        label="Only"/></checkslist><checkslist id="empty"/></dialog>)";
    RunDialog(text, [&](TestDialog& d) {
        auto rowHeight = [](CTEVElement& list) {
            RECT row = {LVIR_BOUNDS};
            SendMessageW(list.Window(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
            EXPECT_EQ(0, row.top);
            return row.bottom - row.top;
        };
        CTEVElement& three = d.Get(L"three");
        const HWND window = three.Window();
        EXPECT_EQ(static_cast<LRESULT>(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT),
                  SendMessageW(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        ASSERT_EQ(3, SendMessageW(window, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < 3; ++row) {
            LVITEMW item = {LVIF_PARAM, row};
            SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(row + 1, item.lParam);
        }
        const int h = rowHeight(three);
        EXPECT_EQ(3 * h + h / 2, MinSizeOf(three).cy);
        EXPECT_EQ(10 * h + h / 2, MinSizeOf(d.Get(L"twenty")).cy);
        EXPECT_EQ(h + h / 2, MinSizeOf(d.Get(L"one")).cy);

        const int labels = static_cast<int>(SendMessageW(window, LVM_GETCOLUMNWIDTH, 0, 0));
        EXPECT_GT(MinSizeOf(three).cx, labels + GetSystemMetrics(SM_CXVSCROLL)); // beside a scroll bar

        const SIZE empty = MinSizeOf(d.Get(L"empty"));
        const SIZE expected = Dlu(d.Hwnd(), 48, 40);
        EXPECT_EQ(expected.cx, empty.cx);
        EXPECT_EQ(expected.cy, empty.cy);
        SaveScreenshot(d.Hwnd(), L"checkslist");
    });
}

TEST_F(ListView, ReadersGetTheCellsThroughTheControlsOwnMessages) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        list.InsertItem(L"Original", 5, 3);
        list.SetItemText(0, 1, L"Translated");
        list.InsertItem(L"second", 6, -1);
        EXPECT_EQ(2, ListMessage(list, LVM_GETITEMCOUNT));

        // A short buffer gets the start of the text, terminated, as from any list view.
        wchar_t shortBuffer[5] = L"xxxx";
        LVITEMW cell = {};
        cell.iSubItem = 1;
        cell.pszText = shortBuffer;
        cell.cchTextMax = 5;
        EXPECT_EQ(4, ListMessage(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell)));
        EXPECT_STREQ(L"Tran", shortBuffer);

        wchar_t text[64] = L"";
        LVITEMW item = {LVIF_TEXT | LVIF_IMAGE, 0};
        item.pszText = text;
        item.cchTextMax = 64;
        ASSERT_TRUE(ListMessage(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(L"Original", text);
        EXPECT_EQ(3, item.iImage);
        LVITEMW plain = {LVIF_IMAGE, 1};
        ASSERT_TRUE(ListMessage(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&plain)));
        EXPECT_LT(plain.iImage, 0);

        // A reader on another thread is answered by the list's own thread.
        std::wstring fromThread;
        std::atomic<bool> done{false};
        std::thread reader([&] {
            fromThread = CellText(list.Window(), 1, 0);
            done = true;
        });
        while (!done) {
            MSG message;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
        }
        reader.join();
        EXPECT_EQ(L"second", fromThread);
    });
}

TEST_F(ListView, ARefillStartsWithoutSelectionOrFocus) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        FillNumbered(list, 10, L"first");
        SelectRow(list.Window(), 7, LVIS_SELECTED | LVIS_FOCUSED);
        ASSERT_EQ(7, list.GetSelectedIndex());
        ASSERT_EQ(7, FocusedRow(list));

        // As the main window refills its list after a keystroke.
        list.BeginUpdate();
        list.DeleteAllItems();
        FillNumbered(list, 10, L"second");
        list.EndUpdate();
        EXPECT_EQ(-1, list.GetSelectedIndex());
        EXPECT_EQ(-1, list.GetSelectedParam());
        EXPECT_EQ(-1, FocusedRow(list));
        EXPECT_EQ(0, ListMessage(list, LVM_GETSELECTEDCOUNT));

        SelectRow(list.Window(), 4, LVIS_SELECTED | LVIS_FOCUSED);
        list.DeleteAllItems();
        FillNumbered(list, 5, L"third");
        EXPECT_EQ(-1, list.GetSelectedIndex());
        EXPECT_EQ(-1, FocusedRow(list));

        // What the user selects next is a row of the new content.
        ClickRow(list, 2);
        EXPECT_EQ(2, list.GetSelectedIndex());
        EXPECT_EQ(1002, list.GetSelectedParam());
        EXPECT_EQ(L"third 2", CellText(list.Window(), 2, 1));
    });
}

TEST_F(ListView, SetItemTextChangesOneCellAndRepaintsOnlyItsRow) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        FillNumbered(list, 20, L"old");
        UpdateWindow(list.Window());

        list.SetItemText(3, 1, L"new");
        RECT update = {};
        ASSERT_TRUE(GetUpdateRect(list.Window(), &update, FALSE));
        const RECT row = RowBounds(list, 3);
        EXPECT_GE(update.top, row.top);
        EXPECT_LE(update.bottom, row.bottom);
        UpdateWindow(list.Window());
        EXPECT_EQ(L"new", CellText(list.Window(), 3, 1));
        EXPECT_EQ(L"row 3", CellText(list.Window(), 3, 0));
        EXPECT_EQ(L"old 2", CellText(list.Window(), 2, 1));
        EXPECT_EQ(L"old 4", CellText(list.Window(), 4, 1));

        // Cells that do not exist are left alone.
        list.SetItemText(20, 0, L"x");
        list.SetItemText(-1, 0, L"x");
        list.SetItemText(0, 2, L"x");
        list.SetItemText(0, -1, L"x");
        EXPECT_FALSE(GetUpdateRect(list.Window(), nullptr, FALSE));
        EXPECT_EQ(20, list.GetItemCount());
        EXPECT_EQ(L"row 0", CellText(list.Window(), 0, 0));
        EXPECT_EQ(L"old 0", CellText(list.Window(), 0, 1));
    });
}

TEST_F(ListView, TwentyThousandRowsStayWithTheElementNotTheControl) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        EXPECT_EQ(static_cast<LONG>(LVS_OWNERDATA), StyleOf(list) & LVS_OWNERDATA);
        // Reservations beyond what memory holds, or below nothing, are only hints.
        list.ReserveItems(0x7FFFFFFF);
        list.ReserveItems(-1);
        EXPECT_EQ(0, ListMessage(list, LVM_GETITEMCOUNT));
        list.BeginUpdate();
        list.ReserveItems(20000);
        FillNumbered(list, 20000, L"cell");
        list.EndUpdate();
        EXPECT_EQ(20000, ListMessage(list, LVM_GETITEMCOUNT));
        EXPECT_EQ(12345, list.GetItemParam(11345));

        ListMessage(list, LVM_ENSUREVISIBLE, 19999, FALSE);
        UpdateWindow(list.Window());
        EXPECT_GT(ListMessage(list, LVM_GETTOPINDEX), 19000);
        EXPECT_EQ(L"cell 19999", CellText(list.Window(), 19999, 1));
        ClickRow(list, 19999);
        EXPECT_EQ(19999, list.GetSelectedIndex());
        EXPECT_EQ(20999, list.GetSelectedParam());

        // Narrowing from the far end leaves the view within the new rows.
        list.BeginUpdate();
        list.DeleteAllItems();
        FillNumbered(list, 470, L"narrow");
        list.EndUpdate();
        UpdateWindow(list.Window());
        EXPECT_EQ(470, ListMessage(list, LVM_GETITEMCOUNT));
        EXPECT_EQ(L"narrow 469", CellText(list.Window(), 469, 1));
        EXPECT_LT(ListMessage(list, LVM_GETTOPINDEX), 470);
        SaveScreenshot(d.Hwnd(), L"list-narrowed");
    });
}

TEST_F(ListView, TypingAndFindingLookAtTheFirstColumn) {
    RunReportList([&](TestDialog& d, CTEVList& list) {
        for (const wchar_t* text : {L"Apple", L"banana", L"Cherry", L"Berry"}) {
            const int row = list.InsertItem(text, 0, -1);
            list.SetItemText(row, 1, L"zzz");
        }
        list.SetItemText(0, 1, L"Banana");

        // A typed letter selects the first row whose text starts with it, ignoring case.
        ListMessage(list, WM_CHAR, L'B', 1);
        EXPECT_EQ(1, list.GetSelectedIndex());

        EXPECT_EQ(3, FindRow(list, 2, LVFI_PARTIAL | LVFI_WRAP, L"bE"));
        EXPECT_EQ(1, FindRow(list, 2, LVFI_PARTIAL | LVFI_WRAP, L"ban"));
        EXPECT_EQ(-1, FindRow(list, 2, LVFI_PARTIAL, L"ban"));
        EXPECT_EQ(2, FindRow(list, -1, LVFI_STRING, L"CHERRY"));
        EXPECT_EQ(-1, FindRow(list, -1, LVFI_STRING, L"Cher"));
        EXPECT_EQ(-1, FindRow(list, -1, LVFI_PARTIAL | LVFI_WRAP, L"zzz"));
    });
}

// Records the notification code behind every "lst-itemchanged".
class ItemChangeDialog : public TestDialog {
public:
    using TestDialog::TestDialog;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override {
        if (EqualsNoCase(event, L"lst-itemchanged") && lParam) {
            codes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
        }
        return TestDialog::FireEvent(source, event, wParam, lParam);
    }

    std::vector<UINT> codes;
};

TEST_F(ListView, SelectingARangeOfRowsIsAnItemChange) {
    ItemChangeDialog dialog(engine, kReportList);
    dialog.Run([&](TestDialog& d) {
        CTEVList& list = d.As<CTEVList>(L"strings");
        FillNumbered(list, 10, L"cell");
        ClickRow(list, 1);
        ASSERT_EQ(1, list.GetSelectedIndex());
        dialog.codes.clear();
        ClickRow(list, 3, MK_SHIFT);
        // The virtual control reports the range as one change of rows 1 to 3.
        EXPECT_NE(dialog.codes.end(),
                  std::find(dialog.codes.begin(), dialog.codes.end(), static_cast<UINT>(LVN_ODSTATECHANGED)));
        EXPECT_EQ(3, ListMessage(list, LVM_GETSELECTEDCOUNT));
        EXPECT_EQ(1, list.GetSelectedIndex());
        EXPECT_EQ(1001, list.GetSelectedParam());
    });
}

TEST_F(ListView, ListsTheUserChangesInPlaceOrArrangesFreelyKeepRealRows) {
    RunDialog(R"(<dialog><list id="checks" view="report" CheckBoxes="true"><listcol flex="1"/>
        </list><list id="labels" view="list" EditLabels="true"/><list id="icons"/></dialog>)",
              [&](TestDialog& d) {
                  for (const wchar_t* id : {L"checks", L"labels", L"icons"}) {
                      CTEVList& list = d.As<CTEVList>(id);
                      EXPECT_EQ(0, StyleOf(list) & LVS_OWNERDATA) << Narrow(id);
                      EXPECT_EQ(0, list.InsertItem(L"one", 11, -1));
                      EXPECT_EQ(1, list.InsertItem(L"two", 22, -1));
                      list.SetItemText(1, 0, L"zwei");
                      // The control holds the rows themselves, params included.
                      LVITEMW item = {LVIF_PARAM, 1};
                      ASSERT_TRUE(ListMessage(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
                      EXPECT_EQ(22, item.lParam);
                      EXPECT_EQ(L"zwei", CellText(list.Window(), 1, 0));
                      EXPECT_EQ(22, list.GetItemParam(1));
                      EXPECT_EQ(2, ListMessage(list, LVM_GETITEMCOUNT));
                  }
                  // A check mark the user sets stays with its row.
                  CTEVList& checks = d.As<CTEVList>(L"checks");
                  LVITEMW checked = {};
                  checked.stateMask = LVIS_STATEIMAGEMASK;
                  checked.state = INDEXTOSTATEIMAGEMASK(2);
                  ListMessage(checks, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&checked));
                  EXPECT_EQ(INDEXTOSTATEIMAGEMASK(2),
                            ListMessage(checks, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK));
                  checks.DeleteAllItems();
                  EXPECT_EQ(0, ListMessage(checks, LVM_GETITEMCOUNT));
                  EXPECT_EQ(0, checks.GetItemCount());
              });
}

TEST_F(ListView, AThousandFlexibleColumnsFollowResizesQuickly) {
    std::string columns;
    for (int i = 0; i < 1000; ++i) {
        columns += R"(<listcol flex="1"/>)";
    }
    RunDialog(R"(<dialog border="resizing"><list id="l" view="report" hFlex="1">)" + columns +
                  "</list></dialog>",
              [&](TestDialog& d) {
                  CTEVList& list = d.As<CTEVList>(L"l");
                  // Each width set one by one moved and repainted every later column: seconds per resize.
                  EXPECT_LT(SecondsToRun([&] {
                                for (int dx : {3000, -1000, 500}) {
                                    Widen(d, dx);
                                }
                            }),
                            4.0);
                  const int share = (ClientWidth(list.Window()) - GetSystemMetrics(SM_CXVSCROLL)) / 1000;
                  EXPECT_EQ(share, ColumnWidth(list, 999));
              });
}
