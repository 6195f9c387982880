// The live preview beside the translate dialog: placed beside it, it draws the dialog of the current
// string with that string's control outlined, follows the walk into other dialogs and tab pages,
// turns the outline red while a typed text is clipped, and a click on a control picks its string.
#include "CTranslateDlg.h"
#include "GdiHandles.h"
#include "TranslatorFixture.h"

namespace {

// Rows in project order: ok (both dialogs), name, go (fixed-width dialog), the second tab page's
// label, a button on that page, a menu entry.
const char kLiveProject[] = R"(<tevproject name="Live" dst="live\strings.xml"><strings>
    <string id="ok" attr="label" text="OK"/>
    <string id="name" attr="value" text="Name:"/>
    <string id="go" attr="label" text="Go"/>
    <string id="pagetwo" attr="label" text="Second"/>
    <string id="deep" attr="label" text="Deep"/>
    <string id="open" attr="label" text="Open"/>
  </strings><files><file name="a.xml"/><file name="b.xml"/></files></tevproject>)";
const char kAlpha[] = R"(<dialog caption="Alpha" orient="vertical">
    <menubar><menupopup label="&amp;File"><menuitem locid="open" label="Open"/></menupopup></menubar>
    <label locid="name" value="Name:"/><button locid="ok" label="OK"/></dialog>)";
const char kBeta[] = R"(<dialog caption="Beta" width="120" orient="vertical">
    <button locid="go" label="Go" hFlex="1"/>
    <tabbox hFlex="1"><tabpanel label="First"><button locid="ok" label="OK"/></tabpanel>
      <tabpanel locid="pagetwo" label="Second"><button locid="deep" label="Deep"/></tabpanel></tabbox>
    </dialog>)";

const COLORREF kRed = RGB(255, 0, 0);

class LivePreview : public TranslatorFixture {
protected:
    void SetUp() override {
        program.AddProject(L"live", kLiveProject, {{L"a.xml", kAlpha}, {L"b.xml", kBeta}});
        CreateDirectoryW((program.LanguageFolder() + L"\\live").c_str(), nullptr);
        WriteUtf8File(program.LanguageFolder() + L"\\live\\strings.xml", "<strings/>");
    }

    static CTranslateDlg& Translate(CMainDialog& main) { return Opened<CTranslateDlg>(main); }
    static CLivePreview& Pane(CMainDialog& main) { return *Translate(main).LivePreview(); }

    // The pane's pixel at a client point, as it paints itself.
    static COLORREF PixelAt(CLivePreview& pane, POINT point) {
        HWND hwnd = pane.BoundWindow();
        RECT client = {};
        GetClientRect(hwnd, &client);
        WindowDC screen(hwnd);
        MemoryDC memory(screen.Get());
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
        SelectedObject selected(memory.Get(), bitmap.Get());
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
        return GetPixel(memory.Get(), point.x, point.y);
    }

    // The colour of the frame drawn around the current string's control, read at its left and top
    // edges; CLR_INVALID when there is none or the edges differ.
    static COLORREF OutlineDrawn(CLivePreview& pane) {
        const std::optional<CLivePreview::Outline> outline = pane.CurrentOutline();
        if (!outline) {
            return CLR_INVALID;
        }
        const RECT& r = outline->rect;
        const COLORREF left = PixelAt(pane, {r.left - 1, (r.top + r.bottom) / 2});
        const COLORREF outer = PixelAt(pane, {r.left - 2, (r.top + r.bottom) / 2});
        const COLORREF top = PixelAt(pane, {(r.left + r.right) / 2, r.top - 2});
        return left == outer && left == top ? left : CLR_INVALID;
    }

    static void CtrlDown(CMainDialog& main) {
        PostKey(Get(Translate(main), L"dstString").Window(), VK_DOWN, Modifier::Ctrl);
    }

    // Ends the translate dialog with nothing left unstored, so that no question stops the close.
    static void Close(CMainDialog& main) {
        Type(Translate(main), L"dstString", L"");
        ClickElement(Translate(main), L"btnClose");
    }

