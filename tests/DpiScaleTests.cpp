// The translator's windows and the demo's previews at the display's DPI: each opens inside the work
// area, and each is as much larger than at another DPI as that DPI is smaller. One run writes its
// sizes (TEV_DPI_SIZES_OUT), a run at another DPI compares with them (TEV_DPI_BASE_SIZES):
// scripts/dpi-test.sh runs this group at 96 and at 144 DPI. Screenshots are kept as
// artifacts\dpi<DPI>-<screen width>-<window>.bmp.
#include "CTEVColor.h"
#include "CTranslateDlg.h"
#include "SystemMetrics.h"
#include "TranslatorFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <algorithm>

namespace {

const int kGerman = 0x0407;
const double kTolerance = 0.1; // a tenth of the DPI's ratio either way
const size_t kDemoDialogs = 5; // about, options, preferences, rename, wizard

struct MeasuredWindows {
    int dpi = 0;
    std::map<std::string, SIZE> sizes; // by window name, outer size in pixels
};

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "dpi N", then one "name width height" line per window.
void WriteMeasures(const std::string& path, const MeasuredWindows& measured) {
    std::ofstream out(path);
    out << "dpi " << measured.dpi << "\n";
    for (const auto& [name, size] : measured.sizes) {
        out << name << " " << size.cx << " " << size.cy << "\n";
    }
    EXPECT_TRUE(out.good()) << path;
}

MeasuredWindows ReadMeasures(const std::string& path) {
    MeasuredWindows measured;
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::string word;
    in >> word >> measured.dpi;
    std::string name;
    SIZE size = {};
    while (in >> name >> size.cx >> size.cy) {
        measured.sizes[name] = size;
    }
    return measured;
}

// The right edge of the rightmost visible control, in client coordinates.
int RightmostControl(HWND window) {
    int rightmost = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        if (IsWindowVisible(child) && GetWindowRect(child, &rect)) {
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
            rightmost = std::max<int>(rightmost, rect.right);
        }
    }
    return rightmost;
}

// Tells the window it moved to a monitor of a higher DPI, suggesting a rectangle a quarter larger:
// the window takes it, and its content spreads into it, still inside.
void ExpectToFollowDpiChange(HWND window, const std::string& name) {
    ASSERT_NE(nullptr, window) << name;
    RECT before = {};
    GetWindowRect(window, &before);
    const int rightmostBefore = RightmostControl(window);
    const RECT suggested = {before.left, before.top, before.left + (before.right - before.left) * 5 / 4,
                            before.top + (before.bottom - before.top) * 5 / 4};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    RECT after = {};
    GetWindowRect(window, &after);
    EXPECT_EQ(suggested, after) << name;
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_GT(RightmostControl(window), rightmostBefore) << name << " was not laid out again";
    EXPECT_LE(RightmostControl(window), client.right) << name;
}

class WindowsAtDpi : public TranslatorFixture {
protected:
    void SetUp() override {
        std::filesystem::copy(std::filesystem::path(TEV_DEMO_PATH),
                              std::filesystem::path(program.Path()).parent_path(),
                              std::filesystem::copy_options::recursive);
    }

