#include "CTEVTabPanel.h"

#include "AttributeReaders.h"

#include <uxtheme.h>

CTEVTabPanel::CTEVTabPanel(CTEVElement* parent, CTEVEngine* engine) : CTEVDialog(nullptr, engine, parent) {}

CTEVTabPanel::~CTEVTabPanel() = default;

BOOL CTEVTabPanel::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"tabpanel", tag, out);
}

BOOL CTEVTabPanel::LoadFromNode(IXMLDOMNode* node) {
    // A page takes no dialog-level attributes: it has no caption, frame or placement of its own.
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    return TRUE;
}

void CTEVTabPanel::Create() {
    if (m_page.WaitsAtCreate()) {
        return;
    }
    if (LaysOutWithoutWindows()) {
        // The page stands for its window, which holds the page's controls.
        StandInForWindow(nullptr, true);
        OnInitDialog();
        SetMargins();
        return;
    }
    // A page made while another one shows is made hidden, with its controls.
    BuildTemplate(WS_CHILD | (IsHidden() ? 0 : WS_VISIBLE) | DS_SETFONT, WS_EX_CONTROLPARENT, m_width,
                  m_height);
    // WM_INITDIALOG arrives before this returns: the window is stored and the controls exist.
    CreateDialogIndirectParamW(nullptr, Template(), ParentContainer(), DialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (!m_window) {
        return;
    }
    EnableThemeDialogTexture(m_window, ETDT_ENABLETAB);
    SetMargins();
}

void CTEVTabPanel::SetMargins() {
    const RECT margins = MapDialogUnits(7, 7, 7, 7);
    m_marginLeft = margins.left;
    m_marginRight = margins.right;
    m_marginTop = margins.top;
    m_marginBottom = margins.bottom;
}

void CTEVTabPanel::GetMinSize(SIZE* size) {
    if (m_page.IsWaiting()) {
        *size = {0, 0};
        return;
    }
    CTEVDialog::GetMinSize(size);
}

void CTEVTabPanel::Arrange(int x, int y, int cx, int cy) {
    if (m_page.IsWaiting()) {
        return;
    }
    PlaceControl(x, y, cx, cy);
    // The controls live in the page's own window, so they are placed from its corner.
    ArrangeChildren(0, 0, cx, cy);
}

// The flags of a waiting page count when it is made; until then no window needs them.
void CTEVTabPanel::ApplyHidden() {
    if (!m_page.IsWaiting()) {
        CTEVDialog::ApplyHidden();
    }
}

void CTEVTabPanel::ApplyDisabled() {
    if (!m_page.IsWaiting()) {
        CTEVDialog::ApplyDisabled();
    }
}

void CTEVTabPanel::NeedWindows() {
    m_page.Need(*this);
}

void CTEVTabPanel::OnInitDialog() {
    // The enclosing layout sizes and places the page; here only its controls are made.
    CTEVElement::Create();
}

BOOL CTEVTabPanel::PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Accept and cancel end the dialog the user sees, never only the page inside it.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_COMMAND, wParam, lParam);
        *result = TRUE;
        return TRUE;
    }
    return FALSE;
}
