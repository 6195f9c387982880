#include "CCheckDlg.h"

#include "CTEVList.h"
#include "EventRoutes.h"
#include "ProjectModel.h"
#include "TranslationSession.h"

#include <algorithm>

namespace {

const wchar_t kCaption[] = L"Check Translation";

} // namespace

CCheckDlg::CCheckDlg(CTEVEngine* engine, TranslationSession& session)
    : CTEVDialog(L"res:check.xml", engine, nullptr), m_session(session) {}

CCheckDlg::~CCheckDlg() = default;

void CCheckDlg::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    m_list = FindAs<CTEVList>(L"lstFindings");
    Refill(0);
    if (m_list) {
        SetFocus(m_list->Window());
    }
}

void CCheckDlg::Refill(int row) {
    const ProjectModel& model = m_session.Model();
    m_findings = m_session.Checks().AllFindings(model);
    if (CTEVElement* summary = FindById(L"summary")) {
        const std::wstring text =
            ProgressText(m_session.Checks().Total()) + L"; " + FindingsSummary(m_findings);
        summary->SetText(text.c_str());
    }
    if (!m_list) {
        return;
    }
    m_list->BeginUpdate();
    m_list->DeleteAllItems();
    for (size_t i = 0; i < m_findings.size(); ++i) {
        const Finding& finding = m_findings[i];
        const std::optional<StringInfo> info = model.GetStringInfo(finding.string);
        const int inserted = m_list->InsertItem(info ? info->Label().c_str() : L"", static_cast<int>(i), -1);
        if (finding.dialog && *finding.dialog < model.Dialogs().size()) {
            m_list->SetItemText(inserted, 1, model.Dialogs()[*finding.dialog].Caption().c_str());
        }
        const std::wstring what = finding.dismissed ? L"(dismissed) " + finding.what : finding.what;
        m_list->SetItemText(inserted, 2, what.c_str());
    }
    m_list->EndUpdate();
    const int count = m_list->GetItemCount();
    if (count > 0) {
        row = std::min(std::max(row, 0), count - 1);
        ListView_SetItemState(m_list->Window(), row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(m_list->Window(), row, FALSE);
    }
    UpdateDismissButton();
}

const Finding* CCheckDlg::Selected() const {
    const int chosen = m_list ? m_list->GetSelectedParam() : -1;
    return chosen >= 0 && static_cast<size_t>(chosen) < m_findings.size()
               ? &m_findings[static_cast<size_t>(chosen)]
               : nullptr;
}

void CCheckDlg::UpdateDismissButton() {
    CTEVElement* button = FindById(L"btnDismiss");
    if (!button) {
        return;
    }
    const Finding* finding = Selected();
    // A button's label is its window's text; the element keeps no value of its own to set.
    SetWindowTextW(button->Window(), finding && finding->dismissed ? L"&Restore" : L"&Dismiss");
    button->SetDisabled(!finding || !CanDismiss(*finding));
}

int CCheckDlg::ToggleDismissed() {
    const Finding* finding = Selected();
    if (!finding) {
        return 0;
    }
    const SaveResult result = m_session.SetDismissed(*finding, !finding->dismissed);
    if (!result.Saved()) {
        MessageBoxW(m_window, result.Message().c_str(), kCaption, MB_ICONERROR | MB_OK);
    }
    Refill(m_list->GetSelectedIndex());
    return 1;
}

int CCheckDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Check = CCheckDlg;
    static const EventRoute<Check> kRoutes[] = {
        {L"btnGoTo", L"clicked", [](Check& d, WPARAM, LPARAM) { return d.GoToSelected(); }},
        {L"btnDismiss", L"clicked", [](Check& d, WPARAM, LPARAM) { return d.ToggleDismissed(); }},
        {L"lstFindings", L"lst-dblclk", [](Check& d, WPARAM, LPARAM) { return d.GoToSelected(); }},
        {L"lstFindings", L"lst-itemchanged",
         [](Check& d, WPARAM, LPARAM) { return d.UpdateDismissButton(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
}

// Enter chooses the selected finding, as a double click does.
BOOL CCheckDlg::CanClose(int code) {
    if (code == IDOK) {
        GoToSelected();
        return FALSE;
    }
    return TRUE;
}

int CCheckDlg::GoToSelected() {
    const Finding* finding = Selected();
    if (!finding) {
        return 0;
    }
    m_chosen = finding->string;
    EndDialog(m_window, IDOK);
    return 1;
}
