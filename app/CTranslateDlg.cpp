// The translate dialog: row walking, skipping of translated strings and line-break conversion.
#include "CTranslateDlg.h"

#include "CMainDialog.h"
#include "CTEVList.h"
#include "EventRoutes.h"
#include "WindowSize.h"

namespace {

StoredWindowSize SizeSettings(const CMainDialog& main) {
    return StoredWindowSize(main.ProgramFolder() + L"settings.ini", L"TranslateWindow");
}

} // namespace

CTranslateDlg::CTranslateDlg(CTEVEngine* engine, CMainDialog* mainDialog, int startRow)
    : CTEVDialog(L"res:translate.xml", engine, nullptr), m_mainDialog(mainDialog), m_currentRow(startRow) {}

CTranslateDlg::~CTranslateDlg() = default;

OptString CTranslateDlg::ToDisplayLineBreaks(const OptString& text) {
    if (!text) {
        return std::nullopt;
    }
    std::wstring display;
    display.reserve(text->size());
    for (wchar_t c : *text) {
        if (c == L'\n') {
            display += L'\r';
        }
        display += c;
    }
    return display;
}

OptString CTranslateDlg::FromDisplayLineBreaks(const OptString& text) {
    if (!text) {
        return std::nullopt;
    }
    std::wstring stored;
    stored.reserve(text->size());
    for (size_t i = 0; i < text->size(); ++i) {
        if ((*text)[i] == L'\r' && i + 1 < text->size() && (*text)[i + 1] == L'\n') {
            continue;
        }
        stored += (*text)[i];
    }
    return stored;
}

int CTranslateDlg::RowCount() const {
    CTEVList* list = m_mainDialog->StringList();
    return list ? list->GetItemCount() : 0;
}

int CTranslateDlg::StringIndexOfRow(int row) const {
    return m_mainDialog->StringList()->GetItemParam(row);
}

BOOL CTranslateDlg::ShowRow(int row, BOOL skip) {
    const int count = RowCount();
    if (row < 0 || row >= count) {
        return FALSE;
    }
    const ProjectModel& model = m_mainDialog->Model();
    auto translated = [&](int r) {
        const int index = StringIndexOfRow(r);
        return index >= 0 && index < static_cast<int>(model.strings.size()) && model.strings[index].loc;
    };
    if (skip) {
        while (row < count && translated(row)) {
            ++row;
        }
        if (row == count) {
            return FALSE;
        }
    }
    const int index = StringIndexOfRow(row);
    const std::optional<StringInfo> info = model.GetStringInfo(static_cast<size_t>(index));
    if (index < 0 || !info) {
        return FALSE;
    }
    m_currentRow = row;
    const StringItem& item = model.strings[index];
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"strID", info->Label()},
        {L"dlgName", info->caption.value_or(L"")},
        {L"srcString", *ToDisplayLineBreaks(item.text)},
        {L"dstString", ToDisplayLineBreaks(item.loc).value_or(L"")},
    };
    for (const auto& [id, text] : texts) {
        if (CTEVElement* element = FindById(id)) {
            element->SetText(text.c_str());
        }
    }
    return TRUE;
}

void CTranslateDlg::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    FocusTranslation();
    // The dialog manager gives the focus to the first tab stop once initialisation returns; this
    // request is handled after that.
    if (CTEVElement* translation = FindById(L"dstString")) {
        PostMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(translation->Window()), TRUE);
    }
    SetDefaultButton(L"btnSave");
    if (!ShowRow(m_currentRow, FALSE)) {
        EndDialog(m_window, IDCANCEL);
    }
}

int CTranslateDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Translate = CTranslateDlg;
    static const EventRoute<Translate> kRoutes[] = {
        {L"btnSave", L"clicked", [](Translate& d, WPARAM, LPARAM) { return d.SaveAndMoveOn(), 1; }},
        {L"btnSkip", L"clicked", [](Translate& d, WPARAM, LPARAM) { return d.MoveOn(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
}

void CTranslateDlg::SaveAndMoveOn() {
    CTEVElement* translation = FindById(L"dstString");
    const OptString text =
        FromDisplayLineBreaks(translation ? CopyOrNull(translation->GetText()) : std::nullopt);
    if (m_currentRow >= 0 && m_currentRow < RowCount()) {
        m_mainDialog->SetTranslation(StringIndexOfRow(m_currentRow), CStrOrNull(text));
    }
    MoveOn();
}

void CTranslateDlg::MoveOn() {
    CTEVElement* skipTranslated = FindById(L"skipTranslated");
    ShowRow(m_currentRow + 1, skipTranslated && skipTranslated->GetValue() != 0);
    FocusTranslation();
}

void CTranslateDlg::FocusTranslation() {
    if (CTEVElement* translation = FindById(L"dstString")) {
        translation->FocusFirstTabStop();
    }
}

int CTranslateDlg::AdjustWidth(int cx) {
    return SizeSettings(*m_mainDialog).Width(m_window, cx);
}

int CTranslateDlg::AdjustHeight(int cy) {
    return SizeSettings(*m_mainDialog).Height(m_window, cy);
}

void CTranslateDlg::OnDestroy(int cx, int cy) {
    SizeSettings(*m_mainDialog).Store(m_window, cx, cy);
}
