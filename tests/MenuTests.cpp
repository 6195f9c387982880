// Menu bars in real dialogs: the platform menu built from the description, chosen items
// reaching the application as "clicked" without ending the dialog, and every menu destroyed.
#include "CTEVMenu.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const kMenus = R"(<dialog caption="Menus"><menubar id="bar">
    <menupopup id="file" label="&amp;File"><menuitem id="open" label="&amp;Open"/><menuseparator/>
      <menupopup id="recent" label="&amp;Recent"><menuitem id="r1" label="One"/></menupopup>
      <menuitem id="quit" label="E&amp;xit" disabled="true"/></menupopup>
    <menupopup id="edit" label="&amp;Edit"><spacer/><menuitem id="redo"/></menupopup>
    <menuitem id="about" label="&amp;About"/>
  </menubar><label id="content" value="The dialog's content below its menu bar"/></dialog>)";

struct Entry {
    std::wstring text;
    UINT id, type, state;
    HMENU submenu;
};

Entry EntryAt(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    MENUITEMINFOW info = {sizeof(info), MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_SUBMENU};
    info.dwTypeData = text;
    info.cch = 64;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info)) << "position " << position;
    return {text, info.wID, info.fType & MFT_SEPARATOR, info.fState & MFS_GRAYED, info.hSubMenu};
}

using Menus = EngineTest<>;

} // namespace

TEST_F(Menus, TheDescriptionBuildsTheDialogsMenuBarWithIdsOfItsOwn) {
    RunDialog(kMenus, [](TestDialog& d) {
        auto id = [&d](const wchar_t* name) { return static_cast<UINT>(d.Get(name).ControlId()); };
        HMENU bar = d.As<CTEVMenuBar>(L"bar").Menu(), file = d.As<CTEVMenuPopup>(L"file").Menu();
        ASSERT_EQ(bar, GetMenu(d.Hwnd()));
        const struct {
            HMENU menu;
            UINT position;
            Entry expected;
        } rows[] = {
            {bar, 0, {L"&File", id(L"file"), MFT_STRING, 0, file}},
            {bar, 2, {L"&About", id(L"about"), MFT_STRING, 0, nullptr}},
            {file, 0, {L"&Open", id(L"open"), MFT_STRING, 0, nullptr}},
            {file, 1, {L"", 0, MFT_SEPARATOR, 0, nullptr}},
            {file, 2, {L"&Recent", id(L"recent"), MFT_STRING, 0, d.As<CTEVMenuPopup>(L"recent").Menu()}},
            {file, 3, {L"E&xit", id(L"quit"), MFT_STRING, MFS_GRAYED, nullptr}},
            {d.As<CTEVMenuPopup>(L"edit").Menu(), 0, {L"", id(L"redo"), MFT_STRING, 0, nullptr}}, // no spacer
        };
        for (const auto& row : rows) {
            const Entry got = EntryAt(row.menu, row.position);
            SCOPED_TRACE(Narrow(row.expected.text));
            EXPECT_EQ(row.expected.text, got.text);
            EXPECT_EQ(row.expected.id, got.id);
            EXPECT_EQ(row.expected.type, got.type);
            EXPECT_EQ(row.expected.state, got.state);
            EXPECT_EQ(row.expected.submenu, got.submenu);
        }
        // The frame grew by the menu bar's height, not the content shrank.
        RECT client = {};
        GetClientRect(d.Hwnd(), &client);
        EXPECT_LE(d.ClientRectOf(L"content").bottom, client.bottom);
    });
}

TEST_F(Menus, ChosenItemsFireClickedNeverEndTheDialogAndGoOnToOnCommandUnanswered) {
    TestDialog d(engine, kMenus);
    auto choose = [&d](const wchar_t* item) { // as a menu sends it: code 0, no control window
        SendMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(d.Get(item).ControlId(), 0), 0);
    };
    RunModal(
        "the menu dialog", [&] { return d.DoModal(nullptr); },
        {[&] {
             for (const wchar_t* item : {L"r1", L"about", L"quit", L"file", L"content"}) {
                 choose(item);
             }
             d.eventResult = 0;
             choose(L"about");
             // Alt+F opens "File" (the first menu); its own loop takes the first item's mnemonic.
             PostMessageW(d.Hwnd(), WM_SYSCHAR, 'f', 0x20000001);
         },
         [&] { PostMessageW(d.Hwnd(), WM_CHAR, 'o', 1); }, [&] { SaveScreenshot(d.Hwnd(), L"menubar"); }},
        [&] { EndIfOpen(d.Hwnd()); });
    std::wstring fired;
    for (const auto& event : d.events) {
        fired += event.source + L":" + event.name + L" ";
    }
    // Neither the greyed item nor the popup's entry nor a control's id fires.
    EXPECT_EQ(L"r1:clicked about:clicked about:clicked open:clicked ", fired);
    EXPECT_TRUE(d.closeRequests.empty());
    // Left unanswered, the commands reach OnCommand with their elements (null for the label's).
    const std::vector<CTEVElement*> expected = {&d.Get(L"quit"), &d.Get(L"file"), nullptr, &d.Get(L"about"),
                                                &d.Get(L"open")};
    EXPECT_EQ(expected, d.commandElements);
}

TEST_F(Menus, EveryMenuIsDestroyedOnceWhetherOrNotItIsAttached) {
    // A popup outside a bar, and a bar in a tab panel, whose child window cannot take a menu.
    auto dialog = std::make_unique<TestDialog>(engine, std::string(R"(<dialog>
      <menubar id="bar"><menupopup id="file" label="File"><menuitem label="Open"/></menupopup></menubar>
      <menupopup id="loose" label="Loose"><menuitem label="Item"/></menupopup>
      <tabbox><tabpanel label="Page"><menubar id="inner"><menuitem label="Inner"/></menubar></tabpanel></tabbox>
    </dialog>)"));
    HMENU bar = nullptr, file = nullptr, loose = nullptr, inner = nullptr;
    dialog->Run([&](TestDialog& d) {
        bar = d.As<CTEVMenuBar>(L"bar").Menu();
        file = d.As<CTEVMenuPopup>(L"file").Menu();
        loose = d.As<CTEVMenuPopup>(L"loose").Menu();
        inner = d.As<CTEVMenuBar>(L"inner").Menu();
        EXPECT_TRUE(bar && file && loose && inner && IsMenu(file));
    });
    // The window took its menu and the submenu with it; the others are still their elements'.
    EXPECT_FALSE(IsMenu(bar) || IsMenu(file));
    EXPECT_TRUE(IsMenu(loose) && IsMenu(inner));
    dialog.reset();
    EXPECT_FALSE(IsMenu(loose) || IsMenu(inner));
}

TEST_F(Menus, TheDemoDialogShowsItsMenuBarTranslated) {
    engine.LoadStrings(TEV_DEMO_PATH L"\\1031\\demo\\strings.xml");
    TestDialog dialog(engine, TEV_DEMO_PATH L"\\projects\\demo\\rename.xml");
    dialog.Run([](TestDialog& d) {
        HMENU bar = GetMenu(d.Hwnd());
        ASSERT_NE(nullptr, bar);
        EXPECT_EQ(L"&Datei", EntryAt(bar, 0).text);
        const Entry undo = EntryAt(EntryAt(bar, 1).submenu, 1);
        EXPECT_EQ(Widen(u8"Umbenennen &rückgängig"), undo.text);
        EXPECT_EQ(static_cast<UINT>(MFS_GRAYED), undo.state);
        SaveScreenshot(d.Hwnd(), L"menubar-demo-german");
    });
}
