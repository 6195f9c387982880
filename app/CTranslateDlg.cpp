// The translate dialog: row walking, skipping of translated strings and line-break conversion.
#include "CTranslateDlg.h"

#include "CTEVList.h"
#include "EventRoutes.h"
#include "HistoryKeys.h"
#include "KeyChords.h"
#include "ProgramStart.h"
#include "TextUtil.h"
#include "TranslationSession.h"
#include "WordDiff.h"

#include <algorithm>

CTranslateDlg::CTranslateDlg(CTEVEngine* engine, TranslationSession& session, std::wstring settingsFile)
    : CTEVDialog(L"res:translate.xml", engine, nullptr), m_session(session),
      m_settingsFile(std::move(settingsFile)) {
    if (const std::optional<size_t> current = m_session.Current()) {
        m_currentRow = static_cast<int>(m_session.RowOf(*current).value_or(0));
    }
    m_session.AddObserver(this);
}

CTranslateDlg::~CTranslateDlg() {
    m_session.RemoveObserver(this);
}

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
    return static_cast<int>(m_session.Rows().size());
}

int CTranslateDlg::StringIndexOfRow(int row) const {
    const std::optional<size_t> string =
        row >= 0 ? m_session.StringAt(static_cast<size_t>(row)) : std::nullopt;
    return string ? static_cast<int>(*string) : -1;
}

BOOL CTranslateDlg::ShowRow(int row, BOOL skip) {
    const int count = RowCount();
    if (row < 0 || row >= count) {
        return FALSE;
    }
    const ProjectModel& model = m_session.Model();
    auto translated = [&](int r) {
        const int index = StringIndexOfRow(r);
        return index >= 0 && model.Strings()[static_cast<size_t>(index)].loc;
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
    m_session.SetCurrent(static_cast<size_t>(index));
    const StringItem& item = model.Strings()[static_cast<size_t>(index)];
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"strID", info->Label()},
        {L"dlgName", DialogsText(model, m_session.Checks().DialogsOf(model, static_cast<size_t>(index)))},
        {L"srcString", *ToDisplayLineBreaks(item.text)},
        {L"dstString", ToDisplayLineBreaks(item.loc).value_or(L"")},
    };
    for (const auto& [id, text] : texts) {
        if (CTEVElement* element = FindById(id)) {
            element->SetText(text.c_str());
        }
    }
    // The original is read from its start; the translation is selected whole, caret at its start,
    // so typing replaces it instead of going in front of it.
    if (CTEVElement* original = FindById(L"srcString")) {
        SendMessageW(original->Window(), EM_SETSEL, 0, 0);
        SendMessageW(original->Window(), EM_SCROLLCARET, 0, 0);
    }
    if (CTEVElement* translation = FindById(L"dstString")) {
        const LRESULT length = SendMessageW(translation->Window(), WM_GETTEXTLENGTH, 0, 0);
        SendMessageW(translation->Window(), EM_SETSEL, static_cast<WPARAM>(length), 0);
        SendMessageW(translation->Window(), EM_SCROLLCARET, 0, 0);
    }
    ShowPosition();
    ShowFindings();
    ShowSuggestions(static_cast<size_t>(index));
    if (m_preview) {
        m_preview->ShowString(static_cast<size_t>(index), TypedTranslation());
    }
    return TRUE;
}

void CTranslateDlg::ShowSuggestions(size_t string) {
    m_suggestions = m_session.Suggestions(string);
    if (CTEVList* list = FindAs<CTEVList>(L"lstSuggestions")) {
        const std::wstring& original = m_session.Model().Strings()[string].text;
        list->BeginUpdate();
        list->DeleteAllItems();
        for (size_t i = 0; i < m_suggestions.size(); ++i) {
            const Suggestion& suggestion = m_suggestions[i];
            const int row = list->InsertItem(FormatText(L"Alt+%u", static_cast<unsigned>(i + 1)).c_str(),
                                             static_cast<int>(i), -1);
            list->SetItemText(row, 1, (std::to_wstring(suggestion.percent) + L" %").c_str());
            list->SetItemText(row, 2, suggestion.translation.c_str());
            list->SetItemText(row, 3, suggestion.origin.c_str());
            list->SetItemText(row, 4, DiffText(DiffWords(original, suggestion.original)).c_str());
        }
        list->EndUpdate();
    }
    if (CTEVElement* box = FindById(L"suggestions")) {
        box->SetHidden(m_suggestions.empty());
    }
}

OptString CTranslateDlg::TypedTranslation() {
    CTEVElement* translation = FindById(L"dstString");
    return FromDisplayLineBreaks(translation ? CopyOrNull(translation->GetText()) : std::nullopt);
}