    static std::wstring Caption(CLivePreview& pane) {
        wchar_t text[200] = L"";
        GetWindowTextW(pane.BoundWindow(), text, 200);
        return text;
    }

    // Types into the translation box and lets the pause pass: the step after the last one returned
    // here runs once the pane's timer has fired.
    static std::vector<Step> TypeAndPause(CMainDialog& main, const wchar_t* text) {
        return {[&main, text] {
                    Type(Translate(main), L"dstString", text);
                    Sleep(250);
                },
                [] {}};
    }
};

struct Shown {
    std::optional<size_t> dialog;
    COLORREF outline = CLR_INVALID;
    std::wstring caption;
};

} // namespace

TEST_F(LivePreview, OutlinesTheStringAndFollowsTheWalkIntoAnotherDialogOntoATabPageAndIntoAMenu) {
    CMainDialog main(&engine, program.Path(), session);
    std::vector<Shown> shown;
    size_t dialogsOfOk = 0;
    std::optional<size_t> stepped;
    bool visibleBeside = false;
    auto note = [&] {
        CLivePreview& pane = Pane(main);
        shown.push_back({pane.ShownDialog(), OutlineDrawn(pane), Caption(pane)});
        SaveScreenshot(pane.BoundWindow(), (L"live-preview-" + std::to_wstring(shown.size())).c_str());
        CtrlDown(main);
    };
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CLivePreview& pane = Pane(main);
                   RECT dialog = {}, beside = {}, shared = {};
                   GetWindowRect(Translate(main).Window(), &dialog);
                   GetWindowRect(pane.BoundWindow(), &beside);
                   visibleBeside =
                       IsWindowVisible(pane.BoundWindow()) && !IntersectRect(&shared, &dialog, &beside);
                   dialogsOfOk = pane.DialogCount();
                   pane.StepDialog(1);
                   stepped = pane.ShownDialog();
                   pane.StepDialog(1);
               },
               note, note, note, note, note, note, [&] { Close(main); }});
    EXPECT_TRUE(visibleBeside);
    EXPECT_EQ(2u, dialogsOfOk);
    EXPECT_EQ(std::optional<size_t>(1), stepped);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    ASSERT_EQ(6u, shown.size());
    // ok, name: Alpha; go, the tab's label, the button on that tab: Beta; the menu entry: Alpha.
    const size_t dialogs[] = {0, 0, 1, 1, 1, 0};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(std::optional<size_t>(dialogs[i]), shown[i].dialog) << i;
        EXPECT_EQ(highlight, shown[i].outline) << i;
    }
    EXPECT_EQ(std::optional<size_t>(0), shown[5].dialog);
    EXPECT_EQ(CLR_INVALID, shown[5].outline);
    EXPECT_EQ(L"Live preview (F6): menu File > Open", shown[5].caption);
}

TEST_F(LivePreview, TypedTextTooLongTurnsTheOutlineRedAndBackAndShowsUnsaved) {
    CMainDialog main(&engine, program.Path(), session);
    COLORREF tooLong = CLR_INVALID, shortened = CLR_INVALID;
    std::wstring clippedFindings, fitFindings, drawnText;
    std::vector<Step> steps = {[&] {
        SelectRow(main, 2); // "go", in the dialog of fixed width
        ClickElement(main, L"btnTranslate");
    }};
    for (Step& step : TypeAndPause(main, L"Jetzt wirklich und endgültig in die Tat umsetzen")) {
        steps.push_back(std::move(step));
    }
    steps.push_back([&] {
        tooLong = OutlineDrawn(Pane(main));
        clippedFindings = Pane(main).Findings();
    });
    for (Step& step : TypeAndPause(main, L"Los")) {
        steps.push_back(std::move(step));
    }
    steps.push_back([&] {
        shortened = OutlineDrawn(Pane(main));
        fitFindings = Pane(main).Findings();
        drawnText = Pane(main).ShownText();
        Close(main);
    });
    Run(main, steps);
    EXPECT_EQ(kRed, tooLong);
    EXPECT_NE(std::wstring::npos, clippedFindings.find(L"clipped by ")) << Narrow(clippedFindings);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), shortened);
    EXPECT_EQ(L"The text fits.", fitFindings);
    EXPECT_EQ(L"Los", drawnText);
    EXPECT_FALSE(session.Model().Strings()[2].loc); // shown, not stored
}

