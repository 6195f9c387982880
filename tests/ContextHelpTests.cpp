// Context help in real dialogs: F1 shows the control's tip in a popup placed beside the control
// on the work area, painted with its frame, picture and formatted text; the popup goes at the
// next key or click; tips are translated through the string table; "openhelp" hands its topic to
// the engine.
#include "CMyTEVEngine.h"
#include "CTEVContextHelp.h"
#include "CTEVOpenHelp.h"
#include "DialogDriver.h"
#include "GdiHandles.h"
#include "../bench/HtmlFuzzInputs.h" // CountGdiObjects

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what the popup and "openhelp" ask of the engine.
class HelpEngine : public CTEVEngine {
public:
    HelpEngine() : CTEVEngine(GetModuleHandleW(nullptr)) {}

    struct Call {
        HWND owner;
        std::wstring topic;
        int reserved;
    };
    struct Picture {
        RECT rect;
        std::wstring file;
    };
    void OpenHelp(HWND owner, const wchar_t* topic, int reserved) override {
        helpCalls.push_back({owner, topic ? topic : L"(null)", reserved});
    }
    void DrawImage(HDC, int x, int y, int cx, int cy, const wchar_t* file) override {
        pictures.push_back({{x, y, x + cx, y + cy}, file ? file : L"(null)"});
    }

    std::vector<Call> helpCalls;
    std::vector<Picture> pictures;
};

BOOL CALLBACK CollectPopup(HWND window, LPARAM param) {
    wchar_t className[64] = L"";
    GetClassNameW(window, className, 64);
    if (wcscmp(className, L"TEV_CONTEXTHELP_CLASS") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    }
    return TRUE;
}

// Every visible popup of this thread.
std::vector<HWND> Popups() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND Popup() {
    const std::vector<HWND> popups = Popups();
    return popups.size() == 1 ? popups[0] : nullptr;
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// A key pressed and released as the keyboard sends it, to whichever window has the focus.
void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Pump(150);
}

// F1 with the focus on the control.
void PressF1On(TestDialog& dialog, const wchar_t* id) {
    SetForegroundWindow(dialog.Hwnd());
    SetFocus(dialog.Get(id).Window());
    Pump(50);
    PressKey(VK_F1);
}