    // Notes the window's outer size and whether it lies inside its monitor's work area, and keeps
    // a screenshot.
    void Measure(HWND window, const std::string& name) {
        ASSERT_NE(nullptr, window) << name;
        RECT rect = {};
        GetWindowRect(window, &rect);
        measured.sizes[name] = {rect.right - rect.left, rect.bottom - rect.top};
        MONITORINFO monitor = {sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        RECT inside = {};
        IntersectRect(&inside, &rect, &monitor.rcWork);
        EXPECT_TRUE(EqualRect(&inside, &rect)) << name << " lies outside the work area";
        const std::string screen = std::to_string(GetSystemMetrics(SM_CXSCREEN));
        SaveScreenshot(window,
                       Widen("dpi" + std::to_string(measured.dpi) + "-" + screen + "-" + name).c_str());
    }

    // Steps that open each demo dialog's translated preview in turn and measure it; the options
    // dialog's colour palette is opened and measured too.
    std::vector<Step> PreviewSteps(CMainDialog& main, size_t dialogs) {
        std::vector<Step> steps;
        for (size_t i = 0; i < dialogs; ++i) {
            steps.push_back([&main, i] {
                Get(main, L"dialog").SetValue(static_cast<int>(i));
                ClickElement(main, L"testDlg");
            });
            steps.push_back([this, &main, i] {
                HWND preview = FindOwnedDialog(main.Window());
                const std::string name =
                    "preview-" + std::filesystem::path(session.Model().Dialogs()[i].path).stem().string();
                Measure(preview, name);
                auto* dialog = reinterpret_cast<CTEVDialog*>(GetWindowLongPtrW(preview, GWLP_USERDATA));
                if (auto* colour =
                        dialog ? dynamic_cast<CTEVColor*>(dialog->FindById(L"frameColour")) : nullptr) {
                    SendMessageW(colour->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                    Measure(colour->Picker().Window(), "palette");
                    colour->Picker().Close();
                }
                PostMessageW(preview, WM_KEYDOWN, VK_ESCAPE, 0);
            });
        }
        return steps;
    }

    MeasuredWindows measured{SystemDpi(), {}};
};

} // namespace

TEST_F(WindowsAtDpi, OpenInsideTheWorkAreaAndScaleWithTheDpi) {
    CMainDialog main(&engine, program.Path(), session);
    std::vector<Step> steps = {[&] {
                                   Measure(FindOwnedDialog(main.Window()), "open");
                                   AnswerOpenDialog(main, kGerman);
                               },
                               [&] {
                                   Measure(main.Window(), "main");
                                   SelectRow(main, 0);
                                   ClickElement(main, L"btnTranslate");
                               },
                               [&] {
                                   HWND translate = FindOwnedDialog(main.Window());
                                   Measure(translate, "translate");
                                   // The live preview opens beside the dialog, both whole on screen.
                                   HWND pane = Opened<CTranslateDlg>(main).LivePreview()->BoundWindow();
                                   Measure(pane, "live-preview");
                                   RECT dialogRect = {}, paneRect = {}, shared = {};
                                   GetWindowRect(translate, &dialogRect);
                                   GetWindowRect(pane, &paneRect);
                                   EXPECT_FALSE(IntersectRect(&shared, &dialogRect, &paneRect));
                                   PostMessageW(translate, WM_COMMAND, IDCANCEL, 0);
                                   ClickElement(main, L"btnCheck");
                               },
                               [&] {
                                   HWND check = FindOwnedDialog(main.Window());
                                   Measure(check, "check");
                                   PostMessageW(check, WM_COMMAND, IDCANCEL, 0);
                               }};
    for (Step& step : PreviewSteps(main, kDemoDialogs)) {
        steps.push_back(std::move(step));
    }
    RunModal(
        "the main window", [&main] { return main.DoModal(nullptr); }, std::move(steps),
        [&main] { EndIfOpen(main.Window()); });
    EXPECT_EQ(5 + kDemoDialogs + 1, measured.sizes.size()); // and the palette

    if (const std::string out = Setting("TEV_DPI_SIZES_OUT"); !out.empty()) {
        WriteMeasures(out, measured);
    }
    const std::string basePath = Setting("TEV_DPI_BASE_SIZES");
    if (basePath.empty()) {
        return;
    }
    const MeasuredWindows base = ReadMeasures(basePath);
    ASSERT_GT(base.dpi, 0);
    ASSERT_NE(base.dpi, measured.dpi) << "both runs were at the same DPI";
    const double ratio = static_cast<double>(measured.dpi) / base.dpi;
    for (const auto& [name, size] : measured.sizes) {
        ASSERT_EQ(1u, base.sizes.count(name)) << name << " was not measured at " << base.dpi << " DPI";
        const SIZE was = base.sizes.at(name);
        EXPECT_NEAR(ratio, static_cast<double>(size.cx) / was.cx, ratio * kTolerance)
            << name << " width " << was.cx << " -> " << size.cx;
        EXPECT_NEAR(ratio, static_cast<double>(size.cy) / was.cy, ratio * kTolerance)
            << name << " height " << was.cy << " -> " << size.cy;
    }
}

class DpiChange : public WindowsAtDpi {};

TEST_F(DpiChange, WindowsTakeTheSuggestedRectangleAndLayOutAgain) {
    CMainDialog main(&engine, program.Path(), session);
    RunModal(
        "the main window", [&main] { return main.DoModal(nullptr); },
        {[&] {
             ExpectToFollowDpiChange(FindOwnedDialog(main.Window()), "open");
             AnswerOpenDialog(main, kGerman);
         },
         [&] {
             ExpectToFollowDpiChange(main.Window(), "main");
             ClickElement(main, L"btnTranslate");
         },
         [&] {
             HWND translate = FindOwnedDialog(main.Window());
             ExpectToFollowDpiChange(translate, "translate");
             PostMessageW(translate, WM_COMMAND, IDCANCEL, 0);
             Get(main, L"dialog").SetValue(0); // About, a dialog of the engine's own
             ClickElement(main, L"testDlg");
         },
         [&] {
             HWND preview = FindOwnedDialog(main.Window());
             ExpectToFollowDpiChange(preview, "preview");
             PostMessageW(preview, WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        [&main] { EndIfOpen(main.Window()); });
}

class StoredWindowSizes : public WindowsAtDpi {};

TEST_F(StoredWindowSizes, AreScaledFromTheDpiTheyWereStoredAtAndStoredWithTheirs) {
    const int storedDpi = 2 * measured.dpi;
    const std::wstring settings = program.File(L"settings.ini");
    WritePrivateProfileStringW(L"MainWindow", L"width", L"2000", settings.c_str());
    WritePrivateProfileStringW(L"MainWindow", L"height", L"1600", settings.c_str());
    WritePrivateProfileStringW(L"MainWindow", L"dpi", std::to_wstring(storedDpi).c_str(), settings.c_str());
    CMainDialog main(&engine, program.Path(), session);
    RECT opened = {};
    Run(main, {[&] { GetWindowRect(main.Window(), &opened); }}, kGerman);
    EXPECT_EQ((SIZE{1000, 800}), (SIZE{opened.right - opened.left, opened.bottom - opened.top}));
    EXPECT_EQ(measured.dpi,
              static_cast<int>(GetPrivateProfileIntW(L"MainWindow", L"dpi", 0, settings.c_str())));
}
