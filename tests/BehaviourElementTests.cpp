// Behaviour elements (disabler, sendcmd, selectfile with its file dialog) and the link and
// progress controls, in real dialogs with the platform's own file dialogs.
#include "CTEVProgress.h"
#include "CTEVSelectFile.h"
#include "CTEVUrl.h"
#include "DialogDriver.h"
#include "GdiHandles.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <iterator>

namespace {

// Stands in for the control a behaviour element is nested in: its value and text are the
// test's to set.
class FakeTrigger : public CTEVElement {
public:
    FakeTrigger() : CTEVElement(nullptr, nullptr) {}
    int GetValue() override { return value; }
    const wchar_t* GetText() override { return CStrOrNull(text); }

    int value = 0;
    OptString text;
};

// Receives commands from sendcmd elements; made for the tag "recorder".
class CommandRecorder : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    void DoCommand(const wchar_t* command) override { commands.push_back(command); }

    std::vector<std::wstring> commands;
};

// A link that records what it would hand to the shell, so no test launches anything.
class RecordingUrl : public CTEVUrl {
public:
    RecordingUrl(CTEVElement* parent, CTEVEngine* engine, std::vector<std::wstring>& opened)
        : CTEVUrl(parent, engine), m_opened(opened) {}

protected:
    void OpenTarget(const wchar_t* target) override { m_opened.push_back(target); }

private:
    std::vector<std::wstring>& m_opened;
};

// An engine that may claim to be a viewer and builds recorders and recording links.
class BehaviourEngine : public CTEVEngine {
public:
    BehaviourEngine() : CTEVEngine(GetModuleHandleW(nullptr)) {}

    std::unique_ptr<CTEVElement> CreateElement(const wchar_t* tag, CTEVElement* parent) override {
        if (EqualsNoCase(tag, L"recorder")) {
            return std::make_unique<CommandRecorder>(parent, this);
        }
        if (EqualsNoCase(tag, L"url")) {
            return std::make_unique<RecordingUrl>(parent, this, opened);
        }
        return CTEVEngine::CreateElement(tag, parent);
    }
    BOOL IsViewer() override { return viewer; }

    BOOL viewer = FALSE;
    std::vector<std::wstring> opened;
};

// Keeps the path of "fsselected", which is valid only during the event.
class FileDialogTest : public TestDialog {
public:
    using TestDialog::TestDialog;
    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override {
        if (EqualsNoCase(event, L"fsselected")) {
            chosenPath = reinterpret_cast<const wchar_t*>(lParam);
        }
        return TestDialog::FireEvent(source, event, wParam, lParam);
    }

    std::wstring chosenPath;
};

class BehaviourElements : public EngineTest<BehaviourEngine> {
protected:
    CTEVElement root{nullptr, &engine};

    void Load(const std::string& body) {
        ASSERT_TRUE(LoadDescriptionText(root, "<dialog>" + body + "</dialog>"));
    }
    CTEVElement& Find(const wchar_t* id) { return As<CTEVElement>(root, id); }
};

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Acts on the file dialog owned by owner once it is up (it takes a moment to open).
void AnswerFileDialog(HWND owner, std::function<void(HWND)> answer, int attempts = 100) {
    RunSoon(
        [=] {
            if (HWND dialog = FindOwnedDialog(owner)) {
                answer(dialog);
            } else if (attempts > 0) {
                AnswerFileDialog(owner, answer, attempts - 1);
            } else {
                ADD_FAILURE() << "no file dialog appeared";
            }
        },
        50);
}

void TypeFileNameAndAccept(HWND fileDialog, const std::wstring& path) {
    HWND name = GetDlgItem(fileDialog, edt1);
    if (!name) {
        name = GetDlgItem(fileDialog, cmb13);
    }
    SetWindowTextW(name, path.c_str());
    SendMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
}

void Cancel(HWND fileDialog) {
    SendMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDCANCEL)));
}

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

int CountPixels(HWND window, COLORREF colour) {
    RECT client = {};
    GetClientRect(window, &client);
    WindowDC dc(window);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            count += GetPixel(dc.Get(), x, y) == colour;
        }
    }
    return count;
}

void ClickAt(HWND window, int x) {
    RECT client = {};
    GetClientRect(window, &client);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, client.bottom / 2));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, client.bottom / 2));
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

