// Measures how fast a report list takes many rows: the list element, which keeps the rows and
// shows them through a virtual control, against a plain list-view control that holds its own
// rows (LVM_INSERTITEM, the element's former way), each in bulk and row by row. Prints the
// times per 1,000 rows and their ratios, then exits.
#include "CTEVList.h"
#include "DialogDriver.h"
#include "ProgramStart.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kBulkRows = 20000;
// Row-by-row insertion with redrawing is slow enough with real rows that a sample gives its rate.
constexpr int kSampleRows = 500;
constexpr int kBulkRounds = 3;

const char kDescription[] = R"(<dialog caption="List fill benchmark" border="resizing">
  <list id="lstStrings" view="report" AlwaysShowSelection="true" FullRowSelect="true" LabelTip="true"
        GridLines="true" hFlex="1" vFlex="1" width="400" height="250">
    <listcol caption="Original string" flex="1"/><listcol caption="Translated string" flex="1"/>
  </list>
</dialog>)";

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double PerThousandRows(double milliseconds, int rows) {
    return milliseconds * 1000.0 / rows;
}

// The texts of the rows, made before any timing so that only the lists are measured.
struct RowTexts {
    std::vector<std::wstring> originals;
    std::vector<std::wstring> translations;

    RowTexts() {
        for (int row = 0; row < kBulkRows; ++row) {
            originals.push_back(FormatText(L"Original string number %d of the project", row));
            translations.push_back(FormatText(L"Translated string number %d of the project", row));
        }
    }
};

const RowTexts& Texts() {
    static const RowTexts texts;
    return texts;
}

// Rows as the application adds them: the original with its index as param, then the translation.
void AppendRows(CTEVList& list, int rows) {
    for (int row = 0; row < rows; ++row) {
        const int index = list.InsertItem(Texts().originals[row].c_str(), row, -1);
        list.SetItemText(index, 1, Texts().translations[row].c_str());
    }
}