void CTranslateDlg::ShowFindings() {
    CTEVElement* label = FindById(L"findings");
    if (!label || m_currentRow < 0 || m_currentRow >= RowCount()) {
        return;
    }
    const int index = StringIndexOfRow(m_currentRow);
    if (index < 0) {
        return;
    }
    const OptString text = TypedTranslation();
    // An empty box leaves the string untranslated: nothing of it to check.
    std::wstring line = text && !text->empty() ? FindingsLine(m_session.Checks().CheckCandidate(
                                                     m_session.Model(), static_cast<size_t>(index), text))
                                               : std::wstring();
    const StringItem& item = m_session.Model().Strings()[static_cast<size_t>(index)];
    if (item.NeedsReview()) {
        // "&" doubled: the label would take it for a mnemonic.
        std::wstring change = DiffText(DiffWords(*item.madeFrom, item.text));
        for (size_t at = change.find(L'&'); at != std::wstring::npos; at = change.find(L'&', at + 2)) {
            change.insert(at, 1, L'&');
        }
        line = L"Original changed: " + change + L". Enter (Save >) keeps the translation as reviewed." +
               (line.empty() ? L"" : L" " + line);
    }
    label->SetText(line.c_str());
}

void CTranslateDlg::ShowPosition() {
    if (CTEVElement* position = FindById(L"position")) {
        position->SetText(FormatText(L"String %d of %d", m_currentRow + 1, RowCount()).c_str());
    }
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
    m_preview = std::make_unique<CLivePreview>(m_session, m_settingsFile,
                                               [this](size_t string) { PickString(string); });
    m_preview->Create(m_window);
    if (!ShowRow(m_currentRow, FALSE)) {
        EndDialog(m_window, IDCANCEL);
        return;
    }
}

// The dialog's keys work whichever of its controls has the focus.
bool CTranslateDlg::PreTranslateKey(const MSG& msg) {
    return HandleToolkitKey(msg) || HandleRowKey(msg) || HandleWalkKey(msg) || HandleCopyOriginalKey(msg) ||
           HandlePreviewKey(msg);
}

bool CTranslateDlg::HandlePreviewKey(const MSG& msg) {
    if (!m_preview || !IsKeyDownWith(msg, VK_F6, kNoModifier)) {
        return false;
    }
    m_preview->SetShown(!m_preview->IsShown());
    return true;
}

void CTranslateDlg::PickString(size_t string) {
    StoreTranslation();
    const std::optional<size_t> row = m_session.RowOf(string);
    if (!row || !ShowRow(static_cast<int>(*row), FALSE)) {
        MessageBeep(MB_OK);
    }
    FocusTranslation();
}

bool CTranslateDlg::HandleRowKey(const MSG& msg) {
    if (!IsKeyDownWith(msg, VK_DOWN, kCtrl) && !IsKeyDownWith(msg, VK_UP, kCtrl)) {
        return false;
    }
    if (msg.wParam == VK_DOWN) {
        SaveAndMoveOn();
    } else {
        SaveAndGoBack();
    }
    return true;
}

bool CTranslateDlg::HandleToolkitKey(const MSG& msg) {
    return HandleHistoryKey(msg) || HandleSuggestionKey(msg);
}

// Text typed but not stored is the box's own to undo: Ctrl+Z reaches the box then, and Ctrl+Y waits.
bool CTranslateDlg::HandleHistoryKey(const MSG& msg) {
    const HistoryKey key = HistoryKeyOf(msg);
    if (key == HistoryKey::None || TranslationEdited()) {
        return false;
    }
    const HistoryStep step = StepHistory(m_session, key);
    // The translator sees what the undo changed: the dialog goes to that string.
    if (const std::optional<size_t> row = step.string ? m_session.RowOf(*step.string) : std::nullopt) {
        ShowRow(static_cast<int>(*row), FALSE);
    }
    ShowStatus(step.status);
    return true;
}

bool CTranslateDlg::HandleSuggestionKey(const MSG& msg) {
    if (msg.message != WM_SYSKEYDOWN || !(HIWORD(msg.lParam) & KF_ALTDOWN) || msg.wParam < '1' ||
        msg.wParam > '3' || GetKeyState(VK_CONTROL) < 0) {
        return false;
    }
    const size_t which = msg.wParam - '1';
    if (which >= m_suggestions.size()) {
        return false;
    }
    InsertSuggestion(which);
    return true;
}

// In place of the selection, as pasting does, so the box's own undo takes it back.
void CTranslateDlg::InsertSuggestion(size_t which) {
    CTEVElement* translation = FindById(L"dstString");
    if (!translation || !translation->Window()) {
        return;
    }
    const OptString text = ToDisplayLineBreaks(m_suggestions[which].translation);
    SendMessageW(translation->Window(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text->c_str()));
    FocusTranslation();
}

