// The hotkey field in real dialogs: keystrokes sent as the keyboard sends them and routed as the
// dialog's loop routes them, the names shown, the value interface, caret and frame.
#include "CTEVHotkey.h"
#include "ControlMeasures.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

namespace {

struct Stroke {
    UINT message;
    UINT vk;
    bool extended = false;
    bool scanned = true; // false: a message without a scan code, as some synthesised input is
};

Stroke Down(UINT vk, bool extended = false) {
    return {vk == VK_MENU ? UINT(WM_SYSKEYDOWN) : UINT(WM_KEYDOWN), vk, extended};
}
Stroke Up(UINT vk) {
    return {vk == VK_MENU ? UINT(WM_SYSKEYUP) : UINT(WM_KEYUP), vk};
}

// Builds the message's lParam as the keyboard does and hands it to the dialog as its loop would.
void Send(HWND dialog, HWND field, const Stroke& s) {
    const bool up = s.message == WM_KEYUP || s.message == WM_SYSKEYUP;
    const bool alt = s.message == WM_SYSKEYDOWN || s.message == WM_SYSKEYUP;
    const LPARAM lParam = 1 | (s.scanned ? MapVirtualKeyW(s.vk, MAPVK_VK_TO_VSC) << 16 : 0) |
                          (s.extended ? 1 << 24 : 0) | (alt ? 1 << 29 : 0) | (up ? 0xC0000000 : 0);
    MSG msg = {field, s.message, s.vk, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    if (!IsDialogMessageW(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The platform's name of a key, where platforms name it differently ("Esc", "Escape").
std::wstring KeyName(UINT vk) {
    wchar_t name[256] = L"";
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16), name, 256);
    return name;
}

const char kFieldDialog[] = R"(<dialog><hbox><label value="Shortcut:"/><hotkey id="key" hFlex="1"/>
    <textbox id="other"/><button id="ok" dlgType="accept" label="OK"/></hbox></dialog>)";

class Hotkey : public EngineTest<> {};

} // namespace

TEST_F(Hotkey, CapturesAndNamesTheKeysPressedInIt) {
    const Stroke unscanned = {WM_KEYDOWN, VK_F6, false, false};
    const struct {
        const char* what;
        std::vector<Stroke> strokes;
        int value;
        const wchar_t* text;
    } cases[] = {
        {"Ctrl, Shift, F5, all released",
         {Down(VK_CONTROL), Down(VK_SHIFT), Down(VK_F5), Up(VK_F5), Up(VK_SHIFT), Up(VK_CONTROL)},
         0x0374,
         L"Ctrl + Shift + F5"},
        {"Ctrl held alone", {Down(VK_CONTROL)}, 0x0200, L"Ctrl + "},
        {"Ctrl pressed and released", {Down(VK_CONTROL), Up(VK_CONTROL)}, 0, L"None"},
        {"Alt after a complete combination",
         {Down(VK_CONTROL), Down(VK_F5), Up(VK_F5), Up(VK_CONTROL), Down(VK_MENU)},
         0x0400,
         L"Alt + "},
        {"a second key replaces the first", {Down(VK_CONTROL), Down('A'), Down('B')}, 0x0242, L"Ctrl + B"},
        {"an extended key", {Down(VK_SHIFT), Down(VK_RIGHT, true)}, 0x0927, L"Shift + Right"},
        {"a plain key after an extended one", {Down(VK_RIGHT, true), Down(VK_F5)}, 0x0074, L"F5"},
        {"the Windows key", {Down(VK_LWIN, true), Down('E'), Up('E'), Up(VK_LWIN)}, 0x2045, L"Win + E"},
        {"Enter", {Down(VK_RETURN)}, VK_RETURN, nullptr},
        {"a keystroke without scan code", {Down(VK_CONTROL), Down(VK_F5), unscanned}, 0x0274, L"Ctrl + F5"},
    };
    RunDialog(kFieldDialog, [&](TestDialog& d) {
        auto& field = d.As<CTEVHotkey>(L"key");
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            SetFocus(field.Window());
            field.SetValue(0);
            d.events.clear();
            for (const Stroke& stroke : c.strokes) {
                Send(d.Hwnd(), field.Window(), stroke);
            }
            EXPECT_EQ(c.value, field.GetValue());
            EXPECT_EQ(c.text ? c.text : KeyName(VK_RETURN), field.DisplayText());
            // Every keystroke that reaches the field is a change, whether or not the value moved.
            EXPECT_EQ(static_cast<int>(c.strokes.size()), d.CountEvents(L"key", L"changed"));
            // Enter is a key here: the focus stays and the dialog stays open.
            EXPECT_EQ(field.Window(), GetFocus());
            EXPECT_TRUE(IsWindowVisible(d.Hwnd()));
        }
    });
}

