// The menu elements: "menubar" builds the dialog window's menu bar from its children,
// "menupopup" a submenu of its parent menu, "menuitem" and "menuseparator" the entries.
//
// Command ids: every entry is identified by its own control id (ControlId()), which the dialog
// hands out in document order from 100 like any control's, so no two entries of a dialog share
// an id and none is ever IDOK (1) or IDCANCEL (2): choosing an entry never ends the dialog.
// When the user chooses an item, the dialog receives WM_COMMAND with code 0 (1 from an
// accelerator), the item's control id and no control window; it finds the item by that id and
// the item fires "clicked" (wParam 0, lParam 0) after its behaviour children acted. An
// unanswered event goes on to FilterMessage and OnCommand (item, 0, its control id, null), so
// an application may also compare the id with FindAs<CTEVMenuItem>(L"someId")->ControlId().
#pragma once

#include "CTEVElement.h"
#include "UserHandles.h"

class CTEVMenuBar : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVMenuBar() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    // Builds the menu and its submenus and sets it as the container window's menu.
    void Create() override;

    HMENU Menu() const { return m_menu.Get(); }

private:
    MenuHandle m_menu;
    HWND m_attachedTo = nullptr; // the window that owns the menu once it is set
};

class CTEVMenuPopup : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVMenuPopup() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    HMENU Menu() const { return m_menu.Get(); }
    const wchar_t* Label() const { return CStrOrNull(m_label); }
    // Called by the parent menu that inserted this one: it is destroyed with that menu.
    void AttachedToParentMenu() { m_menu.HandOver(); }

private:
    MenuHandle m_menu;
    OptString m_label;
};

class CTEVMenuItem : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVMenuItem() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    // A command without a control window and with this item's id: fires "clicked".
    BOOL HandleCommand(int code, int id, HWND control) override;
    // Greys or enables the entry in its menu.
    void ApplyDisabled() override;

    const wchar_t* Label() const { return CStrOrNull(m_label); }

private:
    OptString m_label;
};

class CTEVMenuSeparator : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVMenuSeparator() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
};
