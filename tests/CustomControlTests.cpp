// Sliders, spins, pictures and free-draw areas as real controls in real dialogs: values, the
// scroll events of user actions, and what the own window classes paint.
#include "CTEVFreeDraw.h"
#include "CTEVPicture.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

const COLORREF kImageColour = RGB(200, 0, 0);
const COLORREF kDrawnColour = RGB(0, 0, 200);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

// Records DrawImage calls and paints the rectangle of a named file, as a decoder would.
class PictureEngine : public CTEVEngine {
public:
    PictureEngine() : CTEVEngine(GetModuleHandleW(nullptr)) {}
    void DrawImage(HDC dc, int x, int y, int cx, int cy, const wchar_t* file) override {
        calls.push_back({{x, y, x + cx, y + cy}, TextOrNull(file)});
        if (file) {
            Fill(dc, {x, y, x + cx, y + cy}, kImageColour);
        }
    }
    std::vector<std::pair<RECT, std::wstring>> calls;
};

// Paints the area "area" with the device context and over the rectangle its event brings.
class DrawingDialog : public TestDialog {
public:
    using TestDialog::TestDialog;
    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override {
        if (EqualsNoCase(event, L"freedraw") && EqualsNoCase(source->Id(), L"area")) {
            drawnRects.push_back(*reinterpret_cast<const RECT*>(lParam));
            Fill(reinterpret_cast<HDC>(wParam), drawnRects.back(), kDrawnColour);
        }
        return TestDialog::FireEvent(source, event, wParam, lParam);
    }
    std::vector<RECT> drawnRects;
};

class CustomControls : public EngineTest<PictureEngine> {};

COLORREF RepaintAndReadPixel(HWND window, int x, int y) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    WindowDC dc(window);
    return GetPixel(dc.Get(), x, y);
}

int ThumbAt(CTEVElement& slider) {
    return static_cast<int>(SendMessageW(slider.Window(), TBM_GETPOS, 0, 0));
}

void PressKey(HWND window, UINT key) {
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void ClickUpArrow(HWND spin) {
    RECT client = {};
    GetClientRect(spin, &client);
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom / 4));
    SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom / 4));
}

} // namespace

TEST_F(CustomControls, InvertedSliderMirrorsItsValueWithinTheRange) {
    RunDialog(R"(<dialog><vbox><slider id="zero" invert="true"/>
        <slider id="shifted" invert="true" minValue="10" maxValue="50" pos="20"/>
        <slider id="wide" invert="true" maxValue="2147483647"/></vbox></dialog>)",
              [&](TestDialog& d) {
                  CTEVElement& zero = d.Get(L"zero");
                  EXPECT_EQ(0, ThumbAt(zero)) << "the default position is not applied";
                  zero.SetValue(30);
                  EXPECT_EQ(70, ThumbAt(zero));
                  EXPECT_EQ(30, zero.GetValue());
                  // A range that does not start at 0: every value comes back, the ends swap, and a
                  // written position is a value too.
                  CTEVElement& shifted = d.Get(L"shifted");
                  EXPECT_EQ(40, ThumbAt(shifted));
                  for (int value = 10; value <= 50; ++value) {
                      shifted.SetValue(value);
                      ASSERT_EQ(60 - value, ThumbAt(shifted));
                      ASSERT_EQ(value, shifted.GetValue());
                  }
                  // Mirroring a value far outside a wide range does not overflow: the thumb stops at the end.
                  CTEVElement& wide = d.Get(L"wide");
                  wide.SetValue(INT_MIN);
                  EXPECT_EQ(INT_MAX, ThumbAt(wide));
                  EXPECT_EQ(0, wide.GetValue());
              });
}