// What the caption's "?" button and a click on the control send.
void AskHelpOn(TestDialog& dialog, HWND control) {
    HELPINFO info = {sizeof(info), HELPINFO_WINDOW, GetDlgCtrlID(control), control, 0, {0, 0}};
    SendMessageW(dialog.Hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

RECT ScreenRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {sizeof(info)};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Moves the dialog so that the control's top-left corner lands at (x, y) on the screen.
void MoveControlTo(TestDialog& dialog, const wchar_t* id, int x, int y) {
    const RECT control = ScreenRectOf(dialog.Get(id).Window());
    const RECT window = ScreenRectOf(dialog.Hwnd());
    SetWindowPos(dialog.Hwnd(), nullptr, window.left + x - control.left, window.top + y - control.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF PixelOf(HWND window, int x, int y) {
    WindowDC dc(window);
    return GetPixel(dc.Get(), x, y);
}

bool HasPixel(HWND window, COLORREF colour) {
    RECT client = {};
    GetClientRect(window, &client);
    WindowDC dc(window);
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            if (GetPixel(dc.Get(), x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

CTEVContextHelp* HelpOf(TestDialog& dialog) {
    return dynamic_cast<CTEVContextHelp*>(dialog.ContextHelp());
}

const std::string kTips = R"xml(
  <contexthelp>
    <tip control="album"><![CDATA[The <b>album</b> folder:
      <table border="1"><tr><td bgcolor="#00C000">where</td><td>photos live</td></tr></table>]]></tip>
    <tip control="ALBUM">a second tip for the same control</tip>
    <tip control="go" img="logo.png" imgWidth="32" imgHeight="90">Starts.</tip>
    <tip control="nothing">no such control</tip>
    <tip control="quiet" img="ignored.png">No picture without its width.</tip>
  </contexthelp>)xml";

std::string Description(const std::string& tips, const std::string& attributes = R"(centerScreen="true")") {
    return "<dialog caption=\"Help\" " + attributes + R"xml( orient="vertical">
  <textbox id="album" value="C:\Photos" width="120"/>
  <hbox><button id="go" label="Go"/><button id="quiet" label="Quiet"/><button label="No id"/>
    <combobox id="kind" editable="true"><listitem label="a"/></combobox></hbox>
)xml" + tips + "</dialog>";
}

class ContextHelp : public testing::Test {
protected:
    HelpEngine engine;
};

// --- The popup F1 shows -------------------------------------------------------------------

TEST_F(ContextHelp, F1ShowsTheTipAboveTheControlAndAKeyClosesIt) {
    TestDialog dialog(engine, Description(kTips, R"(centerScreen="true" contextHelp="true")"));
    RECT control = {}, popup = {};
    HWND shown = nullptr;
    bool activeAgain = false;
    dialog.Run([&](TestDialog& d) {
        PressF1On(d, L"album");
        shown = Popup();
        ASSERT_NE(nullptr, shown);
        control = ScreenRectOf(d.Get(L"album").Window());
        popup = ScreenRectOf(shown);
        EXPECT_EQ(HelpOf(d), GetPropW(shown, L"tevctxhelp_this"));
        EXPECT_EQ(0, HelpOf(d)->Current()); // the first of two tips for the control
        EXPECT_TRUE(GetWindowLongW(shown, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(GetWindowLongW(shown, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_EQ(GetFocus(), shown);
        SaveScreenshot(shown, L"context-help-popup");
        PressKey(VK_SPACE);
        EXPECT_TRUE(Popups().empty());
        EXPECT_FALSE(IsWindow(shown));
        activeAgain = GetActiveWindow() == d.Hwnd();
    });
    EXPECT_EQ(control.left, popup.left);
    EXPECT_EQ(control.top - 5, popup.bottom);
    EXPECT_TRUE(activeAgain);
    EXPECT_TRUE(dialog.Style() & DS_CONTEXTHELP);
}

TEST_F(ContextHelp, NearTheTopItGoesBelowAndAtTheEdgesItStaysInsideTheWorkArea) {
    TestDialog dialog(engine, Description(kTips));
    RECT work = {}, control = {};
    RECT below = {}, right = {}, left = {};
    dialog.Run([&](TestDialog& d) {
        HWND album = d.Get(L"album").Window();
        work = WorkArea(d.Hwnd());
        MoveControlTo(d, L"album", 200, work.top + 2);
        AskHelpOn(d, album);
        ASSERT_NE(nullptr, Popup());
        control = ScreenRectOf(album);
        below = ScreenRectOf(Popup());

        MoveControlTo(d, L"album", work.right - 5, 300);
        AskHelpOn(d, album);
        ASSERT_NE(nullptr, Popup());
        right = ScreenRectOf(Popup());

        MoveControlTo(d, L"album", work.left - 60, 300);
        AskHelpOn(d, album);
        ASSERT_NE(nullptr, Popup());
        left = ScreenRectOf(Popup());
    });
    EXPECT_EQ(control.bottom + 5, below.top);
    EXPECT_EQ(control.left, below.left);
    EXPECT_EQ(work.right - 5, right.right);
    EXPECT_EQ(work.left + 5, left.left);
}

TEST_F(ContextHelp, ThePopupPaintsItsFramePictureAndFormattedText) {
    TestDialog dialog(engine, Description(kTips));
    RECT popup = {};
    COLORREF corner = 0, inside = 0;
    bool cellColour = false;
    dialog.Run([&](TestDialog& d) {
        AskHelpOn(d, d.Get(L"album").Window());
        ASSERT_NE(nullptr, Popup());
        UpdateWindow(Popup());
        corner = PixelOf(Popup(), 0, 0);
        inside = PixelOf(Popup(), 3, 3);
        cellColour = HasPixel(Popup(), RGB(0, 0xC0, 0));

        AskHelpOn(d, d.Get(L"go").Window());
        ASSERT_NE(nullptr, Popup());
        UpdateWindow(Popup());
        popup = ScreenRectOf(Popup());
    });
    EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), corner);
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), inside);
    EXPECT_TRUE(cellColour) << "the table cell's background";
    // The picture sits inside the margin; its height makes the popup 90 + 20 high.
    ASSERT_FALSE(engine.pictures.empty());
    EXPECT_EQ((RECT{10, 10, 42, 100}), engine.pictures.back().rect);
    EXPECT_EQ(L"logo.png", engine.pictures.back().file);
    EXPECT_EQ(110, popup.bottom - popup.top);
}

TEST_F(ContextHelp, PaintingLeaksNothingRestoresTheDeviceContextAndDrawsNoPictureWithoutItsWidth) {
    TestDialog dialog(engine, Description(kTips));
    bool restored = false;
    DWORD objectsBefore = 0, objectsAfter = 0;
    dialog.Run([&](TestDialog& d) {
        AskHelpOn(d, d.Get(L"album").Window()); // frame, table and text
        ASSERT_NE(nullptr, Popup());
        UpdateWindow(Popup());
        objectsBefore = CountGdiObjects();
        for (int i = 0; i < 30; ++i) {
            InvalidateRect(Popup(), nullptr, TRUE);
            UpdateWindow(Popup());
        }
        objectsAfter = CountGdiObjects();

        AskHelpOn(d, d.Get(L"quiet").Window());
        ASSERT_NE(nullptr, Popup());
        WindowDC screen(nullptr);
        MemoryDC memory(screen.Get());
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), 400, 300));
        SelectedObject target(memory.Get(), bitmap.Get());
        const HGDIOBJ pen = GetCurrentObject(memory.Get(), OBJ_PEN);
        const HGDIOBJ brush = GetCurrentObject(memory.Get(), OBJ_BRUSH);
        const HGDIOBJ font = GetCurrentObject(memory.Get(), OBJ_FONT);
        for (int i = 0; i < 50; ++i) {
            SendMessageW(Popup(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
        }
        restored = GetCurrentObject(memory.Get(), OBJ_PEN) == pen &&
                   GetCurrentObject(memory.Get(), OBJ_BRUSH) == brush &&
                   GetCurrentObject(memory.Get(), OBJ_FONT) == font;
    });
    EXPECT_TRUE(restored);
    EXPECT_GT(objectsBefore, 0u);
    EXPECT_EQ(objectsBefore, objectsAfter);
    EXPECT_TRUE(engine.pictures.empty());
}

// --- When there is nothing to show, and when the popup goes -------------------------------

TEST_F(ContextHelp, NoPopupWithoutATipForTheControl) {
    TestDialog withTips(engine, Description(kTips));
    withTips.Run([&](TestDialog& d) {
        AskHelpOn(d, d.Get(L"go").Parent()->Child(2)->Window()); // the button without id
        EXPECT_TRUE(Popups().empty()) << "control without id";
        AskHelpOn(d, d.Hwnd());
        EXPECT_TRUE(Popups().empty()) << "the dialog itself";
        AskHelpOn(d, d.Get(L"album").Window());
        EXPECT_EQ(1u, Popups().size());
        AskHelpOn(d, d.Get(L"kind").Window());
        EXPECT_TRUE(Popups().empty()) << "an open popup closes even when the next control has no tip";
    });
    ASSERT_NE(nullptr, HelpOf(withTips));
    EXPECT_EQ(5u, HelpOf(withTips)->Tips().size());

    TestDialog noTips(engine, Description(""));
    noTips.Run([&](TestDialog& d) {
        PressF1On(d, L"album");
        EXPECT_TRUE(Popups().empty());
    });
    EXPECT_TRUE(HelpOf(noTips)->Tips().empty());
}

TEST_F(ContextHelp, HelpInsideAControlIsTheControlsAndClicksOrAnotherControlReplaceThePopup) {
    const std::string tips = R"(<contexthelp><tip control="kind">Kind</tip>
        <tip control="go">Go</tip></contexthelp>)";
    TestDialog dialog(engine, Description(tips));
    dialog.Run([&](TestDialog& d) {
        HWND edit = FindWindowExW(d.Get(L"kind").Window(), nullptr, L"Edit", nullptr);
        ASSERT_NE(nullptr, edit);
        AskHelpOn(d, edit);
        HWND first = Popup();
        ASSERT_NE(nullptr, first);
        AskHelpOn(d, d.Get(L"go").Window());
        EXPECT_EQ(1u, Popups().size());
        EXPECT_FALSE(IsWindow(first));
        EXPECT_EQ(1, HelpOf(d)->Current());
        SendMessageW(Popup(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(Popups().empty());
        AskHelpOn(d, d.Get(L"go").Window());
        SetFocus(d.Get(L"album").Window());
        EXPECT_TRUE(Popups().empty()) << "focus loss";
        AskHelpOn(d, d.Get(L"go").Window());
    });
    // The dialog ended with its popup open: the popup went with it.
    EXPECT_TRUE(Popups().empty());
}

// --- Translated tips ----------------------------------------------------------------------

TEST_F(ContextHelp, TipsAreTranslatedThroughTheStringTable) {
    TempDir folder;
    WriteUtf8File(folder.File(L"strings.xml"), R"(<strings>
        <string id="tipAlbum" attr="value" text="Album" loc="not for tips"/>
        <string id="tipAlbum" attr="CDATA" text="Album" loc="&lt;b&gt;Albumordner&lt;/b&gt;"/>
        <string id="tipGo" loc="no attribute: not a tip"/></strings>)");
    CMyTEVEngine preview(folder.File(L"tevproject.xml").c_str(), GetModuleHandleW(nullptr));
    preview.LoadStrings(folder.File(L"strings.xml").c_str());
    const std::string tips = R"(<contexthelp><tip control="album" locid="tipAlbum">Album folder</tip>
        <tip control="go" locid="tipGo"><![CDATA[<i>Go</i>]]></tip></contexthelp>)";
    TestDialog dialog(preview, Description(tips));
    dialog.Run([&](TestDialog& d) {
        AskHelpOn(d, d.Get(L"album").Window());
        EXPECT_NE(nullptr, Popup());
    });
    const auto& loaded = HelpOf(dialog)->Tips();
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ(L"<b>Albumordner</b>", loaded[0].text);
    EXPECT_EQ(L"<i>Go</i>", loaded[1].text);
}

TEST_F(ContextHelp, TheDemoOptionsDialogPreviewsItsTipInGerman) {
    const std::wstring demo = TEV_DEMO_PATH;
    CMyTEVEngine preview((demo + L"\\projects\\demo\\tevproject.xml").c_str(), GetModuleHandleW(nullptr));
    preview.LoadStrings((demo + L"\\1031\\demo\\strings.xml").c_str());
    TestDialog dialog(preview, (demo + L"\\projects\\demo\\options.xml").c_str());
    bool shown = false;
    dialog.Run([&](TestDialog& d) {
        PressF1On(d, L"folder");
        shown = Popup() != nullptr;
        if (shown) {
            SaveScreenshot(Popup(), L"context-help-demo-german");
        }
    });
    EXPECT_TRUE(shown);
    ASSERT_EQ(1u, HelpOf(dialog)->Tips().size());
    EXPECT_EQ(L"Der Ordner, in dem <b>neue Alben</b> abgelegt werden.", HelpOf(dialog)->Tips()[0].text);
}

// --- openhelp -----------------------------------------------------------------------------

TEST_F(ContextHelp, OpenhelpHandsItsTopicToTheEngineWhenItsButtonIsClicked) {
    TestDialog dialog(engine, R"xml(<dialog>
        <button id="help" label="Help"><openhelp topic="albums.htm"/></button>
        <button id="silent" label="Silent"><openhelp/></button></dialog>)xml");
    HWND window = nullptr;
    dialog.Run([&](TestDialog& d) {
        window = d.Hwnd();
        d.Click(L"silent");
        d.Click(L"help");
    });
    ASSERT_EQ(1u, engine.helpCalls.size());
    EXPECT_EQ(window, engine.helpCalls[0].owner);
    EXPECT_EQ(L"albums.htm", engine.helpCalls[0].topic);
    EXPECT_EQ(0, engine.helpCalls[0].reserved);
    EXPECT_EQ(1, dialog.CountEvents(L"help", L"clicked"));
    CTEVElement* element = dialog.Get(L"help").Child(0);
    EXPECT_TRUE(element->IsKindOf(L"OpenHelp", nullptr));
    EXPECT_EQ(std::wstring(L"albums.htm"), static_cast<CTEVOpenHelp*>(element)->Topic());
}

} // namespace
