// Measures how fast a report list takes many rows: in bulk with redrawing suspended, as the
// application fills its string list, against row by row with redrawing on. Prints the times
// per 1,000 rows and their ratio, then exits.
#include "CTEVDialog.h"
#include "CTEVEngine.h"
#include "CTEVList.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kBulkRows = 20000;
// Row-by-row insertion with redrawing is slow enough that a sample gives its rate.
constexpr int kSampleRows = 2000;
constexpr int kBulkRounds = 3;
constexpr UINT kRunBenchmark = WM_APP + 1;

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

// Rows as the application adds them: the original with its index as param, then the translation.
void AppendRows(CTEVList& list, int rows) {
    for (int row = 0; row < rows; ++row) {
        const std::wstring original = FormatText(L"Original string number %d of the project", row);
        const std::wstring translated = FormatText(L"Translated string number %d of the project", row);
        const int index = list.InsertItem(original.c_str(), row, -1);
        list.SetItemText(index, 1, translated.c_str());
    }
}

struct Timings {
    double bulkFill = 1e300;  // ms for kBulkRows, best round
    double bulkClear = 1e300; // ms for kBulkRows, best round
    double rowByRow = 0;      // ms for kSampleRows
};

// The dialog runs the measurements once it is on screen, then ends itself.
class BenchDialog : public CTEVDialog {
public:
    BenchDialog(const std::wstring& source, CTEVEngine* engine)
        : CTEVDialog(source.c_str(), engine, nullptr) {}

    void OnInitDialog() override {
        CTEVDialog::OnInitDialog();
        PostMessageW(m_window, kRunBenchmark, 0, 0);
    }

    BOOL PreProcessMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT*) override {
        if (message != kRunBenchmark) {
            return FALSE;
        }
        auto* list = dynamic_cast<CTEVList*>(FindById(L"lstStrings"));
        if (list) {
            for (int round = 0; round < kBulkRounds; ++round) {
                MeasureBulk(*list);
            }
            MeasureRowByRow(*list);
            measured = list->GetItemCount() == 0;
        }
        EndDialog(m_window, IDOK);
        return TRUE;
    }

    Timings timings;
    bool measured = false;

private:
    void MeasureBulk(CTEVList& list) {
        Clock::time_point start = Clock::now();
        list.BeginUpdate();
        list.DeleteAllItems();
        list.ReserveItems(kBulkRows);
        AppendRows(list, kBulkRows);
        list.EndUpdate();
        UpdateWindow(list.Window());
        timings.bulkFill = std::min(timings.bulkFill, MillisecondsSince(start));

        start = Clock::now();
        list.BeginUpdate();
        list.DeleteAllItems();
        list.EndUpdate();
        UpdateWindow(list.Window());
        timings.bulkClear = std::min(timings.bulkClear, MillisecondsSince(start));
    }

    void MeasureRowByRow(CTEVList& list) {
        const Clock::time_point start = Clock::now();
        AppendRows(list, kSampleRows);
        UpdateWindow(list.Window());
        timings.rowByRow = MillisecondsSince(start);
        list.DeleteAllItems();
        UpdateWindow(list.Window());
    }
};

std::filesystem::path WriteDescription() {
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    std::filesystem::path path =
        std::filesystem::path(folder) / FormatText(L"list_fill_bench_%lu.xml", GetCurrentProcessId());
    std::ofstream(path, std::ios::binary) << kDescription;
    return path;
}

} // namespace

int main() {
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const std::filesystem::path description = WriteDescription();
    int exitCode = 1;
    {
        CTEVEngine engine(GetModuleHandleW(nullptr));
        BenchDialog dialog(description.wstring(), &engine);
        dialog.DoModal(nullptr);
        if (dialog.measured) {
            const Timings& t = dialog.timings;
            const double bulk = PerThousandRows(t.bulkFill, kBulkRows);
            const double rowByRow = PerThousandRows(t.rowByRow, kSampleRows);
            std::printf("Filling a report list (two columns); bulk times are the best of %d rounds:\n",
                        kBulkRounds);
            std::printf("  bulk, redraw off:   %d rows filled in %.1f ms = %.2f ms per 1000 rows\n",
                        kBulkRows, t.bulkFill, bulk);
            std::printf("  bulk, redraw off:   %d rows cleared in %.1f ms = %.2f ms per 1000 rows\n",
                        kBulkRows, t.bulkClear, PerThousandRows(t.bulkClear, kBulkRows));
            std::printf("  row by row, redraw: %d rows filled in %.1f ms = %.2f ms per 1000 rows\n",
                        kSampleRows, t.rowByRow, rowByRow);
            std::printf("  row by row / bulk:  %.1f times slower\n", rowByRow / bulk);
            exitCode = 0;
        } else {
            std::printf("The benchmark dialog did not run.\n");
        }
    }
    std::filesystem::remove(description);
    CoUninitialize();
    return exitCode;
}
