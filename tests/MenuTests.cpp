// Menu bars in real dialogs: the platform menu built from the description, chosen items
// reaching the application as "clicked" without ending the dialog, and every menu destroyed.
#include "CTEVMenu.h"
#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

const char* const kMenus = R"(<dialog caption="Menus"><menubar id="bar">
    <menupopup id="file" label="&amp;File">
      <menuitem id="open" label="&amp;Open"/>
      <menuseparator/>
      <menupopup id="recent" label="&amp;Recent"><menuitem id="r1" label="One"/></menupopup>
      <menuitem id="quit" label="E&amp;xit" disabled="true"/>
    </menupopup>
    <menupopup id="edit" label="&amp;Edit">
      <menuitem id="undo" label="&amp;Undo"/><spacer/><menuitem id="redo"/>
    </menupopup>
    <menuitem id="about" label="&amp;About"/>
  </menubar>
  <label id="content" value="The dialog's content below its menu bar"/></dialog>)";

struct Entry {
    std::wstring text;
    UINT id;
    UINT type;
    UINT state;
    HMENU submenu;
};

Entry EntryAt(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    MENUITEMINFOW info = {sizeof(info)};
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 64;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info)) << "position " << position;
    return {text, info.wID, info.fType, info.fState, info.hSubMenu};
}

// What choosing an item from the menu sends: code 0, the item's id, no control window.
void Choose(TestDialog& d, UINT id) {
    SendMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

using Menus = EngineTest<>;

} // namespace

TEST_F(Menus, TheDescriptionBuildsTheDialogsMenuBarWithUniqueIds) {
    RunDialog(kMenus, [](TestDialog& d) {
        auto& bar = d.As<CTEVMenuBar>(L"bar");
        auto& file = d.As<CTEVMenuPopup>(L"file");
        auto& edit = d.As<CTEVMenuPopup>(L"edit");
        auto id = [&d](const wchar_t* name) { return static_cast<UINT>(d.Get(name).ControlId()); };
        ASSERT_EQ(bar.Menu(), GetMenu(d.Hwnd()));

        const struct {
            HMENU menu;
            UINT position;
            Entry expected;
        } rows[] = {
            {bar.Menu(), 0, {L"&File", id(L"file"), MFT_STRING, 0, file.Menu()}},
            {bar.Menu(), 1, {L"&Edit", id(L"edit"), MFT_STRING, 0, edit.Menu()}},
            {bar.Menu(), 2, {L"&About", id(L"about"), MFT_STRING, 0, nullptr}},
            {file.Menu(), 0, {L"&Open", id(L"open"), MFT_STRING, 0, nullptr}},
            {file.Menu(), 1, {L"", 0, MFT_SEPARATOR, 0, nullptr}},
            {file.Menu(),
             2,
             {L"&Recent", id(L"recent"), MFT_STRING, 0, d.As<CTEVMenuPopup>(L"recent").Menu()}},
            {file.Menu(), 3, {L"E&xit", id(L"quit"), MFT_STRING, MFS_GRAYED, nullptr}},
            {edit.Menu(), 0, {L"&Undo", id(L"undo"), MFT_STRING, 0, nullptr}},
            {edit.Menu(), 1, {L"", id(L"redo"), MFT_STRING, 0, nullptr}}, // the spacer has no entry
        };
        std::set<UINT> ids;
        for (const auto& row : rows) {
            const Entry got = EntryAt(row.menu, row.position);
            SCOPED_TRACE(testing::Message()
                         << "entry " << Narrow(row.expected.text.c_str()) << " at " << row.position);
            EXPECT_EQ(row.expected.text, got.text);
            EXPECT_EQ(row.expected.id, got.id);
            EXPECT_EQ(row.expected.type, got.type & MFT_SEPARATOR);
            EXPECT_EQ(row.expected.state, got.state & MFS_GRAYED);
            EXPECT_EQ(row.expected.submenu, got.submenu);
            if (got.type != MFT_SEPARATOR) {
                EXPECT_TRUE(ids.insert(got.id).second) << "id " << got.id << " is used twice";
                EXPECT_GT(got.id, static_cast<UINT>(IDCANCEL));
            }
        }
        EXPECT_EQ(2, GetMenuItemCount(edit.Menu()));
        // The menu bar takes its height from the window, not from the content.
        RECT client = {};
        GetClientRect(d.Hwnd(), &client);
        EXPECT_LE(d.ClientRectOf(L"content").bottom, client.bottom);
    });
}

