// A page of a tab switcher: its attributes, its events and its visibility.
#include "CTEVTab.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"

CTEVTab::CTEVTab(CTEVElement* parent, CTEVEngine* engine) : CTEVElement(parent, engine) {}

BOOL CTEVTab::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"tab", tag, out);
}

BOOL CTEVTab::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_caption = GetLocalizedAttribute(node, L"caption");
    m_icon = GetAttributeString(node, L"icon");
    m_helpTopic = GetAttributeString(node, L"helpTopic");
    m_selected = GetAttributeBool(node, L"selected", FALSE);
    m_focusOnSelect = GetAttributeBool(node, L"setFocus", FALSE);
    m_value = GetAttributeInt(node, L"value", 0);
    // Only the selection decides whether the page shows.
    m_hidden = !m_selected;
    return TRUE;
}

// The application hears of the first page while the dialog initialises, so it can fill it
// before the first layout.
void CTEVTab::Create() {
    if (m_page.WaitsAtCreate()) {
        return;
    }
    CTEVElement::Create();
    if (m_selected) {
        FireActivation();
    }
}

void CTEVTab::GetMinSize(SIZE* size) {
    if (m_page.IsWaiting()) {
        *size = {0, 0};
        return;
    }
    CTEVElement::GetMinSize(size);
}

void CTEVTab::Arrange(int x, int y, int cx, int cy) {
    if (!m_page.IsWaiting()) {
        CTEVElement::Arrange(x, y, cx, cy);
    }
}

// The flags of a waiting page count when it is made; until then no window needs them.
void CTEVTab::ApplyHidden() {
    if (!m_page.IsWaiting()) {
        CTEVElement::ApplyHidden();
    }
}

void CTEVTab::ApplyDisabled() {
    if (!m_page.IsWaiting()) {
        CTEVElement::ApplyDisabled();
    }
}

void CTEVTab::NeedWindows() {
    m_page.Need(*this);
}

int CTEVTab::GetValue() {
    return m_value;
}

void CTEVTab::DoCommand(const wchar_t* command) {
    if (EqualsNoCase(command, L"help") && m_helpTopic && m_engine) {
        m_engine->OpenHelp(GetRoot()->Window(), m_helpTopic->c_str(), 0);
    }
}

// The events come before the controls change, so a handler can still fill or read the page.
void CTEVTab::Select(BOOL on) {
    // Made while still hidden: its controls appear with the others, after the events.
    if (on) {
        NeedWindows();
    }
    m_selected = on;
    m_hidden = !on;
    if (on) {
        FireActivation();
    } else {
        Fire(L"tab-deactivate", 0, 0);
    }
    ApplyHidden();
    if (on && m_focusOnSelect) {
        for (auto& child : m_children) {
            if (child->FocusFirstTabStop()) {
                break;
            }
        }
    }
}

void CTEVTab::DropInitialSelection() {
    m_selected = FALSE;
    m_hidden = TRUE;
}

void CTEVTab::FireActivation() {
    if (!m_initialized) {
        m_initialized = TRUE;
        Fire(L"tab-init", 0, 0);
    }
    Fire(L"tab-activate", 0, 0);
}