// The same rows as real items of a plain control.
void AppendRealRows(HWND list, int rows) {
    for (int row = 0; row < rows; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(Texts().originals[row].c_str());
        item.lParam = row;
        const LRESULT index = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMW cell = {};
        cell.iSubItem = 1;
        cell.pszText = const_cast<wchar_t*>(Texts().translations[row].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
}

struct Figures {
    double bulkFill = 1e300;  // ms for kBulkRows, best round
    double bulkClear = 1e300; // ms for kBulkRows, best round
    double rowByRow = 0;      // ms for kSampleRows
};

// A plain list-view control in the same place and with the same look as the element's list,
// holding its rows itself; destroyed with the object.
class RealRowsList {
public:
    explicit RealRowsList(HWND like) {
        RECT place = {};
        GetWindowRect(like, &place);
        MapWindowPoints(nullptr, GetParent(like), reinterpret_cast<POINT*>(&place), 2);
        const DWORD style =
            (static_cast<DWORD>(GetWindowLongW(like, GWL_STYLE)) & ~LVS_OWNERDATA) | WS_VISIBLE;
        m_window = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, GetParent(like),
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_window, WM_SETFONT, SendMessageW(like, WM_GETFONT, 0, 0), FALSE);
        SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     SendMessageW(like, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNW description = {LVCF_WIDTH};
            description.cx = static_cast<int>(SendMessageW(like, LVM_GETCOLUMNWIDTH, column, 0));
            SendMessageW(m_window, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
        }
    }
    RealRowsList(const RealRowsList&) = delete;
    RealRowsList& operator=(const RealRowsList&) = delete;
    ~RealRowsList() { DestroyWindow(m_window); }

    HWND Window() const { return m_window; }

private:
    HWND m_window = nullptr;
};

void MeasureBulk(CTEVList& list, Figures& element) {
    Clock::time_point start = Clock::now();
    list.BeginUpdate();
    list.DeleteAllItems();
    list.ReserveItems(kBulkRows);
    AppendRows(list, kBulkRows);
    list.EndUpdate();
    UpdateWindow(list.Window());
    element.bulkFill = std::min(element.bulkFill, MillisecondsSince(start));

    start = Clock::now();
    list.BeginUpdate();
    list.DeleteAllItems();
    list.EndUpdate();
    UpdateWindow(list.Window());
    element.bulkClear = std::min(element.bulkClear, MillisecondsSince(start));
}

void MeasureRowByRow(CTEVList& list, Figures& element) {
    const Clock::time_point start = Clock::now();
    AppendRows(list, kSampleRows);
    UpdateWindow(list.Window());
    element.rowByRow = MillisecondsSince(start);
    list.DeleteAllItems();
    UpdateWindow(list.Window());
}

void MeasureRealBulk(HWND list, Figures& realRows) {
    Clock::time_point start = Clock::now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, kBulkRows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    AppendRealRows(list, kBulkRows);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    realRows.bulkFill = std::min(realRows.bulkFill, MillisecondsSince(start));

    start = Clock::now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    realRows.bulkClear = std::min(realRows.bulkClear, MillisecondsSince(start));
}

void MeasureRealRowByRow(HWND list, Figures& realRows) {
    const Clock::time_point start = Clock::now();
    AppendRealRows(list, kSampleRows);
    UpdateWindow(list);
    realRows.rowByRow = MillisecondsSince(start);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    UpdateWindow(list);
}

void PrintFigures(const char* title, const Figures& f) {
    std::printf("  %s\n", title);
    std::printf("    bulk:       %d rows filled in %.1f ms = %.2f ms per 1000 rows\n", kBulkRows, f.bulkFill,
                PerThousandRows(f.bulkFill, kBulkRows));
    std::printf("    bulk:       %d rows cleared in %.1f ms = %.2f ms per 1000 rows\n", kBulkRows,
                f.bulkClear, PerThousandRows(f.bulkClear, kBulkRows));
    std::printf("    row by row: %d rows filled in %.1f ms = %.2f ms per 1000 rows\n", kSampleRows,
                f.rowByRow, PerThousandRows(f.rowByRow, kSampleRows));
}

} // namespace

int main() {
    ProgramStart start;

    int exitCode = 1;
    {
        StockEngine engine;
        TestDialog dialog(engine, kDescription);
        Figures ours;
        Figures real;
        bool measured = false;
        // Measured once the dialog is on screen.
        dialog.Run([&](TestDialog& d) {
            CTEVList& list = d.As<CTEVList>(L"lstStrings");
            Texts();
            for (int round = 0; round < kBulkRounds; ++round) {
                MeasureBulk(list, ours);
            }
            MeasureRowByRow(list, ours);
            ShowWindow(list.Window(), SW_HIDE);
            RealRowsList realList(list.Window());
            for (int round = 0; round < kBulkRounds; ++round) {
                MeasureRealBulk(realList.Window(), real);
            }
            MeasureRealRowByRow(realList.Window(), real);
            measured =
                list.GetItemCount() == 0 && SendMessageW(realList.Window(), LVM_GETITEMCOUNT, 0, 0) == 0;
        });
        if (measured) {
            const double oursBulk = PerThousandRows(ours.bulkFill + ours.bulkClear, kBulkRows);
            std::printf(
                "Filling a report list (two columns); bulk times (redraw off) are the best of %d rounds, "
                "row by row redraws:\n",
                kBulkRounds);
            PrintFigures("list element (rows kept by the element, virtual control):", ours);
            PrintFigures("real rows in a plain control (LVM_INSERTITEM, the element's former way):", real);
            std::printf("  fill and clear, real rows in bulk / element in bulk:  %.1f times slower\n",
                        PerThousandRows(real.bulkFill + real.bulkClear, kBulkRows) / oursBulk);
            std::printf("  fill, real rows row by row / element in bulk:          %.1f times slower\n",
                        PerThousandRows(real.rowByRow, kSampleRows) /
                            PerThousandRows(ours.bulkFill, kBulkRows));
            exitCode = 0;
        } else {
            std::printf("The benchmark dialog did not run.\n");
        }
    }
    return exitCode;
}
