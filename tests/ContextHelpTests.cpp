// Context help in real dialogs: F1 shows the control's tip in a popup beside the control on the
// work area; the popup goes at the next key, click or focus loss; tips are translated through the
// string table; "openhelp" hands its topic to the engine.
#include "../fuzz/HtmlFuzzInputs.h" // CountGdiObjects
#include "CMyTEVEngine.h"
#include "CTEVContextHelp.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

// Records what the popup and "openhelp" ask of the engine.
class HelpEngine : public CTEVEngine {
public:
    HelpEngine() : CTEVEngine(GetModuleHandleW(nullptr)) {}
    void OpenHelp(HWND owner, const wchar_t* topic, int reserved) override {
        help.push_back({owner, topic, reserved});
    }
    void DrawImage(HDC, int x, int y, int cx, int cy, const wchar_t* file) override {
        pictures.push_back({RECT{x, y, x + cx, y + cy}, file});
    }
    std::vector<std::tuple<HWND, std::wstring, int>> help;
    std::vector<std::pair<RECT, std::wstring>> pictures;
};

BOOL CALLBACK CollectPopup(HWND window, LPARAM found) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (wcscmp(name, L"TEV_CONTEXTHELP_CLASS") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> Popups() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}
HWND Popup() {
    const std::vector<HWND> popups = Popups();
    return popups.size() == 1 ? popups[0] : nullptr;
}