TEST_F(CustomControls, SlidersReportKeyboardMovesAsHscrollOrVscroll) {
    TestDialog dialog(engine, R"(<dialog><vbox><slider id="across" minValue="10" maxValue="20"/>
        <slider id="down" type="Vertical"/><slider id="mirrored" invert="true" pos="50"/></vbox></dialog>)");
    std::vector<int> values;
    dialog.Run([&](TestDialog& d) {
        EXPECT_EQ(10, d.Get(L"across").GetValue());
        EXPECT_EQ(Dlu(d.Hwnd(), 100, 14), MinSizeOf(d.Get(L"down")));
        PressKey(d.Get(L"across").Window(), VK_RIGHT);
        PressKey(d.Get(L"down").Window(), VK_DOWN);
        PressKey(d.Get(L"mirrored").Window(), VK_RIGHT);
        for (const wchar_t* id : {L"across", L"down", L"mirrored"}) {
            values.push_back(d.Get(id).GetValue());
        }
    });
    EXPECT_EQ((std::vector<int>{11, 1, 49}), values);
    for (const TestDialog::Event& event : dialog.events) {
        EXPECT_EQ(event.source == L"down" ? L"vscroll" : L"hscroll", event.name);
        EXPECT_EQ(0, event.lParam);
    }
    ASSERT_FALSE(dialog.events.empty());
    EXPECT_EQ(TB_LINEDOWN, LOWORD(dialog.events.front().wParam));
    EXPECT_GE(dialog.CountEvents(L"down", L"vscroll"), 1);
    EXPECT_GE(dialog.CountEvents(L"mirrored", L"hscroll"), 1);
}

TEST_F(CustomControls, SpinInATextBoxShowsItsPositionThereAndSitsBesideIt) {
    RunDialog(R"(<dialog border="resizing"><vbox hFlex="1">
        <textbox id="count" value="3" hFlex="1"><spin id="spin" lower="5" upper="9" pos="7"/></textbox>
        <textbox id="other"><spin id="left" buddyalign="LEFT" lower="-4"/></textbox>
        <textbox id="plain" hFlex="1"/></vbox></dialog>)",
              [&](TestDialog& d) {
                  EXPECT_EQ(L"7", TextOrNull(d.Get(L"count").GetText()));
                  EXPECT_EQ(L"-4", TextOrNull(d.Get(L"other").GetText())) << "no pos: the lower end";
                  EXPECT_TRUE(d.events.empty()) << "opening is no change by the user";
                  int lower = 0, upper = 0;
                  SendMessageW(d.Get(L"left").Window(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                               reinterpret_cast<LPARAM>(&upper));
                  EXPECT_EQ(INT_MAX, upper);
                  EXPECT_EQ(Dlu(d.Hwnd(), 11, 14), MinSizeOf(d.Get(L"spin")));

                  auto rectOf = [&](const wchar_t* id) { return d.ClientRectOf(id); };
                  EXPECT_LE(rectOf(L"left").right, rectOf(L"other").left + 2);
                  // Right of its text box at the column's edge, also after the dialog is resized, and
                  // the text box is not narrowed further by every layout.
                  const int width = rectOf(L"count").right - rectOf(L"count").left;
                  RECT window = {};
                  GetWindowRect(d.Hwnd(), &window);
                  for (int grow : {80, 0}) {
                      SetWindowPos(d.Hwnd(), nullptr, 0, 0, window.right - window.left + grow,
                                   window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
                      EXPECT_GE(rectOf(L"spin").left, rectOf(L"count").right - 2);
                      EXPECT_NEAR(rectOf(L"plain").right, rectOf(L"spin").right, 2);
                  }
                  EXPECT_EQ(width, rectOf(L"count").right - rectOf(L"count").left);
              });
}

TEST_F(CustomControls, SpinClicksFireVscrollAndKeepTheTextBoxInStep) {
    TestDialog dialog(engine, R"(<dialog><vbox>
        <textbox id="count"><spin id="spin" lower="5" upper="8" pos="7"/></textbox>
        <hbox><label id="before" value="Step"/><spin id="alone"/></hbox></vbox></dialog>)");
    std::vector<std::wstring> texts;
    dialog.Run([&](TestDialog& d) {
        CTEVElement& box = d.Get(L"count");
        for (int click = 0; click < 2; ++click) { // the second one at the upper end
            ClickUpArrow(d.Get(L"spin").Window());
            texts.push_back(TextOrNull(box.GetText()));
        }
        PressKey(box.Window(), VK_DOWN);
        texts.push_back(TextOrNull(box.GetText()));

        ClickUpArrow(d.Get(L"alone").Window());
        EXPECT_EQ(1, SendMessageW(d.Get(L"alone").Window(), UDM_GETPOS32, 0, 0));
        // Outside a text box the spin takes its own cell of the layout, after the label.
        EXPECT_EQ(d.ClientRectOf(L"before").top, d.ClientRectOf(L"alone").top);
        EXPECT_GT(d.ClientRectOf(L"alone").left, d.ClientRectOf(L"before").right);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"8", L"8", L"7"}), texts);
    EXPECT_GE(dialog.CountEvents(L"spin", L"vscroll"), 2);
    EXPECT_GE(dialog.CountEvents(L"count", L"changed"), 2);
    EXPECT_GE(dialog.CountEvents(L"alone", L"vscroll"), 1);
    for (const TestDialog::Event& event : dialog.events) {
        EXPECT_TRUE(event.name == L"changed" || (event.name == L"vscroll" && event.lParam == 0));
    }
}

