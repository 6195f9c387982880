// Colour buttons in real dialogs: their palette driven by mouse and keyboard, the platform's
// colour dialog, the palette's end with its dialog, and what both windows paint.
#include "CTEVColor.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using ColourButtons = EngineTest<>;

const char kTwoButtons[] = R"(<dialog caption="Colours"><hbox><color id="plain"/>
    <color id="none" enableNone="true"/></hbox></dialog>)";

HWND OpenPalette(CTEVColor& button) {
    SendMessageW(button.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    return button.Picker().Window();
}

LPARAM At(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

// The palette object behind an open palette window: its parts' places depend on its DPI.
const CTEVColorPicker& Picker(HWND palette) {
    return *static_cast<const CTEVColorPicker*>(GetPropW(palette, L"clrpick_this"));
}

POINT CellCentre(HWND palette, int column, int row) {
    const RECT cell = Picker(palette).CellRect(column, row);
    return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

POINT NoColourButton(HWND palette) {
    RECT client = {};
    GetClientRect(palette, &client);
    const RECT none = Picker(palette).NoColourRect(client);
    return {(none.left + none.right) / 2, (none.top + none.bottom) / 2};
}

void Keys(HWND window, std::initializer_list<UINT> keys) {
    for (UINT key : keys) {
        SendMessageW(window, WM_KEYDOWN, key, 1);
    }
}

// Dispatches what is waiting for window, such as the colour dialog request the palette posts.
void DispatchPending(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

} // namespace

TEST_F(ColourButtons, PaletteTakesAColourByMouseOrKeyboardAndFiresChangedOncePerChoice) {
    struct Case {
        const char* what;
        const wchar_t* id;
        std::function<void(HWND palette)> act;
        int expected;   // the value afterwards
        bool chosen;    // "changed" fired
        bool staysOpen; // the palette is still open
    };
    const Case cases[] = {
        {"mouse over a cell, then a click", L"plain",
         [](HWND p) {
             SendMessageW(p, WM_MOUSEMOVE, 0, At(CellCentre(p, 2, 1)));
             SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, At(CellCentre(p, 2, 1)));
         },
         RGB(153, 51, 255), true, false},
        {"arrows from the button's own colour, then Enter", L"plain",
         [](HWND p) {
             Keys(p, {VK_RIGHT, VK_DOWN, VK_RETURN});
         },
         RGB(102, 102, 255), true},
        {"to the last grey by keyboard", L"plain",
         [](HWND p) {
             Keys(p, {VK_END, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                      VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_SPACE});
         },
         RGB(255, 255, 255), true, false},
        {"a click without moving takes the opening colour", L"plain",
         [](HWND p) { SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, At(CellCentre(p, 0, 0))); },
         RGB(255, 255, 255), true, false},
        {"the top strip keeps the palette open", L"plain",
         [](HWND p) { SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 8)); }, RGB(255, 255, 255),
         false, true},
        {"no no-colour button without enableNone", L"plain",
         [](HWND p) { SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, At(NoColourButton(p))); },
         RGB(255, 255, 255), false, true},
        {"Escape closes without a choice", L"plain",
         [](HWND p) {
             Keys(p, {VK_LEFT, VK_ESCAPE});
         },
         RGB(255, 255, 255), false, false},
        {"a click outside closes without a choice", L"plain",
         [](HWND p) { SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-20, 300)); },
         RGB(255, 255, 255), false, false},
        {"the no-colour button", L"none",
         [](HWND p) {
             SendMessageW(p, WM_MOUSEMOVE, 0, At(CellCentre(p, 5, 5)));
             SendMessageW(p, WM_LBUTTONDOWN, MK_LBUTTON, At(NoColourButton(p)));
         },
         -1, true, false},
    };
    RunDialog(kTwoButtons, [&](TestDialog& d) {
        CTEVColor& plain = d.As<CTEVColor>(L"plain");
        EXPECT_EQ(-1, plain.GetValue());
        plain.SetValue(RGB(153, 51, 255)); // no event: only the user's choices are changes
        d.As<CTEVColor>(L"none").SetValue(RGB(0, 0, 0));
        EXPECT_EQ(&plain, GetPropW(plain.Window(), L"CTEVColorThis"));
        SendMessageW(plain.Window(), WM_KEYDOWN, VK_SPACE, 1); // a tab stop opens by keyboard too
        EXPECT_TRUE(plain.Picker().Window());
        plain.Picker().Close();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            CTEVColor& button = d.As<CTEVColor>(c.id);
            const size_t eventsBefore = d.events.size();
            HWND palette = OpenPalette(button);
            ASSERT_TRUE(palette && IsWindowVisible(palette));
            EXPECT_EQ(&button.Picker(), GetPropW(palette, L"clrpick_this"));
            EXPECT_EQ(d.Hwnd(), GetWindow(palette, GW_OWNER));
            RECT place = {}, below = {};
            GetWindowRect(palette, &place);
            GetWindowRect(button.Window(), &below);
            EXPECT_EQ((RECT{below.left, below.bottom, below.left + 275, below.bottom + 249}), place);

            c.act(palette);
            EXPECT_EQ(c.expected, button.GetValue());
            EXPECT_EQ(c.chosen ? 1u : 0u, d.events.size() - eventsBefore);
            if (c.chosen) {
                EXPECT_EQ(L"changed", d.events.back().name);
                EXPECT_EQ(c.id, d.events.back().source);
            }
            EXPECT_EQ(c.staysOpen, IsWindow(palette) != FALSE);
            button.Picker().Close();
            EXPECT_EQ(nullptr, button.Picker().Window());
            EXPECT_EQ(d.Hwnd(), GetActiveWindow()) << "the dialog is active again";
        }
    });
}