// The translator's import button, with an incomplete "ext" between its two file types and a
// "saveto" naming no element.
const std::string kImportButton = R"xml(<button id="import" label="Import">
      <selectfile id="sf" title="Pick strings" type="open" saveto="gone">
        <ext text="VARNO 2 strings (tstr.xml)" extension="tstr.xml"/>
        <ext text="no pattern"/>
        <ext text="VARNO 1 strings (*.ini)" extension="*.ini"/>
      </selectfile></button>)xml";

} // namespace

TEST_F(BehaviourElements, AllBehaviourTagsAreRegistered) {
    CTEVEngine plain(GetModuleHandleW(nullptr));
    for (const wchar_t* tag : {L"disabler", L"sendcmd", L"selectfile", L"ext", L"url", L"progress"}) {
        std::unique_ptr<CTEVElement> element = plain.CreateElement(tag, &root);
        ASSERT_NE(nullptr, element) << Narrow(tag);
        EXPECT_TRUE(element->IsKindOf(tag, nullptr));
    }
}

TEST_F(BehaviourElements, DisablerSetsItsTargetByTheTriggersValueOrText) {
    Load(R"(<disabler id="int" applyto="a" intval="-1"/><box id="a"/>
            <disabler id="empty" applyto="b" type="EmptyString" disable="false"/><box id="b"/>
            <disabler id="filled" applyto="c" type="nonemptystring"/><box id="c"/>)");
    auto disabledAfter = [&](int value, OptString text) {
        FakeTrigger trigger;
        trigger.value = value;
        trigger.text = std::move(text);
        std::vector<bool> disabled;
        for (const wchar_t* id : {L"int", L"empty", L"filled"}) {
            Find(id).Execute(&trigger);
        }
        for (const wchar_t* id : {L"a", L"b", L"c"}) {
            disabled.push_back(Find(id).OwnDisabled());
        }
        return disabled;
    };
    EXPECT_EQ((std::vector<bool>{true, false, false}), disabledAfter(-1, std::nullopt));
    EXPECT_EQ((std::vector<bool>{false, true, true}), disabledAfter(3, L"typed"));
}

TEST_F(BehaviourElements, DisablerFindsItsTargetFromTheRootIgnoringCaseAndIgnoresMissingOnes) {
    Load(R"(<box><box id="Target"/></box><box><box><disabler id="d" applyto="TARGET"/></box></box>
            <box id="target"/><box id="other"><disabler id="missing" applyto="nowhere"/><disabler id="absent"/></box>)");
    FakeTrigger trigger;
    for (const wchar_t* id : {L"d", L"missing", L"absent"}) {
        Find(id).Execute(&trigger);
    }
    Find(L"missing").Execute(nullptr);
    EXPECT_TRUE(root.Child(0)->Child(0)->OwnDisabled());
    EXPECT_FALSE(root.Child(2)->OwnDisabled());
    EXPECT_FALSE(Find(L"other").OwnDisabled());
    EXPECT_FALSE(root.OwnDisabled());
}

TEST_F(BehaviourElements, SendCmdPassesItsWordToTheReceiverAndInViewerOnlyOnlyInAViewer) {
    Load(R"(<recorder id="Switcher"/><box><sendcmd id="s" sendto="switcher" cmd="next"/>
            <sendcmd id="noCmd" sendto="switcher"/><sendcmd id="noReceiver" cmd="back"/>
            <sendcmd id="unknown" sendto="ghost" cmd="back"/>
            <sendcmd id="viewer" sendto="switcher" cmd="help" inViewerOnly="true"/></box>)");
    auto& recorder = static_cast<CommandRecorder&>(Find(L"switcher"));
    for (const wchar_t* id : {L"s", L"noCmd", L"noReceiver", L"unknown", L"viewer"}) {
        Find(id).Execute(&root);
    }
    EXPECT_EQ(std::vector<std::wstring>{L"next"}, recorder.commands);
    engine.viewer = TRUE;
    Find(L"viewer").Execute(&root);
    EXPECT_EQ((std::vector<std::wstring>{L"next", L"help"}), recorder.commands);
}

