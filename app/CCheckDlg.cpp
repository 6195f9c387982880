#include "CCheckDlg.h"

#include "CTEVList.h"
#include "EventRoutes.h"
#include "ProjectModel.h"

CCheckDlg::CCheckDlg(CTEVEngine* engine, const ProjectModel& model, const std::vector<Finding>& findings,
                     std::wstring summary)
    : CTEVDialog(L"res:check.xml", engine, nullptr), m_model(model), m_findings(findings),
      m_summary(std::move(summary)) {}

CCheckDlg::~CCheckDlg() = default;

void CCheckDlg::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    m_list = FindAs<CTEVList>(L"lstFindings");
    if (CTEVElement* summary = FindById(L"summary")) {
        summary->SetText(m_summary.c_str());
    }
    FillList();
}

void CCheckDlg::FillList() {
    if (!m_list) {
        return;
    }
    m_list->BeginUpdate();
    for (size_t i = 0; i < m_findings.size(); ++i) {
        const Finding& finding = m_findings[i];
        const std::optional<StringInfo> info = m_model.GetStringInfo(finding.string);
        const int row = m_list->InsertItem(info ? info->Label().c_str() : L"", static_cast<int>(i), -1);
        if (finding.dialog && *finding.dialog < m_model.Dialogs().size()) {
            m_list->SetItemText(row, 1, m_model.Dialogs()[*finding.dialog].Caption().c_str());
        }
        m_list->SetItemText(row, 2, finding.what.c_str());
    }
    m_list->EndUpdate();
    if (m_list->GetItemCount() > 0) {
        ListView_SetItemState(m_list->Window(), 0, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        SetFocus(m_list->Window());
    }
}

int CCheckDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Check = CCheckDlg;
    static const EventRoute<Check> kRoutes[] = {
        {L"btnGoTo", L"clicked", [](Check& d, WPARAM, LPARAM) { return d.GoToSelected(); }},
        {L"lstFindings", L"lst-dblclk", [](Check& d, WPARAM, LPARAM) { return d.GoToSelected(); }},
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
    const int chosen = m_list ? m_list->GetSelectedParam() : -1;
    if (chosen < 0 || static_cast<size_t>(chosen) >= m_findings.size()) {
        return 0;
    }
    m_chosen = m_findings[static_cast<size_t>(chosen)].string;
    EndDialog(m_window, IDOK);
    return 1;
}
