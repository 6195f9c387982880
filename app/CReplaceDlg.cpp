#include "CReplaceDlg.h"

#include "CTEVList.h"
#include "EventRoutes.h"
#include "TranslationSession.h"

CReplaceDlg::CReplaceDlg(CTEVEngine* engine, TranslationSession& session)
    : CTEVDialog(L"res:replace.xml", engine, nullptr), m_session(session) {}

CReplaceDlg::~CReplaceDlg() = default;

void CReplaceDlg::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    m_list = FindAs<CTEVList>(L"lstChanges");
    ShowPlan();
    if (CTEVElement* find = FindById(L"findWhat")) {
        find->FocusFirstTabStop();
    }
}

int CReplaceDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Replace = CReplaceDlg;
    static const EventRoute<Replace> kRoutes[] = {
        {L"findWhat", L"changed", [](Replace& d, WPARAM, LPARAM) { return d.ShowPlan(), 1; }},
        {L"replaceWith", L"changed", [](Replace& d, WPARAM, LPARAM) { return d.ShowPlan(), 1; }},
        {L"matchCase", L"changed", [](Replace& d, WPARAM, LPARAM) { return d.ShowPlan(), 1; }},
        {L"wholeWords", L"changed", [](Replace& d, WPARAM, LPARAM) { return d.ShowPlan(), 1; }},
        {L"btnReplaceAll", L"clicked", [](Replace& d, WPARAM, LPARAM) { return d.ReplaceAll(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
}

BOOL CReplaceDlg::CanClose(int code) {
    return code != IDOK;
}

ReplaceQuery CReplaceDlg::Query() {
    auto text = [this](const wchar_t* id) {
        CTEVElement* box = FindById(id);
        const wchar_t* value = box ? box->GetText() : nullptr;
        return std::wstring(value ? value : L"");
    };
    auto checked = [this](const wchar_t* id) {
        CTEVElement* box = FindById(id);
        return box && box->GetValue() != 0;
    };
    return {text(L"findWhat"), text(L"replaceWith"), checked(L"matchCase"), checked(L"wholeWords")};
}

void CReplaceDlg::ShowPlan() {
    const ReplaceQuery query = Query();
    const std::vector<PlannedReplacement> plan = m_session.PlanReplace(query);
    if (m_list) {
        m_list->BeginUpdate();
        m_list->DeleteAllItems();
        const ProjectModel& model = m_session.Model();
        for (const PlannedReplacement& change : plan) {
            const std::optional<StringInfo> info = model.GetStringInfo(change.string);
            const int row =
                m_list->InsertItem(info ? info->Label().c_str() : L"", static_cast<int>(change.string), -1);
            m_list->SetItemText(row, 1, change.before.c_str());
            m_list->SetItemText(row, 2, change.after.c_str());
        }
        m_list->EndUpdate();
    }
    if (CTEVElement* replaceAll = FindById(L"btnReplaceAll")) {
        replaceAll->SetDisabled(plan.empty());
    }
    ShowSummary(query.find.empty() ? std::wstring()
                : plan.empty()
                    ? std::wstring(L"No translation matches.")
                    : FormatText(L"%u translation(s) would change.", static_cast<unsigned>(plan.size())));
}

void CReplaceDlg::ReplaceAll() {
    const size_t replaced = m_session.ReplaceAll(Query());
    m_replaced += replaced;
    ShowPlan();
    ShowSummary(ReplacedText(replaced) + L"; Ctrl+Z in the main window takes it back.");
}

void CReplaceDlg::ShowSummary(const std::wstring& text) {
    if (CTEVElement* summary = FindById(L"summary")) {
        summary->SetText(text.c_str());
    }
}

std::wstring CReplaceDlg::ReplacedText(size_t replaced) {
    return FormatText(L"Replaced in %u translation%s", static_cast<unsigned>(replaced),
                      replaced == 1 ? L"" : L"s");
}
