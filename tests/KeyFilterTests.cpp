// The keyboard filter chain in real nested dialogs: a key goes first to the innermost dialog that
// holds its window, stops at the first filter that handles it, and a dialog's filters end with it.
// Exceptions from filters and dialog handlers stay inside.
#include "CTEVTabBox.h"
#include "CTEVTabPanel.h"
#include "DialogDriver.h"
#include "ElementTags.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Who was offered which key down, in order: "outer:O".
std::vector<std::string> g_offers;

bool Offered(const char* who, const MSG& msg) {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    g_offers.push_back(std::string(who) + ":" +
                       (msg.wParam == VK_TAB ? "Tab" : std::string(1, char(msg.wParam))));
    return true;
}

class KeyDialog : public TestDialog {
public:
    KeyDialog(CTEVEngine& engine, const std::string& description, const char* name, WPARAM takes)
        : TestDialog(engine, description), m_name(name), m_takes(takes) {}
    bool PreTranslateKey(const MSG& msg) override {
        if (Offered(m_name, msg) && msg.wParam == kThrowingKey) {
            throw std::runtime_error("a filter failed");
        }
        return msg.message == WM_KEYDOWN && msg.wParam == m_takes;
    }
    static constexpr WPARAM kThrowingKey = 'X';

private:
    const char* m_name;
    WPARAM m_takes;
};

// A page that takes P.
class KeyPanel : public CTEVTabPanel {
public:
    using CTEVTabPanel::CTEVTabPanel;
    bool PreTranslateKey(const MSG& msg) override { return Offered("page", msg) && msg.wParam == 'P'; }
};

// As the keyboard delivers it, through the modal loop; Ctrl stays as set until the next key.
void PressKey(HWND window, UINT key, bool ctrl = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(window, WM_KEYDOWN, key, 1);
}

class KeyFilterChain : public testing::Test {
protected:
    KeyFilterChain() {
        static const ElementTag kTags[] = {{L"keypanel", MakeElement<KeyPanel>}};
        RegisterElementTags(kTags);
        g_offers.clear();
    }

    CTEVEngine engine{GetModuleHandleW(nullptr)};
};

} // namespace

TEST_F(KeyFilterChain, TheInnermostDialogHoldingTheKeysWindowHasTheFirstSayAndEndedDialogsNone) {
    KeyDialog outer(engine, R"(<dialog><textbox id="outerText"/><tabbox id="tabs">
        <keypanel id="p1" label="One"><textbox id="inPage"/></keypanel>
        <keypanel id="p2" label="Two"><textbox id="inPage2"/></keypanel>
      </tabbox></dialog>)",
                    "outer", 'O');
    KeyDialog inner(engine, R"(<dialog><textbox id="innerText"/></dialog>)", "inner", 'I');
    bool secondPageShown = false, innerFilteredAfterItEnded = true;
    RunModal("the outer dialog", [&] { return outer.DoModal(nullptr); },
             {[&] {
                  HWND inPage = outer.Get(L"inPage").Window();
                  SetFocus(inPage);
                  PressKey(inPage, 'P');
                  PressKey(inPage, 'O');
                  PressKey(outer.Get(L"outerText").Window(), 'P');
              },
              [&] { PressKey(outer.Get(L"inPage").Window(), VK_TAB, true); },
              [&] {
                  secondPageShown = IsWindowVisible(outer.Get(L"p2").Window());
                  RunModal("the inner dialog", [&] { return inner.DoModal(outer.Hwnd()); },
                           {[&] {
                                PressKey(inner.Get(L"innerText").Window(), 'O');
                                PressKey(inner.Get(L"innerText").Window(), 'I');
                            },
                            [&] { EndDialog(inner.Hwnd(), IDOK); }});
                  innerFilteredAfterItEnded = inner.IsFiltering();
                  PressKey(outer.Get(L"outerText").Window(), 'I');
                  // Queued now, so that it runs in this loop after the key, not inside the inner one.
                  RunSoon([&] { EndIfOpen(outer.Hwnd()); });
              }});

    const std::vector<std::string> expected = {
        "page:P",   // the page takes its own key
        "page:O",   // the page declines, the tab box too, the dialog around them takes it
        "outer:O",  //
        "outer:P",  // a key outside the page never reaches the page
        "page:Tab", // the tab box, between the page and the dialog, takes Ctrl+Tab
        "inner:O",  // the dialog run over the outer one declines, and the outer one does not hold it
        "inner:I",  //
        "outer:I",  // the inner dialog has ended
    };
    EXPECT_EQ(expected, g_offers);
    EXPECT_TRUE(secondPageShown);
    EXPECT_FALSE(innerFilteredAfterItEnded);
    EXPECT_FALSE(outer.IsFiltering());
    EXPECT_FALSE(outer.As<KeyPanel>(L"p1").IsFiltering());
    EXPECT_FALSE(outer.As<CTEVTabBox>(L"tabs").IsFiltering());
}

TEST_F(KeyFilterChain, AFilterOrHandlerThatThrowsLeavesTheDialogRunningAndTheKeyGoesOn) {
    KeyDialog dialog(engine, R"(<dialog><textbox id="text"/></dialog>)", "dialog", 'D');
    dialog.canClose = [](int) -> BOOL { throw std::runtime_error("a handler failed"); };
    bool openAfterAccept = false;
    std::wstring typed;
    RunModal(
        "the dialog", [&] { return dialog.DoModal(nullptr); },
        {[&] {
             HWND text = dialog.Get(L"text").Window();
             SetFocus(text);
             PressKey(text, KeyDialog::kThrowingKey);
             PressKey(text, 'D');
         },
         [&] {
             typed = dialog.Get(L"text").GetText();
             SendMessageW(dialog.Hwnd(), WM_COMMAND, IDOK, 0);
             openAfterAccept = IsWindowVisible(dialog.Hwnd());
         }},
        [&] { EndIfOpen(dialog.Hwnd()); });
    EXPECT_EQ((std::vector<std::string>{"dialog:X", "dialog:D"}), g_offers);
    EXPECT_EQ(L"x", typed) << "the key whose filter threw did not reach the control";
    EXPECT_TRUE(openAfterAccept);
}