TEST_F(Hotkey, TabShiftTabAndEscapeLeaveTheFieldAndAltF4ClosesButWithCtrlTheyAreKeys) {
    const struct {
        const char* what;
        UINT modifier; // held from before the key; 0 for none
        Stroke key;
        const wchar_t* focus;   // the element with the focus afterwards
        int value;              // from Ctrl + A
        std::vector<int> close; // the codes the dialog was asked to close with
    } cases[] = {
        {"Tab", 0, Down(VK_TAB), L"other", 0x0241, {}},
        {"Shift+Tab, whose Shift drops no hotkey", VK_SHIFT, Down(VK_TAB), L"ok", 0x0241, {}},
        {"Escape", 0, Down(VK_ESCAPE), L"key", 0x0241, {IDCANCEL}},
        {"Ctrl+Tab", VK_CONTROL, Down(VK_TAB), L"key", 0x0209, {}},
        {"Ctrl+Escape", VK_CONTROL, Down(VK_ESCAPE), L"key", 0x021B, {}},
        {"Alt+F4", VK_MENU, {WM_SYSKEYDOWN, VK_F4}, L"key", 0x0400, {0}},
    };
    RunDialog(kFieldDialog, [&](TestDialog& d) {
        auto& field = d.As<CTEVHotkey>(L"key");
        d.canClose = [](int) { return FALSE; };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            SetFocus(field.Window());
            field.SetValue(0x0241);
            d.closeRequests.clear();
            if (c.modifier) {
                HoldModifiers({static_cast<int>(c.modifier)});
                Send(d.Hwnd(), field.Window(), Down(c.modifier));
            }
            Send(d.Hwnd(), GetFocus(), c.key);
            HoldModifiers({});
            // Alt+F4 closes through a posted system command.
            MSG posted = {};
            while (PeekMessageW(&posted, d.Hwnd(), 0, 0, PM_REMOVE)) {
                DispatchMessageW(&posted);
            }
            EXPECT_EQ(d.Get(c.focus).Window(), GetFocus());
            EXPECT_EQ(c.value, field.GetValue());
            EXPECT_EQ(c.close, d.closeRequests);
        }
    });
}

TEST_F(Hotkey, ValueRoundTripsWithoutEventsCaretFollowsTextFrameIsDrawn) {
    RunDialog(kFieldDialog, [&](TestDialog& d) {
        auto& field = d.As<CTEVHotkey>(L"key");
        EXPECT_EQ(L"None", field.DisplayText());
        const struct {
            int set;
            int value;
            const wchar_t* text;
        } cases[] = {
            {0x12374, 0x2374, L"Ctrl + Shift + Win + F5"}, // only the low 16 bits count
            {0x0907, 0x0907, L"Shift + #7"},               // a key without a name
            {0x0800, 0x0800, L""},                         // a flag without key names nothing
            {0, 0, L"None"},
        };
        for (const auto& c : cases) {
            field.SetValue(c.set);
            EXPECT_EQ(c.value, field.GetValue());
            EXPECT_EQ(c.text, field.DisplayText());
            // The window's own messages do the same.
            SendMessageW(field.Window(), CTEVHotkey::kSetValueMessage, static_cast<WPARAM>(c.set), 0);
            EXPECT_EQ(c.value, SendMessageW(field.Window(), CTEVHotkey::kGetValueMessage, 0, 0));
            EXPECT_EQ(c.text, field.DisplayText());
        }
        EXPECT_TRUE(d.events.empty());

        // Setting the value of a field without focus moves no caret.
        CTEVElement& other = d.Get(L"other");
        SetFocus(other.Window());
        TypeInto(d, L"other", L"some text");
        SendMessageW(other.Window(), EM_SETSEL, 4, 4);
        POINT before = {}, after = {};
        GetCaretPos(&before);
        field.SetValue(0x0374);
        GetCaretPos(&after);
        EXPECT_EQ(before.x, after.x);

        // With focus the caret stands after the text.
        SetFocus(field.Window());
        GetCaretPos(&before);
        field.SetValue(0x0041);
        GetCaretPos(&after);
        EXPECT_EQ(4 + TextExtent(field.Window(), L"Ctrl + Shift + F5").cx, before.x);
        EXPECT_LT(after.x, before.x);

        // The themed edit frame, and without visual styles a plain grey one, around the window colour.
        field.SetValue(0x0374);
        RECT place = {};
        GetWindowRect(field.Window(), &place);
        const Screenshot themed = SaveScreenshot(d.Hwnd(), L"hotkey");
        ASSERT_TRUE(themed.written);
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), themed.At({place.right - 6, (place.top + place.bottom) / 2}));
        SetWindowTheme(field.Window(), L" ", L" ");
        const Screenshot plain = SaveScreenshot(d.Hwnd(), L"hotkey-plain");
        EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), plain.At({place.left, place.top + 3}));
        EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), plain.At({place.right - 1, place.bottom - 3}));
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), plain.At({place.right - 6, (place.top + place.bottom) / 2}));
    });
}

TEST_F(Hotkey, NamesNoneAndTheModifiersFromTheStringTableWhereItHasThem) {
    engine.AddString(L"hotkeyNone", nullptr, L"Keine");
    engine.AddString(L"hotkeyCtrl", nullptr, L"Strg + ");
    engine.AddString(L"hotkeyShift", nullptr, L"Umschalt + ");
    engine.AddString(L"hotkeyWin", L"label", L"not this one: it has an attribute");
    const struct {
        WORD value;
        std::wstring shown;
    } cases[] = {
        {0, L"Keine"},
        {CTEVHotkey::kCtrl | CTEVHotkey::kShift, L"Strg + Umschalt + "},
        {CTEVHotkey::kAlt | CTEVHotkey::kWin, L"Alt + Win + "}, // untranslated: English
        {CTEVHotkey::kCtrl | VK_F5, L"Strg + " + KeyName(VK_F5)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.shown, CTEVHotkey::TextOf(c.value, &engine)) << c.value;
    }
    RunDialog(kFieldDialog,
              [](TestDialog& d) { EXPECT_EQ(L"Keine", d.As<CTEVHotkey>(L"key").DisplayText()); });
}