TEST_F(ColourButtons, MoreColoursRunsThePlatformColourDialog) {
    struct Case {
        int commandId;
        int expected;
        size_t events;
    };
    const Case cases[] = {{IDOK, RGB(200, 20, 30), 1}, {IDCANCEL, RGB(200, 20, 30), 1}};
    RunDialog(kTwoButtons, [&](TestDialog& d) {
        CTEVColor& button = d.As<CTEVColor>(L"plain");
        button.SetValue(RGB(10, 20, 30));
        for (const Case& c : cases) {
            HWND palette = OpenPalette(button);
            RECT client = {};
            GetClientRect(palette, &client);
            const RECT more = button.Picker().MoreColoursRect(client);
            HWND answered = nullptr;
            RunSoon(
                [&] {
                    answered = FindOwnedDialog(d.Hwnd());
                    ASSERT_TRUE(answered) << "no colour dialog";
                    SetDlgItemTextW(answered, 706, L"200"); // the red component
                    PressButton(answered, c.commandId);
                },
                100);
            SendMessageW(palette, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(more.left + 5, more.top + 5));
            EXPECT_FALSE(IsWindow(palette));
            DispatchPending(button.Window());
            EXPECT_TRUE(answered);
            EXPECT_EQ(c.expected, button.GetValue());
            EXPECT_EQ(c.events, d.events.size());
        }
    });
}

TEST_F(ColourButtons, PaletteClosesWhenItsDialogEndsOrItLosesActivation) {
    struct Ending {
        const char* what;
        std::function<void(TestDialog&)> end;
        bool atOnce; // gone before the dialog is, or only with the dialog's window
    };
    const Ending endings[] = {
        {"the dialog ends", [](TestDialog& d) { EndDialog(d.Hwnd(), IDCANCEL); }, false},
        {"the dialog is activated", [](TestDialog& d) { SetActiveWindow(d.Hwnd()); }, true},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.what);
        TestDialog dialog(engine, kTwoButtons);
        HWND palette = nullptr;
        CTEVColor* button = nullptr;
        dialog.Run([&](TestDialog& d) {
            button = &d.As<CTEVColor>(L"plain");
            palette = OpenPalette(*button);
            ASSERT_TRUE(IsWindowVisible(palette));
            ending.end(d);
            EXPECT_EQ(!ending.atOnce, IsWindow(palette) != FALSE);
        });
        EXPECT_FALSE(IsWindow(palette));
        ASSERT_TRUE(button);
        EXPECT_EQ(nullptr, button->Picker().Window());
        EXPECT_TRUE(dialog.events.empty());
    }

    // An element that dies with its palette open takes the palette with it.
    RunDialog(kTwoButtons, [&](TestDialog& d) {
        auto loose = std::make_unique<CTEVColor>(&d, &engine);
        loose->Create();
        HWND palette = OpenPalette(*loose);
        ASSERT_TRUE(IsWindowVisible(palette));
        loose.reset();
        EXPECT_FALSE(IsWindow(palette));
    });
}

TEST_F(ColourButtons, SwatchesAndOpenPaletteScreenshots) {
    RunDialog(
        R"(<dialog caption="Colours"><hbox><color id="red"/><color id="unset"/></hbox></dialog>)",
        [&](TestDialog& d) {
            CTEVColor& red = d.As<CTEVColor>(L"red");
            red.SetValue(RGB(255, 0, 0));
            const Screenshot buttons = SaveScreenshot(d.Hwnd(), L"colour-buttons");
            EXPECT_TRUE(buttons.written);
            EXPECT_EQ(RGB(255, 0, 0), buttons.Within(red.Window(), 0.4, 0.4));
            // No colour: light grey, crossed from bottom-left to top-right in red.
            EXPECT_EQ(RGB(204, 204, 204), buttons.Within(d.Get(L"unset").Window(), 0.3, 0.3));

            HWND palette = OpenPalette(red);
            SendMessageW(palette, WM_MOUSEMOVE, 0, At(CellCentre(palette, 4, 7)));
            const Screenshot open = SaveScreenshot(palette, L"colour-palette");
            EXPECT_TRUE(open.written);
            POINT origin = {0, 0};
            ClientToScreen(palette, &origin);
            auto pixel = [&](int x, int y) { return open.At({origin.x + x, origin.y + y}); };
            const COLORREF hovered = RGB(51, 204, 102);
            const RECT hot = red.Picker().CellRect(4, 7);
            EXPECT_EQ(hovered, pixel(hot.left + 8, hot.top + 8));
            EXPECT_EQ(RGB(255, 255, 255), pixel(hot.left, hot.top + 8)) << "the hot frame";
            EXPECT_EQ(hovered, pixel(10, 10)) << "the preview";
            EXPECT_EQ(RGB(125, 125, 125), pixel(CellCentre(palette, 7, 13).x, CellCentre(palette, 7, 13).y))
                << "a grey";
        });
}