TEST_F(CustomControls, PictureHasTheEngineDrawItsFileAtTheGivenSizeNotTheWindowSize) {
    TestDialog dialog(engine, R"(<dialog width="150" height="120"><vbox hFlex="1" vFlex="1">
        <picture id="logo" pic="images\logo.png" picWidth="40" picHeight="30" hFlex="1" vFlex="1"/>
        <picture id="unsized" pic="other.png" hFlex="1" vFlex="1"/><picture id="nofile" picWidth="9" picHeight="9"/></vbox></dialog>)");
    std::vector<COLORREF> pixels; // inside the image's corners, beside and below it, unsized
    dialog.Run([&](TestDialog& d) {
        EXPECT_EQ((SIZE{40, 30}), MinSizeOf(d.Get(L"logo")));
        EXPECT_EQ((SIZE{0, 0}), MinSizeOf(d.Get(L"unsized")));
        engine.calls.clear();
        HWND logo = d.Get(L"logo").Window();
        for (POINT at : {POINT{0, 0}, POINT{39, 29}, POINT{41, 5}, POINT{5, 31}}) {
            pixels.push_back(RepaintAndReadPixel(logo, at.x, at.y));
        }
        pixels.push_back(RepaintAndReadPixel(d.Get(L"unsized").Window(), 10, 10));
        RepaintAndReadPixel(d.Get(L"nofile").Window(), 0, 0);
    });
    ASSERT_EQ(6u, engine.calls.size());
    EXPECT_EQ(L"images\\logo.png", engine.calls[0].second);
    EXPECT_EQ((RECT{0, 0, 40, 30}), engine.calls[0].first);
    EXPECT_EQ(L"other.png", engine.calls[4].second);
    EXPECT_EQ((RECT{0, 0, 0, 0}), engine.calls[4].first);
    EXPECT_EQ(L"<null>", engine.calls[5].second);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ((std::vector<COLORREF>{kImageColour, kImageColour, face, face, face}), pixels);
}

TEST_F(CustomControls, FreeDrawHandsItsPaintDeviceContextAndClientRectangleToTheDialog) {
    DrawingDialog dialog(engine, R"(<dialog><vbox><freedraw id="area" width="60" height="30"/>
        <freedraw id="undrawn"/></vbox></dialog>)");
    RECT client = {};
    COLORREF corner = 0, undrawn = 0;
    dialog.Run([&](TestDialog& d) {
        EXPECT_EQ(Dlu(d.Hwnd(), 60, 30), MinSizeOf(d.Get(L"area")));
        EXPECT_EQ(Dlu(d.Hwnd(), 14, 14), MinSizeOf(d.Get(L"undrawn")));
        HWND area = d.Get(L"area").Window();
        GetClientRect(area, &client);
        static_cast<DrawingDialog&>(d).drawnRects.clear();
        corner = RepaintAndReadPixel(area, client.right - 1, client.bottom - 1);
        undrawn = RepaintAndReadPixel(d.Get(L"undrawn").Window(), 2, 2);
    });
    ASSERT_EQ(1u, dialog.drawnRects.size());
    EXPECT_EQ(client, dialog.drawnRects[0]);
    EXPECT_EQ(kDrawnColour, corner);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), undrawn);
    EXPECT_GE(dialog.CountEvents(L"undrawn", L"freedraw"), 1);
}