// A key as the keyboard sends it to the focus window, and the messages it causes.
void PressKey(WORD key) {
    INPUT input[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    for (DWORD start = GetTickCount(); GetTickCount() - start < 150; Sleep(5)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
void PressF1On(TestDialog& dialog, const wchar_t* id) {
    SetForegroundWindow(dialog.Hwnd());
    SetFocus(dialog.Get(id).Window());
    PressKey(VK_F1);
}
// What the caption's "?" button followed by a click on the control sends.
void AskHelpOn(TestDialog& dialog, HWND control) {
    HELPINFO info = {sizeof(info), HELPINFO_WINDOW, GetDlgCtrlID(control), control, 0, {0, 0}};
    SendMessageW(dialog.Hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}
// Moves the dialog so that the control's top-left corner lands at (x, y) on the screen.
void MoveControlTo(TestDialog& dialog, HWND control, int x, int y) {
    const RECT at = ScreenRect(control), window = ScreenRect(dialog.Hwnd());
    SetWindowPos(dialog.Hwnd(), nullptr, window.left + x - at.left, window.top + y - at.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
bool HasPixel(HWND window, COLORREF colour) {
    const RECT rect = ScreenRect(window);
    WindowDC screen(nullptr);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (GetPixel(screen.Get(), x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

CTEVContextHelp& HelpOf(TestDialog& dialog) {
    return dynamic_cast<CTEVContextHelp&>(*dialog.ContextHelp());
}

const char kDialog[] = R"xml(<dialog caption="Help" centerScreen="true" orient="vertical">
  <textbox id="album" value="C:\Photos" width="120"/>
  <hbox><button id="go" label="Go"/><button label="No id"/>
    <combobox id="kind" editable="true"><listitem label="a"/></combobox></hbox>
  <contexthelp>
    <tip control="album"><![CDATA[The <b>album</b> folder:
      <table border="1"><tr><td bgcolor="#00C000">where</td><td>photos live</td></tr></table>]]></tip>
    <tip control="ALBUM">a second tip for the same control</tip>
    <tip control="go" img="logo.png" imgWidth="32" imgHeight="90">Starts.</tip>
    <tip control="nothing">no such control</tip>
    <tip control="kind">Kind</tip>
  </contexthelp></dialog>)xml";

class ContextHelp : public testing::Test {
protected:
    HelpEngine engine;
    TestDialog dialog{engine, kDialog};
};

TEST_F(ContextHelp, F1ShowsTheFirstTipAboveTheControlPaintedWithoutLeaksAndAKeyClosesIt) {
    dialog.Run([&](TestDialog& d) {
        PressF1On(d, L"album");
        HWND popup = Popup();
        ASSERT_NE(nullptr, popup);
        EXPECT_EQ(&HelpOf(d), GetPropW(popup, L"tevctxhelp_this"));
        EXPECT_EQ(0, HelpOf(d).Current());
        const RECT control = ScreenRect(d.Get(L"album").Window()), shown = ScreenRect(popup);
        EXPECT_EQ(control.left, shown.left);
        EXPECT_EQ(control.top - 5, shown.bottom);
        SaveScreenshot(popup, L"context-help-popup");
        EXPECT_TRUE(HasPixel(popup, RGB(0, 0xC0, 0))) << "the table cell's background";
        WindowDC screen(nullptr);
        EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), GetPixel(screen.Get(), shown.left, shown.top)); // frame

        const DWORD objects = CountGdiObjects();
        for (int i = 0; i < 20; ++i) {
            RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        EXPECT_EQ(objects, CountGdiObjects());

        PressKey(VK_SPACE);
        EXPECT_FALSE(IsWindow(popup));
        EXPECT_EQ(d.Hwnd(), GetActiveWindow());
    });
}

TEST_F(ContextHelp, NearTheTopItGoesBelowAndAtTheSidesItStaysInsideTheWorkArea) {
    dialog.Run([&](TestDialog& d) {
        HWND album = d.Get(L"album").Window();
        MONITORINFO monitor = {sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(d.Hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT work = monitor.rcWork;
        MoveControlTo(d, album, 200, work.top + 2);
        AskHelpOn(d, album);
        EXPECT_EQ(ScreenRect(album).bottom + 5, ScreenRect(Popup()).top);
        MoveControlTo(d, album, work.right - 5, 300);
        AskHelpOn(d, album);
        EXPECT_EQ(work.right - 5, ScreenRect(Popup()).right);
        MoveControlTo(d, album, work.left - 60, 300);
        AskHelpOn(d, album);
        EXPECT_EQ(work.left + 5, ScreenRect(Popup()).left);
        // The picture sits in the margin; being taller than the text, it sets the height.
        AskHelpOn(d, d.Get(L"go").Window());
        UpdateWindow(Popup());
        EXPECT_EQ(90 + 20, ScreenRect(Popup()).bottom - ScreenRect(Popup()).top);
    });
    ASSERT_EQ(1u, engine.pictures.size());
    EXPECT_EQ((RECT{10, 10, 42, 100}), engine.pictures[0].first);
}

TEST_F(ContextHelp, NoPopupWithoutATipAndOneAtATimeUntilAClickOrFocusLoss) {
    dialog.Run([&](TestDialog& d) {
        HWND noId = d.Get(L"go").Parent()->Child(1)->Window();
        AskHelpOn(d, noId);
        AskHelpOn(d, d.Hwnd());
        EXPECT_TRUE(Popups().empty());
        HWND first = (AskHelpOn(d, d.Get(L"album").Window()), Popup());
        AskHelpOn(d, FindWindowExW(d.Get(L"kind").Window(), nullptr, L"Edit", nullptr));
        EXPECT_FALSE(IsWindow(first));
        EXPECT_EQ(1u, Popups().size());
        EXPECT_EQ(4, HelpOf(d).Current()) << "the edit field inside the combo box is the combo box";
        AskHelpOn(d, noId);
        EXPECT_TRUE(Popups().empty()) << "an open popup closes even when the next control has none";
        AskHelpOn(d, d.Get(L"go").Window());
        SendMessageW(Popup(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_TRUE(Popups().empty()) << "click";
        AskHelpOn(d, d.Get(L"go").Window());
        SetFocus(d.Get(L"album").Window());
        EXPECT_TRUE(Popups().empty()) << "focus loss";
        AskHelpOn(d, d.Get(L"go").Window()); // left open: it goes with the dialog
    });
    EXPECT_TRUE(Popups().empty());

    TestDialog noTips(engine, "<dialog><textbox id=\"album\"/></dialog>");
    noTips.Run([&](TestDialog& d) {
        PressF1On(d, L"album");
        EXPECT_TRUE(Popups().empty());
    });
}

TEST_F(ContextHelp, TheDemoOptionsDialogPreviewsItsTipInGerman) {
    const std::wstring demo = TEV_DEMO_PATH;
    CMyTEVEngine preview((demo + L"\\projects\\demo\\tevproject.xml").c_str(), GetModuleHandleW(nullptr));
    preview.LoadStrings((demo + L"\\1031\\demo\\strings.xml").c_str());
    TestDialog options(preview, (demo + L"\\projects\\demo\\options.xml").c_str());
    options.Run([&](TestDialog& d) {
        PressF1On(d, L"folder");
        ASSERT_NE(nullptr, Popup());
        SaveScreenshot(Popup(), L"context-help-demo-german");
    });
    ASSERT_EQ(1u, HelpOf(options).Tips().size());
    EXPECT_EQ(L"Der Ordner, in dem <b>neue Alben</b> abgelegt werden.", HelpOf(options).Tips()[0].text);
}

// A tip near the drawer's million-character limit: what the work area cannot show is neither built
// nor laid out, however deep in the markup the text lies.
TEST_F(ContextHelp, ATipOfAMillionCharactersOpensAtOnceAndNoLargerThanTheWorkArea) {
    std::string words;
    while (words.size() < 1'000'000) {
        words += "word <b>bold</b> &amp; ";
    }
    const struct {
        const char* name;
        std::string tip;
    } cases[] = {
        {"flowing text", words},
        {"one quotation", "<blockquote>" + words + "</blockquote>"},
        {"one table cell", "<table><tr><td>" + words + "</td></tr></table>"},
    };
    for (const auto& c : cases) {
        TestDialog huge(engine, "<dialog><textbox id=\"t\"/><contexthelp><tip control=\"t\"><![CDATA[" +
                                    c.tip + "]]></tip></contexthelp></dialog>");
        huge.Run([&](TestDialog& d) {
            const double seconds = SecondsToRun([&] { AskHelpOn(d, d.Get(L"t").Window()); });
            EXPECT_LT(seconds, 0.5) << c.name;
            ASSERT_NE(nullptr, Popup()) << c.name;
            MONITORINFO monitor = {sizeof(monitor)};
            GetMonitorInfoW(MonitorFromWindow(d.Hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
            const RECT shown = ScreenRect(Popup());
            EXPECT_LE(shown.bottom - shown.top, monitor.rcWork.bottom - monitor.rcWork.top) << c.name;
            UpdateWindow(Popup());
            EXPECT_TRUE(HasPixel(Popup(), GetSysColor(COLOR_INFOTEXT))) << c.name << ": the text shows";
        });
    }
}

TEST_F(ContextHelp, OpenhelpHandsItsTopicToTheEngineWhenItsButtonIsClicked) {
    TestDialog buttons(engine, R"xml(<dialog>
        <button id="help" label="Help"><openhelp topic="albums.htm"/></button>
        <button id="silent" label="Silent"><openhelp/></button></dialog>)xml");
    buttons.Run([&](TestDialog& d) {
        d.Click(L"silent");
        d.Click(L"help");
        ASSERT_EQ(1u, engine.help.size());
        EXPECT_EQ(std::make_tuple(d.Hwnd(), std::wstring(L"albums.htm"), 0), engine.help[0]);
    });
    EXPECT_EQ(1, buttons.CountEvents(L"help", L"clicked"));
}

} // namespace