TEST_F(BehaviourElements, SelectFileBuildsItsFilterAndFlagsFromTheDescription) {
    Load(kImportButton + R"(<selectfile id="bare" allowMultiSelect="true" overwriteprompt="false"
              createprompt="false" explorer="TRUE" dontAddRecent="false"><ext extension="*.x"/></selectfile>)");
    const auto& import = static_cast<CTEVSelectFile&>(Find(L"sf"));
    const auto& bare = static_cast<CTEVSelectFile&>(Find(L"bare"));
    const wchar_t expected[] = L"VARNO 2 strings (tstr.xml)\0tstr.xml\0VARNO 1 strings (*.ini)\0*.ini\0\0";
    EXPECT_EQ(std::wstring(expected, std::size(expected) - 1), import.BuildFilter());
    EXPECT_EQ(L"", bare.BuildFilter());

    // The dialog never moves the process's current folder, whatever the description says.
    EXPECT_EQ(static_cast<DWORD>(OFN_DONTADDTORECENT | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_LONGNAMES |
                                 OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_CREATEPROMPT |
                                 OFN_NOCHANGEDIR),
              import.DialogFlags());
    EXPECT_EQ(static_cast<DWORD>(OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_LONGNAMES | OFN_PATHMUSTEXIST |
                                 OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NOCHANGEDIR),
              bare.DialogFlags());
}

TEST_F(BehaviourElements, SelectFileUnderAButtonOpensBeforeClickedAndFiresFsselectedWithoutATarget) {
    TempDir folder;
    const std::wstring file = folder.File(L"tstr.xml");
    WriteUtf8File(file, "<strings/>");
    const std::wstring folderBefore = CurrentFolder();
    std::wstring title;
    std::vector<std::wstring> types;

    FileDialogTest dialog(engine, "<dialog>" + kImportButton + "</dialog>");
    dialog.Run([&](TestDialog& d) {
        AnswerFileDialog(d.Hwnd(), [&](HWND fileDialog) {
            title = WindowText(fileDialog);
            types = ComboEntries(GetDlgItem(fileDialog, cmb1));
            // As a user would: into the folder first, then the file by its name.
            TypeFileNameAndAccept(fileDialog, folder.Path());
            TypeFileNameAndAccept(fileDialog, L"tstr.xml");
        });
        d.Click(L"import");
    });

    EXPECT_EQ(L"Pick strings", title);
    EXPECT_EQ((std::vector<std::wstring>{L"VARNO 2 strings (tstr.xml)", L"VARNO 1 strings (*.ini)"}), types);
    ASSERT_EQ(2u, dialog.events.size());
    EXPECT_EQ(L"sf", dialog.events[0].source);
    EXPECT_EQ(L"fsselected", dialog.events[0].name);
    EXPECT_TRUE(EqualsNoCase(file.c_str(), dialog.chosenPath.c_str())) << Narrow(dialog.chosenPath);
    EXPECT_EQ(L"import", dialog.events[1].source);
    EXPECT_EQ(L"clicked", dialog.events[1].name);
    EXPECT_EQ(folderBefore, CurrentFolder());
}

TEST_F(BehaviourElements, SelectFileWritesThePathIntoItsSavetoTargetWhichFiresChanged) {
    TempDir folder;
    const std::wstring file = folder.File(L"new.ini");
    std::wstring okLabel;
    std::wstring pathInBox;

    FileDialogTest dialog(engine, R"(<dialog><box id="trigger">
          <selectfile type="save" saveto="PATH" overwriteprompt="false"/></box><textbox id="path"/></dialog>)");
    dialog.Run([&](TestDialog& d) {
        AnswerFileDialog(d.Hwnd(), [&](HWND fileDialog) {
            okLabel = WindowText(GetDlgItem(fileDialog, IDOK));
            TypeFileNameAndAccept(fileDialog, file);
        });
        d.Get(L"trigger").ExecuteChildren();
        const wchar_t* text = d.Get(L"path").GetText();
        pathInBox = text ? text : L"(null)";
    });

    EXPECT_NE(std::wstring::npos, okLabel.find(L"Save")) << Narrow(okLabel);
    EXPECT_TRUE(EqualsNoCase(file.c_str(), pathInBox.c_str())) << Narrow(pathInBox);
    ASSERT_EQ(1u, dialog.events.size());
    EXPECT_EQ(L"path", dialog.events[0].source);
    EXPECT_EQ(L"changed", dialog.events[0].name);
}