void CTranslateDlg::OnTranslationsChanged(const std::vector<size_t>& strings) {
    const int index = StringIndexOfRow(m_currentRow);
    if (!m_window || index < 0 ||
        std::find(strings.begin(), strings.end(), static_cast<size_t>(index)) == strings.end()) {
        return;
    }
    const OptString stored = m_session.Model().Strings()[static_cast<size_t>(index)].loc;
    CTEVElement* translation = FindById(L"dstString");
    if (translation && TypedTranslation().value_or(L"") != stored.value_or(L"")) {
        translation->SetText(ToDisplayLineBreaks(stored).value_or(L"").c_str());
    }
    ShowFindings();
}

void CTranslateDlg::ShowStatus(const std::wstring& text) {
    if (CTEVElement* status = FindById(L"status")) {
        status->SetText(text.c_str());
    }
}

bool CTranslateDlg::HandleWalkKey(const MSG& msg) {
    const std::optional<StringWalk> walk = WalkOfKey(msg);
    if (!walk) {
        return false;
    }
    SaveAndWalk(*walk);
    return true;
}

// Stored first: the typed text may translate the string, or mend its findings, before the walk looks.
void CTranslateDlg::SaveAndWalk(StringWalk walk) {
    StoreTranslation();
    const std::optional<size_t> row = FindRow(m_session, static_cast<size_t>(m_currentRow), walk);
    if (!row || !ShowRow(static_cast<int>(*row), FALSE)) {
        MessageBeep(MB_OK);
    }
    FocusTranslation();
}

bool CTranslateDlg::HandleCopyOriginalKey(const MSG& msg) {
    if (!IsKeyDownWith(msg, 'B', kCtrl)) {
        return false;
    }
    CopyOriginal();
    return true;
}

// Replaced as typing would replace it: the box reports the change, and its own undo takes the copy back.
void CTranslateDlg::CopyOriginal() {
    CTEVElement* original = FindById(L"srcString");
    CTEVElement* translation = FindById(L"dstString");
    if (!original || !translation || !translation->Window()) {
        return;
    }
    const std::wstring text = original->GetText() ? original->GetText() : L"";
    SendMessageW(translation->Window(), EM_SETSEL, 0, -1);
    SendMessageW(translation->Window(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    FocusTranslation();
}

BOOL CTranslateDlg::CanClose(int) {
    if (!TranslationEdited()) {
        return TRUE;
    }
    switch (MessageBoxW(m_window, L"The translation was changed but not stored.\n\nStore it before closing?",
                        kProgramCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        StoreTranslation();
        return TRUE;
    case IDNO:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CTranslateDlg::PreProcessMessage(HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_QUERYENDSESSION) {
        return FALSE;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, CanClose(IDCANCEL));
    *result = TRUE;
    return TRUE;
}

bool CTranslateDlg::TranslationEdited() {
    if (m_currentRow < 0 || m_currentRow >= RowCount()) {
        return false;
    }
    const int index = StringIndexOfRow(m_currentRow);
    if (index < 0) {
        return false;
    }
    const OptString text = TypedTranslation();
    // An empty box stands for an untranslated string, as storing it would make it.
    return text != m_session.Model().Strings()[static_cast<size_t>(index)].loc;
}

int CTranslateDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Translate = CTranslateDlg;
    static const EventRoute<Translate> kRoutes[] = {
        {L"btnSave", L"clicked", [](Translate& d, WPARAM, LPARAM) { return d.SaveAndMoveOn(), 1; }},
        {L"btnSkip", L"clicked", [](Translate& d, WPARAM, LPARAM) { return d.MoveOn(), 1; }},
        {L"dstString", L"changed", [](Translate& d, WPARAM, LPARAM) { return d.TranslationTyped(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
}

void CTranslateDlg::TranslationTyped() {
    ShowFindings();
    if (m_preview) {
        m_preview->TextTyped(TypedTranslation());
    }
}

void CTranslateDlg::StoreTranslation() {
    const OptString text = TypedTranslation();
    const int index = StringIndexOfRow(m_currentRow);
    if (index >= 0) {
        const auto stored = static_cast<size_t>(index);
        ShowStatus(ForwardCopyText(m_session.Model(), stored, m_session.StoreTranslation(stored, text)));
    }
}

void CTranslateDlg::SaveAndMoveOn() {
    StoreTranslation();
    MoveOn();
}

void CTranslateDlg::SaveAndGoBack() {
    StoreTranslation();
    ShowRow(m_currentRow - 1, FALSE);
    FocusTranslation();
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
    return SizeSettings().Width(m_window, cx);
}

int CTranslateDlg::AdjustHeight(int cy) {
    return SizeSettings().Height(m_window, cy);
}

StoredWindowSize CTranslateDlg::SizeSettings() const {
    return StoredWindowSize(m_settingsFile, L"TranslateWindow");
}

void CTranslateDlg::OnDestroy(int cx, int cy) {
    SizeSettings().Store(m_window, cx, cy);
}
