// Menu bars and popups built from their children, and the items' "clicked" event.
#include "CTEVMenu.h"

#include "AttributeReaders.h"

namespace {

// The menu an entry sits in: its parent's, when the parent is a menu bar or a popup.
HMENU ParentMenu(CTEVElement* parent) {
    if (auto* bar = dynamic_cast<CTEVMenuBar*>(parent)) {
        return bar->Menu();
    }
    if (auto* popup = dynamic_cast<CTEVMenuPopup*>(parent)) {
        return popup->Menu();
    }
    return nullptr;
}

// Appends an entry for every item, separator and popup child of owner, in order; other
// children have no entry. Entries carry their element's control id, unique in the dialog.
void FillMenu(HMENU menu, CTEVElement& owner) {
    UINT position = 0;
    for (size_t i = 0; i < owner.ChildCount(); ++i) {
        CTEVElement* child = owner.Child(i);
        auto* item = dynamic_cast<CTEVMenuItem*>(child);
        auto* popup = dynamic_cast<CTEVMenuPopup*>(child);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        if (item || popup) {
            const wchar_t* label = item ? item->Label() : popup->Label();
            info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
            info.fType = MFT_STRING;
            info.dwTypeData = const_cast<wchar_t*>(label ? label : L"");
            info.wID = static_cast<UINT>(child->ControlId());
            info.fState = child->IsDisabled() ? MFS_GRAYED : MFS_ENABLED;
            if (popup && popup->Menu()) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = popup->Menu();
            }
        } else if (dynamic_cast<CTEVMenuSeparator*>(child)) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            continue;
        }
        if (!InsertMenuItemW(menu, position, TRUE, &info)) {
            continue;
        }
        ++position;
        if (info.hSubMenu) {
            popup->AttachedToParentMenu();
        }
    }
}

} // namespace

CTEVMenuBar::~CTEVMenuBar() {
    // A window still showing the menu would destroy it again with itself: take it back first.
    // A window already gone has destroyed it, and the handle must not be touched.
    if (!m_menu.Owned() && m_menu.Get() && IsWindow(m_attachedTo) && GetMenu(m_attachedTo) == m_menu.Get()) {
        SetMenu(m_attachedTo, nullptr);
        m_menu.TakeBack();
    }
}

BOOL CTEVMenuBar::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"menubar", tag, out);
}

void CTEVMenuBar::Create() {
    m_menu.Reset(CreateMenu());
    // Popups create their menus here, so they exist before they are inserted.
    CTEVElement::Create();
    if (!m_menu.Get()) {
        return;
    }
    FillMenu(m_menu.Get(), *this);
    // A child window (a tab panel) cannot have a menu; the bar then keeps and destroys it.
    HWND window = GetContainerHwnd();
    if (window && SetMenu(window, m_menu.Get())) {
        m_attachedTo = window;
        m_menu.HandOver();
    }
}

CTEVMenuPopup::~CTEVMenuPopup() = default;

BOOL CTEVMenuPopup::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"menupopup", tag, out);
}

BOOL CTEVMenuPopup::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    // Localised, so that a translated preview shows translated menus.
    m_label = GetLocalizedAttribute(node, L"label");
    return TRUE;
}

void CTEVMenuPopup::Create() {
    m_menu.Reset(CreatePopupMenu());
    CTEVElement::Create();
    if (m_menu.Get()) {
        FillMenu(m_menu.Get(), *this);
    }
}

CTEVMenuItem::~CTEVMenuItem() = default;

BOOL CTEVMenuItem::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"menuitem", tag, out);
}

BOOL CTEVMenuItem::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    return TRUE;
}

BOOL CTEVMenuItem::HandleCommand(int code, int id, HWND control) {
    // Menus send code 0, accelerators 1; neither names a control window.
    if (control || id != m_controlId || (code != 0 && code != 1) || IsDisabled()) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"clicked", 0, 0);
}

void CTEVMenuItem::ApplyDisabled() {
    if (HMENU menu = ParentMenu(m_parent)) {
        EnableMenuItem(menu, static_cast<UINT>(m_controlId),
                       MF_BYCOMMAND | (IsDisabled() ? MF_GRAYED : MF_ENABLED));
        if (dynamic_cast<CTEVMenuBar*>(m_parent)) {
            DrawMenuBar(GetContainerHwnd());
        }
    }
    CTEVElement::ApplyDisabled();
}

CTEVMenuSeparator::~CTEVMenuSeparator() = default;

BOOL CTEVMenuSeparator::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"menuseparator", tag, out);
}