TEST_F(BehaviourElements, SelectFileCancelledDeliversNothing) {
    FileDialogTest dialog(engine, R"(<dialog><box id="trigger"><selectfile id="sf"/></box></dialog>)");
    bool answered = false;
    dialog.Run([&](TestDialog& d) {
        AnswerFileDialog(d.Hwnd(), [&](HWND fileDialog) {
            answered = true;
            Cancel(fileDialog);
        });
        d.Get(L"trigger").ExecuteChildren();
    });
    EXPECT_TRUE(answered);
    EXPECT_TRUE(dialog.events.empty());
}

// A selector nested in its own "saveto" text box is run again by the text it writes; it must
// not open a second dialog from inside the first delivery.
TEST_F(BehaviourElements, SelectFileDoesNotReopenWhileDeliveringItsPath) {
    TempDir folder;
    const std::wstring file = folder.File(L"b.ini");
    WriteUtf8File(file, "");
    int laterDialogs = 0;
    bool checked = false;
    FileDialogTest dialog(engine,
                          R"(<dialog><textbox id="path"><selectfile saveto="path"/></textbox></dialog>)");
    dialog.Run([&](TestDialog& d) {
        const HWND owner = d.Hwnd();
        AnswerFileDialog(owner, [&, owner](HWND fileDialog) {
            TypeFileNameAndAccept(fileDialog, file);
            RunSoon(
                [&, owner] {
                    if (HWND again = FindOwnedDialog(owner)) {
                        ++laterDialogs;
                        Cancel(again);
                    }
                    checked = true;
                },
                500);
        });
        d.Get(L"path").ExecuteChildren();
        for (int i = 0; i < 100 && !checked; ++i) {
            PumpMessagesFor(20);
        }
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(0, laterDialogs);
    EXPECT_EQ(1, dialog.CountEvents(L"path", L"changed"));
}

TEST_F(BehaviourElements, DisablerUnderAComboBoxFollowsSelectionsByUserAndApplication) {
    TestDialog dialog(engine, R"(<dialog><combobox id="pick"><listitem label="A" value="1"/>
          <listitem label="B" value="2"/><disabler applyto="go" intval="-1"/></combobox>
          <button id="go" label="Go" disabled="true"/></dialog>)");
    std::vector<bool> enabled; // after: application's choice, user's clearing, user's choice
    dialog.Run([&](TestDialog& d) {
        HWND combo = d.Get(L"pick").Window();
        auto userSelects = [&](int index) {
            SendMessageW(combo, CB_SETCURSEL, index, 0);
            SendMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
        };
        d.Get(L"pick").SetValue(2);
        enabled.push_back(IsWindowEnabled(d.Get(L"go").Window()));
        userSelects(-1);
        enabled.push_back(IsWindowEnabled(d.Get(L"go").Window()));
        userSelects(0);
        enabled.push_back(IsWindowEnabled(d.Get(L"go").Window()));
    });
    EXPECT_EQ((std::vector<bool>{true, false, true}), enabled);
}

TEST_F(BehaviourElements, LinkOpeningIsLimitedToWebAndMailTargetsInAViewer) {
    EXPECT_TRUE(MayOpenLinkTarget(L"C:\\tools\\run.exe", FALSE));
    EXPECT_FALSE(MayOpenLinkTarget(L"file:///C:/tools/run.exe", TRUE));
    EXPECT_FALSE(MayOpenLinkTarget(L"httpx://host", TRUE));
    EXPECT_TRUE(MayOpenLinkTarget(L"HTTPS://example.org/", TRUE));
    EXPECT_TRUE(MayOpenLinkTarget(L"http://example.org/", TRUE));
    EXPECT_TRUE(MayOpenLinkTarget(L"mailto:someone@example.org", TRUE));
    EXPECT_FALSE(MayOpenLinkTarget(L"", FALSE));

    engine.viewer = TRUE;
    TestDialog dialog(engine, R"(<dialog><url id="web" text="Web" url="https://example.org/"/>
          <url id="local" text="Local" url="C:\tools\run.exe"/><url id="none" text="None"/></dialog>)");
    dialog.Run([&](TestDialog& d) {
        for (const wchar_t* id : {L"web", L"local", L"none"}) {
            Repaint(d.Get(id).Window());
            ClickAt(d.Get(id).Window(), 2);
        }
    });
    EXPECT_EQ(std::vector<std::wstring>{L"https://example.org/"}, engine.opened);
    EXPECT_TRUE(dialog.events.empty());
}

TEST_F(BehaviourElements, LinkWithNotifyTargetFiresClickedOnlyForClicksOnItsText) {
    TestDialog dialog(engine, R"(<dialog><box minwidth="300" hFlex="1" orient="vertical">
          <url id="left" text="Notify" url=":NOTIFY:" hFlex="1"/>
          <url id="right" text="Notify" url=":notify:" textalign="right" hFlex="1"/></box></dialog>)");
    int width = 0;
    std::vector<int> clickedAfterEachClick; // left link: left end, right end; then the right link
    dialog.Run([&](TestDialog& d) {
        for (const wchar_t* id : {L"left", L"right"}) {
            HWND link = d.Get(id).Window();
            RECT client = {};
            GetClientRect(link, &client);
            width = client.right;
            Repaint(link);
            ClickAt(link, 1);
            clickedAfterEachClick.push_back(d.CountEvents(id, L"clicked"));
            ClickAt(link, client.right - 2);
            clickedAfterEachClick.push_back(d.CountEvents(id, L"clicked"));
        }
    });
    EXPECT_GE(width, 300);
    EXPECT_EQ((std::vector<int>{1, 1, 0, 1}), clickedAfterEachClick);
    EXPECT_TRUE(engine.opened.empty());
}

TEST_F(BehaviourElements, LinkIsATabStopAndShowsItsFocusOnlyWhileTheKeyboardCuesShow) {
    TestDialog dialog(engine, R"(<dialog><button id="before" label="Before"/>
          <url id="link" text="Somewhere" url=":notify:"/></dialog>)");
    dialog.Run([&](TestDialog& d) {
        HWND link = d.Get(L"link").Window();
        EXPECT_EQ(link, GetNextDlgTabItem(d.Hwnd(), d.Get(L"before").Window(), FALSE));
        SendMessageW(link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        const std::vector<COLORREF> unfocused = ClientPixels(link);
        SendMessageW(d.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(link), TRUE);
        EXPECT_NE(unfocused, ClientPixels(link));
        SendMessageW(link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        EXPECT_EQ(unfocused, ClientPixels(link));
        SendMessageW(link, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        SetFocus(d.Get(L"before").Window());
        EXPECT_EQ(unfocused, ClientPixels(link));
    });
}

TEST_F(BehaviourElements, LinkHighlightsWhileTheCursorIsOverItsTextAndStopsItsTimerAfterwards) {
    TestDialog dialog(engine, R"(<dialog><box minwidth="300" hFlex="1">
          <url id="link" text="Hover over me" url=":notify:" hFlex="1"/></box></dialog>)");
    int bluePlain = 0, blueHovering = 0;
    bool hoverOutsideText = true, hoverAfterMove = false, hoverWhileOver = false, hoverAfterLeaving = true;
    LRESULT cursorAnswer = 0;
    HCURSOR cursorShown = nullptr;
    BOOL timerLeft = TRUE;
    dialog.Run([&](TestDialog& d) {
        auto& link = static_cast<CTEVUrl&>(d.Get(L"link"));
        HWND window = link.Window();
        RECT client = {};
        GetClientRect(window, &client);
        Repaint(window);
        bluePlain = CountPixels(window, RGB(0, 0, 255));

        const int y = client.bottom / 2;
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(client.right - 2, y));
        hoverOutsideText = link.IsHovering();
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(3, y));
        hoverAfterMove = link.IsHovering();
        UpdateWindow(window);
        blueHovering = CountPixels(window, RGB(0, 0, 255));
        cursorAnswer = SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        cursorShown = GetCursor();

        // The timer keeps the hover while the real cursor is over the link, and ends it once
        // the cursor has left.
        POINT over = {3, y};
        ClientToScreen(window, &over);
        SetCursorPos(over.x, over.y);
        PumpMessagesFor(200);
        hoverWhileOver = link.IsHovering();
        SetCursorPos(1270, 1010);
        PumpMessagesFor(300);
        hoverAfterLeaving = link.IsHovering();
        timerLeft = KillTimer(window, CTEVUrl::kHoverTimerId);
    });
    EXPECT_FALSE(hoverOutsideText);
    EXPECT_TRUE(hoverAfterMove);
    EXPECT_GT(bluePlain, 0);
    EXPECT_GT(blueHovering, bluePlain) << "the underline adds blue pixels";
    EXPECT_EQ(1, cursorAnswer);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), cursorShown);
    EXPECT_TRUE(hoverWhileOver);
    EXPECT_FALSE(hoverAfterLeaving);
    EXPECT_FALSE(timerLeft) << "the hover timer is still running";
    EXPECT_TRUE(dialog.events.empty());
}

TEST_F(BehaviourElements, ProgressTakesRangePositionStyleAndSizeAndItsValueIsThePosition) {
    TestDialog dialog(engine, R"(<dialog><progress id="plain"/><progress id="set" lowLimit="10"
          highLimit="50" pos="20" smooth="true" vertical="TRUE" width="20" height="60"/></dialog>)");
    struct Observed {
        PBRANGE range;
        int value;
        DWORD style;
        SIZE minimum;
        SIZE expected;
    } plain = {}, set = {};
    int afterSet = 0, barPosition = 0;
    dialog.Run([&](TestDialog& d) {
        auto observe = [&](const wchar_t* id, int unitsWide, int unitsHigh, Observed& out) {
            CTEVElement& progress = d.Get(id);
            SendMessageW(progress.Window(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&out.range));
            out.value = progress.GetValue();
            out.style = GetWindowLongW(progress.Window(), GWL_STYLE);
            progress.GetMinSize(&out.minimum);
            RECT units = {0, 0, unitsWide, unitsHigh};
            MapDialogRect(d.Hwnd(), &units);
            out.expected = {units.right, units.bottom};
        };
        observe(L"plain", 80, 14, plain);
        observe(L"set", 20, 60, set);
        d.Get(L"set").SetValue(42);
        afterSet = d.Get(L"set").GetValue();
        barPosition = static_cast<int>(SendMessageW(d.Get(L"set").Window(), PBM_GETPOS, 0, 0));
    });
    const DWORD styleBits = WS_TABSTOP | PBS_SMOOTH | PBS_VERTICAL | PBS_MARQUEE;
    EXPECT_EQ(0, plain.range.iLow);
    EXPECT_EQ(100, plain.range.iHigh);
    EXPECT_EQ(0, plain.value);
    EXPECT_EQ(0u, plain.style & styleBits);
    EXPECT_EQ(plain.expected, plain.minimum);
    EXPECT_EQ(10, set.range.iLow);
    EXPECT_EQ(50, set.range.iHigh);
    EXPECT_EQ(20, set.value);
    EXPECT_EQ(static_cast<DWORD>(PBS_SMOOTH | PBS_VERTICAL), set.style & styleBits);
    EXPECT_EQ(set.expected, set.minimum);
    EXPECT_EQ(42, afterSet);
    EXPECT_EQ(42, barPosition);
}

TEST_F(BehaviourElements, LinkAndProgressBarScreenshot) {
    RunDialog(R"(<dialog caption="Links and progress" orient="vertical">
          <url id="link" text="Visit the project page" url="https://example.org/"/>
          <url id="right" text="Notify, right aligned" url=":notify:" textalign="right" hFlex="1"/>
          <progress id="p" pos="60" smooth="true" hFlex="1"/></dialog>)",
              [&](TestDialog& d) {
                  HWND link = d.Get(L"link").Window();
                  Repaint(link);
                  SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 5)); // shown hovering: underlined
                  const Screenshot shot = SaveScreenshot(d.Hwnd(), L"behaviour-link-progress");
                  EXPECT_TRUE(shot.written);
                  // At 60 of 100 the bar is filled at a third of its width and empty at nine tenths.
                  HWND bar = d.Get(L"p").Window();
                  EXPECT_EQ(shot.Within(bar, 0.1), shot.Within(bar, 0.5));
                  EXPECT_NE(shot.Within(bar, 0.3), shot.Within(bar, 0.9));
              });
}