TEST_F(Menus, ChosenItemsFireClickedAndReachOnCommandWithoutEndingTheDialog) {
    RunDialog(kMenus, [](TestDialog& d) {
        for (const wchar_t* item : {L"open", L"r1", L"undo", L"about"}) {
            SCOPED_TRACE(Narrow(item));
            const UINT id = static_cast<UINT>(d.Get(item).ControlId());
            d.events.clear();
            d.commandElements.clear();
            d.eventResult = 1;
            Choose(d, id);
            ASSERT_EQ(1u, d.events.size());
            EXPECT_EQ(item, d.events[0].source);
            EXPECT_EQ(L"clicked", d.events[0].name);
            EXPECT_TRUE(d.commandElements.empty()); // handled: the routing ends
            // Unanswered, the command goes on to the dialog with the item as its element.
            d.eventResult = 0;
            Choose(d, id);
            ASSERT_EQ(1u, d.commandElements.size());
            EXPECT_EQ(&d.Get(item), d.commandElements[0]);
        }
        EXPECT_TRUE(d.closeRequests.empty());
        EXPECT_TRUE(IsWindowVisible(d.Hwnd()));
        // A greyed item, a popup's own entry and a control's id fire nothing.
        d.events.clear();
        for (const wchar_t* other : {L"quit", L"file", L"content"}) {
            Choose(d, static_cast<UINT>(d.Get(other).ControlId()));
        }
        EXPECT_TRUE(d.events.empty());
    });
}

TEST_F(Menus, AltAndMnemonicsChooseAnItemThroughThePlatformMenu) {
    TestDialog d(engine, kMenus);
    RunModal("the menu dialog", [&] { return d.DoModal(nullptr); },
             {// Alt+F opens "File"; the menu's own loop then takes the item's mnemonic.
              [&] { PostMessageW(d.Hwnd(), WM_SYSCHAR, 'f', 0x20000001); },
              [&] { PostMessageW(d.Hwnd(), WM_CHAR, 'o', 1); },
              [&] {
                  ASSERT_EQ(1u, d.events.size());
                  EXPECT_EQ(L"open", d.events[0].source);
                  EXPECT_EQ(L"clicked", d.events[0].name);
                  EXPECT_TRUE(IsWindowVisible(d.Hwnd()));
                  SaveScreenshot(d.Hwnd(), L"menubar");
                  EndDialog(d.Hwnd(), kEndedByScript);
              }});
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
        EXPECT_EQ(bar, GetMenu(d.Hwnd()));
    });
    for (HMENU menu : {bar, file, loose, inner}) {
        ASSERT_NE(nullptr, menu);
    }
    // The window took its menu and the submenus with it.
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(file));
    // The menus nothing attached still belong to their elements.
    EXPECT_TRUE(IsMenu(loose));
    EXPECT_TRUE(IsMenu(inner));
    dialog.reset();
    EXPECT_FALSE(IsMenu(loose));
    EXPECT_FALSE(IsMenu(inner));
}

TEST_F(Menus, TheDemoDialogShowsItsMenuBarTranslated) {
    engine.LoadStrings(TEV_DEMO_PATH L"\\1031\\demo\\strings.xml");
    TestDialog dialog(engine, TEV_DEMO_PATH L"\\projects\\demo\\rename.xml");
    dialog.Run([](TestDialog& d) {
        HMENU bar = GetMenu(d.Hwnd());
        ASSERT_NE(nullptr, bar);
        EXPECT_EQ(L"&Datei", EntryAt(bar, 0).text);
        const Entry edit = EntryAt(bar, 1);
        EXPECT_EQ(L"&Bearbeiten", edit.text);
        EXPECT_EQ(Widen(u8"Umbenennen &rückgängig"), EntryAt(edit.submenu, 1).text);
        EXPECT_EQ(static_cast<UINT>(MFS_GRAYED), EntryAt(edit.submenu, 1).state & MFS_GRAYED);
        SaveScreenshot(d.Hwnd(), L"menubar-demo-german");
    });
}