// A window may outlive the element that made it; painting it afterwards must reach nothing.
TEST_F(CustomControls, WindowsOutlivingTheirElementsPaintWithoutThem) {
    RunDialog(R"(<dialog><label value="host"/></dialog>)", [&](TestDialog& d) {
        auto picture = std::make_unique<CTEVPicture>(&d, &engine);
        auto area = std::make_unique<CTEVFreeDraw>(&d, &engine);
        picture->Create();
        area->Create();
        HWND windows[] = {picture->Window(), area->Window()};
        EXPECT_EQ(picture.get(), GetPropW(windows[0], L"tevpicture_this"));
        EXPECT_EQ(area.get(), GetPropW(windows[1], L"CTEVFreeDrawThis"));
        picture.reset();
        area.reset();
        engine.calls.clear();
        d.events.clear();
        for (HWND window : windows) {
            SetWindowPos(window, nullptr, 0, 0, 20, 20, SWP_NOZORDER | SWP_NOMOVE);
            RepaintAndReadPixel(window, 0, 0);
        }
        EXPECT_TRUE(engine.calls.empty());
        EXPECT_TRUE(d.events.empty());
    });
}

TEST_F(CustomControls, AllFourInOneDialogScreenshot) {
    DrawingDialog dialog(engine, R"(<dialog caption="Slider, spin, picture, free draw" orient="vertical">
        <slider id="slider" autoTics="true" ticFreq="10" pos="30" hFlex="1"/>
        <hbox><label value="Count"/><textbox id="count"><spin lower="1" upper="20" pos="4"/></textbox></hbox>
        <hbox><picture id="logo" pic="logo.png" picWidth="48" picHeight="32"/><freedraw id="area" width="60" height="24"
              hFlex="1"/></hbox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        const Screenshot shot = SaveScreenshot(d.Hwnd(), L"custom-controls");
        EXPECT_TRUE(shot.written);
        EXPECT_EQ(kDrawnColour, shot.Within(d.Get(L"area").Window()));
        EXPECT_EQ(kImageColour, shot.Within(d.Get(L"logo").Window(), 0.1, 0.1));
    });
}

TEST_F(CustomControls, ElementsInsideThemGetNoWindows) {
    for (const char* tag : {"slider", "spin", "picture", "freedraw"}) {
        RunDialog(std::string("<dialog><") + tag + R"( id="outer"><button id="inner" label="x"/></)" + tag +
                      "></dialog>",
                  [&](TestDialog& d) {
                      EXPECT_NE(nullptr, d.Get(L"outer").Window()) << tag;
                      EXPECT_EQ(nullptr, d.Get(L"inner").Window()) << tag;
                  });
    }
}

TEST_F(CustomControls, HostileSliderRangesOpenQuicklyAndKeepValuesInRange) {
    // An overflowing range crashed inside the control, a reversed one divided by zero at SetValue,
    // and a tick per value of fifty million took a minute.
    const struct {
        const char* attributes;
        int set, got;
    } cases[] = {
        {R"(autoTics="true" minValue="-2147483647" maxValue="25")", -5, -5},
        {R"(autoTics="true" maxValue="50000000")", 7, 7},
        {R"(minValue="10" maxValue="0")", 4, 4},
        {R"(minValue="10" maxValue="0" invert="true")", 3, 3},
        {R"(autoTics="true" ticFreq="1" minValue="-2147483648" maxValue="2147483647")", 2147483647,
         2147483647},
    };
    for (const auto& c : cases) {
        int got = 0;
        LRESULT ticks = 0;
        const double seconds = SecondsToRun([&] {
            RunDialog(std::string("<dialog><slider id=\"s\" ") + c.attributes + "/></dialog>",
                      [&](TestDialog& d) {
                          CTEVElement& slider = d.Get(L"s");
                          slider.SetValue(c.set);
                          got = slider.GetValue();
                          ticks = SendMessageW(slider.Window(), TBM_GETNUMTICS, 0, 0);
                      });
        });
        EXPECT_EQ(c.got, got) << c.attributes;
        EXPECT_LT(seconds, 2.0) << c.attributes;
        EXPECT_LT(ticks, 5000) << c.attributes;
    }
}