TEST_F(LivePreview, AClickOnAControlShowsItsStringAndF6HidesThePane) {
    CMainDialog main(&engine, program.Path(), session);
    std::wstring picked;
    bool hidden = false, shownAgain = false;
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   CLivePreview& pane = Pane(main);
                   const std::optional<RECT> name = pane.DrawnRectOf(1);
                   ASSERT_TRUE(name);
                   SendMessageW(pane.BoundWindow(), WM_LBUTTONDOWN, MK_LBUTTON,
                                MAKELPARAM((name->left + name->right) / 2, (name->top + name->bottom) / 2));
                   picked = WindowText(Get(Translate(main), L"srcString"));
                   PostKey(Get(Translate(main), L"dstString").Window(), VK_F6);
               },
               [&] {
                   hidden = !IsWindowVisible(Pane(main).BoundWindow());
                   PostKey(Get(Translate(main), L"dstString").Window(), VK_F6);
               },
               [&] {
                   shownAgain = IsWindowVisible(Pane(main).BoundWindow());
                   Close(main);
               }});
    EXPECT_EQ(L"Name:", picked);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(shownAgain);
}

// The pane goes where the screen has room, never over the dialog, and narrows before leaving it.
TEST(LivePreviewPlace, BesideTheDialogWhereTheScreenHasRoom) {
    const RECT work = {0, 0, 1366, 728};
    struct Row {
        RECT dialog;
        SIZE pane;
        RECT dialogAfter;
        RECT paneAfter;
    };
    const Row rows[] = {
        {{450, 100, 916, 500}, {480, 400}, {450, 100, 916, 500}, {916, 100, 1366, 500}},  // right, narrowed
        {{900, 100, 1300, 500}, {480, 400}, {900, 100, 1300, 500}, {420, 100, 900, 500}}, // left
        {{200, 50, 1140, 700}, {720, 650}, {0, 50, 940, 700}, {940, 50, 1366, 700}},      // dialog moves
        {{0, 50, 1300, 700}, {720, 800}, {0, 50, 1126, 700}, {1126, 0, 1366, 728}},       // dialog narrows
    };
    for (const Row& row : rows) {
        const SideBySide placed = PlaceBeside(row.dialog, row.pane, work, 240);
        EXPECT_EQ(row.dialogAfter, placed.dialog);
        EXPECT_EQ(row.paneAfter, placed.pane);
    }
}

TEST_F(LivePreview, ReopensWhereAndAsTheUserLeftIt) {
    CMainDialog main(&engine, program.Path(), session);
    RECT moved = {}, reopened = {};
    bool hiddenAgain = false;
    Run(main, {[&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   RECT dialog = {};
                   GetWindowRect(Translate(main).Window(), &dialog);
                   HWND pane = Pane(main).BoundWindow();
                   SetWindowPos(pane, nullptr, dialog.right + 5, dialog.top + 10, 300, 200,
                                SWP_NOZORDER | SWP_NOACTIVATE);
                   GetWindowRect(pane, &moved);
                   PostKey(Get(Translate(main), L"dstString").Window(), VK_F6);
               },
               [&] { Close(main); }, [&] { ClickElement(main, L"btnTranslate"); },
               [&] {
                   GetWindowRect(Pane(main).BoundWindow(), &reopened);
                   hiddenAgain = !IsWindowVisible(Pane(main).BoundWindow());
                   Close(main);
               }});
    EXPECT_EQ(moved, reopened);
    EXPECT_TRUE(hiddenAgain);
}
