#include "CMainDialog.h"

#include "CCheckDlg.h"
#include "CMyTEVEngine.h"
#include "COpenDlg.h"
#include "CReplaceDlg.h"
#include "CTEVComboBox.h"
#include "CTEVList.h"
#include "CTranslateDlg.h"
#include "DialogLayout.h"
#include "EventRoutes.h"
#include "HistoryKeys.h"
#include "ImportStrings.h"
#include "KeyChords.h"
#include "ProgramIdentity.h"
#include "PseudoTranslation.h"
#include "SafeReplace.h"
#include "TmxFile.h"
#include "WindowSize.h"
#include "win32/KernelHandles.h"
#include "win32/UserHandles.h"

#include <shlwapi.h>

#include <algorithm>
#include <optional>

namespace {

// A cell shows a line break as a visible mark: the list would draw it as a box or not at all.
// Texts without one are shown as they are, without a copy.
const wchar_t* CellText(const std::wstring& text, std::wstring& scratch) {
    if (text.find_first_of(L"\r\n") == std::wstring::npos) {
        return text.c_str();
    }
    scratch.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            scratch += L'\x00B6'; // the pilcrow: every font of the list has it
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
        } else {
            scratch += text[i];
        }
    }
    return scratch.c_str();
}

// Labels repaint on every text they are given; many updates give them the text they have.
void SetLabelText(CTEVElement* label, const std::wstring& text) {
    if (label && text != (label->GetText() ? label->GetText() : L"")) {
        label->SetText(text.c_str());
    }
}

// A moment as the user's locale writes a date and a time.
std::wstring LocalDateTimeText(const FILETIME& moment) {
    FILETIME local = {};
    SYSTEMTIME time = {};
    if (!FileTimeToLocalFileTime(&moment, &local) || !FileTimeToSystemTime(&local, &time)) {
        return L"?";
    }
    wchar_t date[128] = L"";
    wchar_t clock[64] = L"";
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, ARRAYSIZE(date), nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, ARRAYSIZE(clock));
    return std::wstring(date) + L" " + clock;
}

// "; not read: a.xml (not found), b.xml (not readable as XML)", at most a few named.
std::wstring UnreadDescriptionsText(const std::vector<UnreadDescription>& unread) {
    constexpr size_t kNamed = 3;
    if (unread.empty()) {
        return L"";
    }
    std::wstring text = L"; not read: ";
    for (size_t i = 0; i < unread.size() && i < kNamed; ++i) {
        text += (i ? L", " : L"") + unread[i].file + L" (" + unread[i].why + L")";
    }
    if (unread.size() > kNamed) {
        text += FormatText(L" and %u more", static_cast<unsigned>(unread.size() - kNamed));
    }
    return text;
}

struct OwnedWindows {
    HWND owner;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwnedWindows(HWND window, LPARAM param) {
    auto* owned = reinterpret_cast<OwnedWindows*>(param);
    if (GetWindow(window, GW_OWNER) == owned->owner && IsWindowVisible(window)) {
        owned->windows.push_back(window);
    }
    return TRUE;
}

} // namespace

CMainDialog::CMainDialog(CTEVEngine* engine, std::wstring programFolder, TranslationSession& session)
    : CTEVDialog(L"res:main.xml", engine, nullptr), m_programFolder(std::move(programFolder)),
      m_session(session) {
    m_session.AddObserver(this);
}

CMainDialog::~CMainDialog() {
    m_session.RemoveObserver(this);
}

void CMainDialog::OnPreInitDialog() {
    m_stringList = FindAs<CTEVList>(L"lstStrings");
    m_dialogCombo = FindAs<CTEVComboBox>(L"dialog");
    m_showCombo = FindAs<CTEVComboBox>(L"show");
    if (m_stringList) {
        // The rows show the model's own texts: a refill copies none of them.
        m_stringList->SetTextSource([this](int param, int column, std::wstring& scratch) -> const wchar_t* {
            const std::vector<StringItem>& strings = m_session.Model().Strings();
            if (param < 0 || static_cast<size_t>(param) >= strings.size()) {
                return L"";
            }
            const StringItem& item = strings[static_cast<size_t>(param)];
            if (column == 0) {
                return CellText(item.text, scratch);
            }
            return item.loc ? CellText(*item.loc, scratch) : L"";
        });
    }
}

BOOL CMainDialog::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVDialog::LoadFromNode(node)) {
        return FALSE;
    }
    // Shown once the first open dialog is confirmed. A visible template is shown by the dialog
    // manager after initialisation even when it ended there: cancelling at start would flash the
    // whole window, painted, before the program ends.
    m_style &= ~WS_VISIBLE;
    return TRUE;
}

void CMainDialog::OnInitDialog() {
    // The open dialog comes before this window makes its controls: it shows sooner, and cancelling
    // it ends the program before anything else was made.
    const std::unique_ptr<COpenDlg> chosen = ChooseProject();
    if (!chosen) {
        EndDialog(m_window, IDCANCEL);
        return;
    }
    CTEVDialog::OnInitDialog();
    SetProgramIcon(m_window);
    AddAboutToSystemMenu(m_window);
    ArrangeTabOrder();
    if (m_showCombo) {
        m_showCombo->SetValue(static_cast<int>(ShownStrings::All));
    }
    UpdateStringInfo();
    OnModifiedChanged();
    OpenChosenProject(*chosen);
    ShowWindow(m_window, SW_SHOWNORMAL);
    // A translator starts by searching; the dialog manager focuses the first tab stop once
    // initialisation returns, and this request is handled after that.
    if (CTEVElement* find = FindById(L"find")) {
        PostMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(find->Window()), TRUE);
    }
}

int CMainDialog::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    using Main = CMainDialog;
    static const EventRoute<Main> kRoutes[] = {
        {L"btnOpen", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.OpenAnotherProject(); }},
        {L"btnSave", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.SaveWithMessage(); }},
        {L"btnTranslate", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.OpenTranslateDialog(); }},
        {L"lstStrings", L"lst-dblclk", [](Main& d, WPARAM, LPARAM) { return d.OpenTranslateDialog(); }},
        {L"testDlg", L"clicked",
         [](Main& d, WPARAM, LPARAM) { return d.ShowTranslated(d.ValueOfDialogCombo()), 1; }},
        {L"showOriginal", L"clicked",
         [](Main& d, WPARAM, LPARAM) { return d.ShowOriginal(d.ValueOfDialogCombo()), 1; }},
        {L"urlTranslated", L"clicked",
         [](Main& d, WPARAM, LPARAM) { return d.ShowTranslated(d.DialogOfSelectedString()), 1; }},
        {L"urlOriginal", L"clicked",
         [](Main& d, WPARAM, LPARAM) { return d.ShowOriginal(d.DialogOfSelectedString()), 1; }},
        {L"lstStrings", L"lst-itemchanged", [](Main& d, WPARAM, LPARAM) { return d.UpdateStringInfo(), 1; }},
        {L"import", L"fsselected",
         [](Main& d, WPARAM, LPARAM path) {
             return d.ImportStrings(reinterpret_cast<const wchar_t*>(path)), 1;
         }},
        {L"find", L"changed", [](Main& d, WPARAM, LPARAM) { return d.FillStringList(), 1; }},
        {L"dialog", L"changed", [](Main& d, WPARAM, LPARAM) { return d.FillStringList(), 1; }},
        {L"show", L"changed", [](Main& d, WPARAM, LPARAM) { return d.FillStringList(), 1; }},
        {L"btnCheck", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.RunCheck(), 1; }},
        {L"btnReplace", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.OpenReplaceDialog(), 1; }},
        {L"exportTmx", L"fsselected",
         [](Main& d, WPARAM, LPARAM path) { return d.ExportMemory(reinterpret_cast<const wchar_t*>(path)), 1; }},
        {L"prevDlg", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.SelectPreviousDialog(), 1; }},
        {L"nextDlg", L"clicked", [](Main& d, WPARAM, LPARAM) { return d.SelectNextDialog(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
}

int CMainDialog::OpenAnotherProject() {
    // Opening another project would otherwise drop unsaved translations.
    if (!ConfirmSave()) {
        return 1;
    }
    return OpenProject();
}

BOOL CMainDialog::OpenProject() {
    return RunOpenDialog() == OpenOutcome::Loaded;
}

CMainDialog::OpenOutcome CMainDialog::RunOpenDialog() {
    const std::unique_ptr<COpenDlg> chosen = ChooseProject();
    return chosen ? OpenChosenProject(*chosen) : OpenOutcome::Cancelled;
}

std::unique_ptr<COpenDlg> CMainDialog::ChooseProject() {
    auto open = std::make_unique<COpenDlg>(m_engine, m_programFolder);
    if (open->DoModal(m_window) != IDOK || !open->ProjectPath() || !open->TranslationPath()) {
        return nullptr;
    }
    return open;
}

CMainDialog::OpenOutcome CMainDialog::OpenChosenProject(const COpenDlg& open) {
    if (!LoadChosenProject(*open.ProjectPath(), *open.TranslationPath(), open.LanguageId())) {
        return OpenOutcome::Failed;
    }
    m_projectName = ProjectNameOf(open);
    m_session.SetMemoryFiles(MemoryFilesOf(open));
    UpdateTitle();
    return OpenOutcome::Loaded;
}

bool CMainDialog::LoadChosenProject(const std::wstring& projectPath, const std::wstring& translationPath,
                                    int language) {
    OfferInterruptedSave(translationPath);
    LoadResult result = m_session.Open(projectPath, translationPath, language);
    while (result.status == LoadStatus::TranslationInaccessible) {
        const std::wstring text =
            FormatText(L"The translation file cannot be read now:\n%s\n\n%s\n\nIf another "
                       L"program is using it, close it there, then choose Retry.",
                       translationPath.c_str(), SystemErrorText(result.translationError).c_str());
        if (MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONWARNING | MB_RETRYCANCEL) != IDRETRY) {
            return false;
        }
        result = m_session.Open(projectPath, translationPath, language);
    }
    if (result.status != LoadStatus::Loaded) {
        // The chosen project changed since it was listed; the open project stays as it was.
        const std::wstring text = FormatText(L"The project could not be opened:\n%s", projectPath.c_str());
        MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    if (result.translationUnreadable) {
        const std::wstring text =
            FormatText(L"The translation file could not be read:\n%s\n\n"
                       L"Its strings start untranslated. The file is kept beside the new "
                       L"one as a backup when you save.",
                       translationPath.c_str());
        MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONWARNING | MB_OK);
    }
    OfferRecovery();
    return true;
}

// A save interrupted between its steps may leave the translation file missing beside a whole copy.
void CMainDialog::OfferInterruptedSave(const std::wstring& translationPath) {
    const std::optional<std::wstring> copy = FindInterruptedSave(translationPath);
    if (!copy) {
        return;
    }
    const std::wstring question =
        FormatText(L"The translation file is missing:\n%s\n\nAn interrupted save left a "
                   L"complete copy of it:\n%s\n\nRestore the file from that copy?",
                   translationPath.c_str(), copy->c_str());
    if (MessageBoxW(m_window, question.c_str(), kCaption, MB_ICONWARNING | MB_YESNO) != IDYES) {
        return;
    }
    const SaveResult restored = RestoreInterruptedSave(SystemFileOps(), *copy, translationPath);
    if (restored.cause != SaveCause::Saved) {
        MessageBoxW(m_window, restored.Message().c_str(), kCaption, MB_ICONERROR | MB_OK);
    }
}

void CMainDialog::OfferRecovery() {
    const std::optional<RecoveryOffer> offer = m_session.PendingRecovery();
    if (!offer) {
        return;
    }
    if (offer->madeAgainstThisFile) {
        const size_t recovered = m_session.ApplyRecovery();
        const std::wstring text =
            FormatText(L"%u unsaved translation(s) from the last session were recovered.",
                       static_cast<unsigned>(recovered));
        MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONINFORMATION | MB_OK);
        return;
    }
    const std::wstring text =
        FormatText(L"The last session of this translation file ended without saving %u translation(s), "
                   L"kept on %s. They were made against another version of the file or another project, "
                   L"so they may overwrite newer translations.\n\nApply them?",
                   static_cast<unsigned>(offer->translations), LocalDateTimeText(offer->kept).c_str());
    if (MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        m_session.ApplyRecovery();
    } else {
        m_session.DiscardRecovery();
    }
}

// The session chose every row anew; the filters on screen start wide open with it.
void CMainDialog::OnProjectOpened() {
    if (CTEVElement* find = FindById(L"find")) {
        find->SetText(L"");
    }
    if (m_showCombo) {
        m_showCombo->SetValue(static_cast<int>(ShownStrings::All));
    }
    FillDialogCombo();
    RefillList();
    ShowProgress();
    OnModifiedChanged();
    LayOutSoon();
}

void CMainDialog::OnTranslationsChanged(const std::vector<size_t>& strings) {
    for (size_t string : strings) {
        ShowRowTranslation(string);
    }
    ShowChecks();
    LayOutSoon();
}

// The layout findings are found while the translator is idle, a few dialogs at a time, so that the
// counts hold them without a Check and input never waits long: a timer comes after input and paint.
void CMainDialog::LayOutSoon() {
    SetTimer(m_window, kLayoutTimer, USER_TIMER_MINIMUM, nullptr);
}

void CMainDialog::OnChecksChanged() {
    ShowChecks();
}

void CMainDialog::OnModifiedChanged() {
    if (CTEVElement* save = FindById(L"btnSave")) {
        save->SetDisabled(!m_session.IsModified());
    }
    UpdateTitle();
}

void CMainDialog::FillDialogCombo() {
    if (!m_dialogCombo) {
        return;
    }
    m_dialogCombo->ResetContent();
    m_dialogCombo->AddItem(-1, L"<All dialogs>");
    m_dialogEntries.clear();
    for (size_t i = 0; i < m_session.Model().Dialogs().size(); ++i) {
        m_dialogEntries.push_back(DialogEntryText(i));
        m_dialogCombo->AddItem(static_cast<int>(i), m_dialogEntries.back().c_str());
    }
    m_dialogCombo->SetValue(-1);
}

int CMainDialog::ValueOfDialogCombo() const {
    return m_dialogCombo ? m_dialogCombo->GetValue() : -1;
}

ShownStrings CMainDialog::ValueOfShowCombo() const {
    const int value = m_showCombo ? m_showCombo->GetValue() : 0;
    return value < 0 || value > static_cast<int>(ShownStrings::NeedsReview)
               ? ShownStrings::All
               : static_cast<ShownStrings>(value);
}

// The dialog's caption with its progress, so the translator sees where work is left.
std::wstring CMainDialog::DialogEntryText(size_t dialog) const {
    return m_session.Model().Dialogs()[dialog].Caption() + L" (" +
           ShortProgressText(m_session.Checks().OfDialog(dialog)) + L")";
}

void CMainDialog::UpdateDialogEntry(size_t dialog) {
    if (!m_dialogCombo || dialog >= m_dialogEntries.size()) {
        return;
    }
    std::wstring text = DialogEntryText(dialog);
    if (text != m_dialogEntries[dialog]) {
        m_dialogCombo->SetItemText(static_cast<int>(dialog), text.c_str());
        m_dialogEntries[dialog] = std::move(text);
    }
}

void CMainDialog::FillStringList() {
    CTEVElement* find = FindById(L"find");
    m_session.SetFilter(
        {find ? CopyOrNull(find->GetText()) : std::nullopt, ValueOfDialogCombo(), ValueOfShowCombo()});
}

void CMainDialog::OnRowsChanged() {
    RefillList();
}

void CMainDialog::RefillList() {
    if (!m_stringList) {
        return;
    }
    // One redraw for the whole refill: the list may hold tens of thousands of rows.
    m_stringList->BeginUpdate();
    m_stringList->DeleteAllItems();
    for (size_t string : m_session.Rows()) {
        m_stringList->InsertItem(nullptr, static_cast<int>(string), 0);
    }
    m_stringList->EndUpdate();
    // The refill drops the selection without telling: the labels and links follow it here.
    UpdateStringInfo();
}

void CMainDialog::SelectDialogAndRefill(int value) {
    m_dialogCombo->SetValue(value);
    FillStringList();
}

void CMainDialog::SelectPreviousDialog() {
    const int value = ValueOfDialogCombo();
    if (m_dialogCombo && value >= 0) {
        SelectDialogAndRefill(value - 1);
    }
}

void CMainDialog::SelectNextDialog() {
    const int value = ValueOfDialogCombo();
    if (m_dialogCombo && value < static_cast<int>(m_session.Model().Dialogs().size()) - 1) {
        SelectDialogAndRefill(value + 1);
    }
}

void CMainDialog::UpdateStringInfo() {
    const int string = m_stringList ? m_stringList->GetSelectedParam() : -1;
    if (string >= 0) {
        m_session.SetCurrent(static_cast<size_t>(string));
    }
    const std::optional<StringInfo> info =
        string >= 0 ? m_session.Model().GetStringInfo(static_cast<size_t>(string)) : std::nullopt;
    SetLabelText(FindById(L"strID"), info ? info->Label() : std::wstring());
    const OptString caption = info ? info->caption : std::nullopt;
    SetLabelText(FindById(L"dlgName"),
                 string >= 0
                     ? DialogsText(m_session.Model(), m_session.Checks().DialogsOf(
                                                          m_session.Model(), static_cast<size_t>(string)))
                     : std::wstring());
    for (const wchar_t* link : {L"urlTranslated", L"urlOriginal"}) {
        if (CTEVElement* element = FindById(link)) {
            element->SetHidden(!caption);
        }
    }
    ShowSelectedFindings();
}

void CMainDialog::ShowSelectedFindings() {
    const int string = m_stringList ? m_stringList->GetSelectedParam() : -1;
    SetLabelText(FindById(L"findings"), string >= 0 ? FindingsLine(m_session.Checks().FindingsOf(
                                                          m_session.Model(), static_cast<size_t>(string)))
                                                    : std::wstring());
}

void CMainDialog::SetTranslation(int index, const wchar_t* text) {
    if (index >= 0) {
        const auto stored = static_cast<size_t>(index);
        ShowStatus(ForwardCopyText(m_session.Model(), stored, m_session.StoreTranslation(stored, CopyOrNull(text))));
    }
}

void CMainDialog::ShowChecks() {
    for (size_t dialog = 0; dialog < m_dialogEntries.size(); ++dialog) {
        UpdateDialogEntry(dialog);
    }
    // A change can mark or clear rows besides its own: a clash names two strings.
    if (m_stringList && m_stringList->Window()) {
        InvalidateRect(m_stringList->Window(), nullptr, FALSE);
    }
    ShowProgress();
    ShowSelectedFindings();
}

void CMainDialog::ShowProgress() {
    SetLabelText(FindById(L"progress"), ProgressText(m_session.Checks().Total()) +
                                            UnreadDescriptionsText(m_session.Model().UnreadDescriptions()));
}

void CMainDialog::ShowRowTranslation(size_t index) {
    const std::optional<size_t> row = m_session.RowOf(index);
    if (!m_stringList || !row) {
        return;
    }
    // The list asks the model for the text; the row is only repainted.
    m_stringList->SetItemText(static_cast<int>(*row), 1, nullptr);
}

BOOL CMainDialog::SaveWithMessage() {
    SaveOutcome outcome = m_session.Save();
    if (outcome == SaveOutcome::ChangedOnDisk) {
        outcome = SaveOverAnotherWriter();
    }
    if (outcome == SaveOutcome::Saved) {
        ReportDroppedTranslations();
        return TRUE;
    }
    if (outcome == SaveOutcome::ChangedOnDisk) {
        return FALSE; // the translator cancelled
    }
    MessageBoxW(m_window, m_session.Model().LastSaveResult().Message().c_str(), kCaption,
                MB_ICONERROR | MB_OK);
    return FALSE;
}

bool CMainDialog::OwnedWindowsAllowEndingSession(WPARAM wParam, LPARAM lParam) const {
    OwnedWindows owned{m_window, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwnedWindows, reinterpret_cast<LPARAM>(&owned));
    for (HWND window : owned.windows) {
        if (IsWindow(window) && !SendMessageW(window, WM_QUERYENDSESSION, wParam, lParam)) {
            return false;
        }
    }
    return true;
}

// Another program (a second instance, an editor) wrote the file since it was read or saved here:
// neither its work nor ours is dropped without the translator's say.
SaveOutcome CMainDialog::SaveOverAnotherWriter() {
    const std::wstring question = FormatText(
        L"Another program changed the translation file since you opened or last saved it:\n%s\n\n"
        L"Yes: merge. Its changes are taken for the strings you did not change; where you both changed a "
        L"string, yours is saved and its file is kept as a backup.\n"
        L"No: overwrite. Your translations are saved and its file is kept as a backup.\n"
        L"Cancel: do not save now.",
        m_session.Model().TranslationPath().c_str());
    switch (MessageBoxW(m_window, question.c_str(), kCaption, MB_ICONWARNING | MB_YESNOCANCEL)) {
    case IDYES: {
        MergeReport merged;
        const SaveOutcome outcome = m_session.SaveMerging(merged);
        if (outcome == SaveOutcome::Saved) {
            ReportMerge(merged);
        }
        return outcome;
    }
    case IDNO:
        return m_session.SaveOverwriting();
    default:
        return SaveOutcome::ChangedOnDisk;
    }
}

void CMainDialog::ReportMerge(const MergeReport& merged) {
    std::wstring text = FormatText(L"Merged: %u translation(s) changed by the other program were taken.",
                                   static_cast<unsigned>(merged.taken));
    if (merged.conflicts > 0) {
        text += FormatText(L"\n\n%u string(s) were changed in both places: yours were saved, and the other "
                           L"program's file was kept as:\n%s",
                           static_cast<unsigned>(merged.conflicts),
                           m_session.Model().LastSave().backupPath.c_str());
    }
    MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONINFORMATION | MB_OK);
}

void CMainDialog::ReportDroppedTranslations() {
    const SaveReport& report = m_session.Model().LastSave();
    if (report.droppedEntries == 0 && report.disagreeingEntries == 0) {
        return;
    }
    std::wstring text;
    if (report.droppedEntries > 0) {
        text = FormatText(
            L"%u translation(s) in the earlier file belong to no string of this project and were not "
            L"carried over into the saved file.\n\n",
            static_cast<unsigned>(report.droppedEntries));
    }
    if (report.disagreeingEntries > 0) {
        text += FormatText(
            L"%u translation(s) in the earlier file repeated a string with another text; the first "
            L"of each was kept, as it was shown, and the others were not carried over.\n\n",
            static_cast<unsigned>(report.disagreeingEntries));
    }
    text += FormatText(L"The earlier file was kept as:\n%s", report.backupPath.c_str());
    MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONWARNING | MB_OK);
}

BOOL CMainDialog::ConfirmSave() {
    if (!m_session.IsModified()) {
        return TRUE;
    }
    switch (
        MessageBoxW(m_window, L"Do you want to save changes?", kCaption, MB_ICONQUESTION | MB_YESNOCANCEL)) {
    case IDYES:
        return SaveWithMessage();
    case IDNO:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CMainDialog::CanClose(int code) {
    if (code == IDOK) {
        HandleEnter();
        return FALSE;
    }
    return ConfirmSave();
}

BOOL CMainDialog::PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_NOTIFY && m_stringList && m_stringList->Window()) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom != m_stringList->Window() || header->code != NM_CUSTOMDRAW) {
            return FALSE;
        }
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, DrawRowMark(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
        *result = TRUE;
        return TRUE;
    }
    if (message == WM_TIMER && wParam == kLayoutTimer) {
        KillTimer(hwnd, kLayoutTimer);
        if (m_session.LayOutStaleDialogs(kLayoutSliceMs)) {
            LayOutSoon();
        }
        *result = TRUE;
        return TRUE;
    }
    if (message == WM_SYSCOMMAND && AnswerAboutCommand(hwnd, wParam, m_programFolder)) {
        *result = TRUE;
        return TRUE;
    }
    if (message == WM_ENDSESSION && wParam) {
        // The session ends: changes still unsaved are those the translator chose not to save, and no
        // recovery brings them back.
        m_session.DiscardModified();
        return FALSE;
    }
    if (message != WM_QUERYENDSESSION) {
        return FALSE;
    }
    // Logging off must not lose translations: a window over this one may hold text typed but not
    // stored, so it answers first; then ask as on close, and refuse when cancelled.
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, OwnedWindowsAllowEndingSession(wParam, lParam) && ConfirmSave());
    *result = TRUE;
    return TRUE;
}

BOOL CMainDialog::OpenTranslateDialog() {
    if (!m_stringList || m_stringList->GetItemCount() == 0) {
        return FALSE;
    }
    // The translate dialog starts at the selected row, or the first.
    if (m_stringList->GetSelectedIndex() < 0) {
        m_session.SetCurrent(m_session.StringAt(0));
    }
    CTranslateDlg translate(m_engine, m_session, m_programFolder + L"settings.ini");
    translate.DoModal(m_window);
    if (const std::optional<size_t> current = m_session.Current()) {
        if (const std::optional<size_t> row = m_session.RowOf(*current)) {
            SelectAndShowRow(static_cast<int>(*row));
        }
    }
    return TRUE;
}

void CMainDialog::ImportStrings(const wchar_t* path) {
    if (!path) {
        return;
    }
    // A file near the size bound takes seconds; a small one is done before the cursor shows.
    std::optional<WaitCursor> busy(std::in_place);
    const ImportContent file = ReadImportFile(path);
    if (m_stringList) {
        m_stringList->BeginUpdate();
    }
    const ImportSummary summary = m_session.Import(file.pairs);
    if (m_stringList) {
        m_stringList->EndUpdate();
    }
    busy.reset();
    ReportImport(path, file, summary);
}

void CMainDialog::ReportImport(const wchar_t* path, const ImportContent& file, const ImportSummary& summary) {
    std::wstring text;
    UINT icon = MB_ICONINFORMATION;
    if (file.format == ImportFormat::Unreadable) {
        text = FormatText(L"The file could not be read:\n%s", path);
        icon = MB_ICONERROR;
    } else if (file.format == ImportFormat::TooLarge) {
        text = FormatText(L"The file is larger than %u MiB, more than any strings file holds, and was not "
                          L"read:\n%s",
                          static_cast<unsigned>(kMaxImportFileBytes >> 20), path);
        icon = MB_ICONERROR;
    } else if (file.pairs.empty()) {
        const std::wstring why =
            file.format == ImportFormat::Xml && file.xmlRoot.empty()
                ? std::wstring(L"It begins like XML but is not well-formed XML.")
            : file.format == ImportFormat::Xml
                ? FormatText(L"Its root element is \"%s\"; a VARNO 2 strings file has \"translation\" "
                             L"with \"src\" and \"dst\" in each entry.",
                             file.xmlRoot.c_str())
                : std::wstring(L"No line reads \"original=translation\". A VARNO 1 strings file is "
                               L"text in UTF-16 or UTF-8.");
        text = FormatText(L"The file holds no strings to import:\n%s\n\n%s", path, why.c_str());
        icon = MB_ICONWARNING;
    } else {
        text = FormatText(L"%u string(s) translated from %u pair(s) in the file.\n%u pair(s) matched no "
                          L"original text of the project.",
                          static_cast<unsigned>(summary.filled), static_cast<unsigned>(file.pairs.size()),
                          static_cast<unsigned>(summary.unmatched));
    }
    MessageBoxW(m_window, text.c_str(), kCaption, icon | MB_OK);
}

StoredWindowSize CMainDialog::SizeSettings() const {
    return StoredWindowSize(m_programFolder + L"settings.ini", L"MainWindow");
}

int CMainDialog::AdjustWidth(int cx) {
    return SizeSettings().Width(m_window, cx);
}

int CMainDialog::AdjustHeight(int cy) {
    return SizeSettings().Height(m_window, cy);
}

void CMainDialog::OnDestroy(int cx, int cy) {
    SizeSettings().Store(m_window, cx, cy);
}

void CMainDialog::ShowOriginal(int dialogIndex) {
    RunPreview(dialogIndex, false);
}

void CMainDialog::ShowTranslated(int dialogIndex) {
    RunPreview(dialogIndex, true);
}

void CMainDialog::RunPreview(int dialogIndex, bool translated) {
    const ProjectModel& model = m_session.Model();
    if (dialogIndex < 0 || dialogIndex >= static_cast<int>(model.Dialogs().size())) {
        return;
    }
    const DialogItem& dialog = model.Dialogs()[static_cast<size_t>(dialogIndex)];
    // Each preview runs on an engine of its own: the project's pictures, its strings, viewer mode.
    CMyTEVEngine engine(model.ProjectPath().c_str(), m_engine ? m_engine->Instance() : nullptr);
    // The translations as they stand in the session, saved or not: nothing to save first.
    if (translated) {
        AddTranslations(engine, model, StringsOfDialog(dialog, IndexTranslated(model)));
    }
    CTEVDialog preview(dialog.path.c_str(), &engine, nullptr);
    preview.DoModal(m_window);
    if (preview.HadTooManyElements()) {
        const std::wstring text = FormatText(L"The dialog is not shown: its description holds more than %d "
                                             L"elements, more than a dialog can have.\n%s",
                                             CTEVElement::kMaxElements, dialog.path.c_str());
        MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
    }
}

int CMainDialog::DialogOfSelectedString() const {
    const int string = m_stringList ? m_stringList->GetSelectedParam() : -1;
    if (string < 0) {
        return -1;
    }
    const std::optional<size_t> dialog = m_session.Model().FirstDialogOf(static_cast<size_t>(string));
    return dialog ? static_cast<int>(*dialog) : -1;
}

void CMainDialog::SelectAndShowRow(int row) {
    if (!m_stringList || row < 0 || row >= m_stringList->GetItemCount()) {
        return;
    }
    HWND list = m_stringList->Window();
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

LRESULT CMainDialog::DrawRowMark(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) {
        return CDRF_DODEFAULT;
    }
    const int string = m_stringList->GetItemParam(static_cast<int>(draw.nmcd.dwItemSpec));
    if (string >= 0 && m_session.Checks().HasFindings(static_cast<size_t>(string))) {
        draw.clrTextBk = RGB(255, 228, 225); // a light red that dark text stays readable on
        draw.clrText = RGB(160, 0, 0);
        return CDRF_NEWFONT;
    }
    if (string >= 0 && m_session.Model().Strings()[static_cast<size_t>(string)].NeedsReview()) {
        draw.clrTextBk = RGB(255, 244, 204); // a light amber, apart from problems
        draw.clrText = RGB(110, 80, 0);
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

// ---- Checks ----

void CMainDialog::RunCheck() {
    {
        // Laying out every dialog changed since the last check takes a while in a large project.
        const WaitCursor busy;
        m_session.LayOutStaleDialogs();
    }
    CCheckDlg check(m_engine, m_session);
    if (check.DoModal(m_window) == IDOK && check.ChosenString()) {
        GoToString(*check.ChosenString());
    }
}

void CMainDialog::GoToString(size_t index) {
    if (index >= m_session.Model().Strings().size()) {
        return;
    }
    if (!m_session.RowOf(index)) {
        // The filters hide it: show everything, keeping the list in project order.
        if (CTEVElement* find = FindById(L"find")) {
            find->SetText(L"");
        }
        if (m_showCombo) {
            m_showCombo->SetValue(static_cast<int>(ShownStrings::All));
        }
        if (m_dialogCombo) {
            m_dialogCombo->SetValue(-1);
        }
        FillStringList();
    }
    if (const std::optional<size_t> row = m_session.RowOf(index)) {
        SelectAndShowRow(static_cast<int>(*row));
        FocusStringList();
    }
}

void CMainDialog::FocusStringList() {
    if (m_stringList && m_stringList->Window()) {
        SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_stringList->Window()), TRUE);
    }
}

// ---- Undo, find and replace, suggestions ----

void CMainDialog::OpenReplaceDialog() {
    if (m_session.Model().Strings().empty()) {
        return;
    }
    CReplaceDlg replace(m_engine, m_session);
    replace.DoModal(m_window);
    if (replace.Replaced() > 0) {
        ShowStatus(CReplaceDlg::ReplacedText(replace.Replaced()));
    }
}

bool CMainDialog::HandleToolkitKey(const MSG& msg) {
    return HandleHistoryKey(msg) || HandleReplaceKey(msg);
}

bool CMainDialog::HandleHistoryKey(const MSG& msg) {
    const HistoryKey history = HistoryKeyOf(msg);
    if (history == HistoryKey::None) {
        return false;
    }
    CTEVElement* find = FindById(L"find");
    if (history == HistoryKey::Undo && find && msg.hwnd == find->Window() &&
        SendMessageW(msg.hwnd, EM_CANUNDO, 0, 0)) {
        return false;
    }
    const HistoryStep step = StepHistory(m_session, history);
    ShowStatus(step.status);
    if (const std::optional<size_t> row = step.string ? m_session.RowOf(*step.string) : std::nullopt) {
        SelectAndShowRow(static_cast<int>(*row));
    }
    return true;
}

bool CMainDialog::HandleReplaceKey(const MSG& msg) {
    if (!IsKeyDownWith(msg, 'H', kCtrl)) {
        return false;
    }
    OpenReplaceDialog();
    return true;
}

void CMainDialog::ShowStatus(const std::wstring& text) {
    SetLabelText(FindById(L"status"), text);
}

std::vector<MemoryFile> CMainDialog::MemoryFilesOf(const COpenDlg& open) const {
    std::vector<MemoryFile> files;
    for (const ProjectItem& project : open.Projects()) {
        if (!open.ProjectPath() || project.path != *open.ProjectPath()) {
            files.push_back({open.TranslationPathOf(project), project.name});
        }
    }
    const std::wstring memory = m_programFolder + L"memory\\";
    for (FileSearch search(memory + L"*.tmx"); search.Found(); search.Next()) {
        if (!(search.Entry().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back({memory + search.Entry().cFileName, search.Entry().cFileName});
        }
    }
    return files;
}

void CMainDialog::ExportMemory(const wchar_t* path) {
    if (!path) {
        return;
    }
    Win32FileOps files;
    const SaveResult result = WriteTmxFile(files, path, m_session.Model(), m_projectName);
    if (result.Saved()) {
        ShowStatus(FormatText(L"Exported the translations to %s", PathFindFileNameW(path)));
    } else {
        MessageBoxW(m_window, result.Message().c_str(), kCaption, MB_ICONERROR | MB_OK);
    }
}

// ---- Title ----

std::wstring CMainDialog::ProjectNameOf(const COpenDlg& open) {
    for (const ProjectItem& project : open.Projects()) {
        if (open.ProjectPath() && project.path == *open.ProjectPath()) {
            return project.name;
        }
    }
    return L"";
}

void CMainDialog::UpdateTitle() {
    if (!m_window) {
        return;
    }
    std::wstring title;
    if (!m_projectName.empty()) {
        title = m_projectName + L" - ";
    }
    wchar_t language[LOCALE_NAME_MAX_LENGTH * 2] = L"";
    const int languageId = m_session.Model().LanguageId();
    if (IsPseudoLanguage(languageId)) {
        title += kPseudoLanguageName; // the platform may not know it
    } else if (languageId >= 0 &&
               GetLocaleInfoW(static_cast<LCID>(languageId), LOCALE_SLANGUAGE, language, ARRAYSIZE(language))) {
        title += language;
    } else if (!title.empty()) {
        title.resize(title.size() - 3);
    }
    if (!title.empty() && m_session.IsModified()) {
        title += L"*";
    }
    // The program's own name stays last: scripts and users find the window by it.
    title += title.empty() ? kCaption : std::wstring(L" - ") + kCaption;
    SetWindowTextW(m_window, title.c_str());
}

// ---- Keyboard ----

// Keys that no control of the window answers, taken before the focused one sees them.
bool CMainDialog::PreTranslateKey(const MSG& msg) {
    return HandleToolkitKey(msg) || HandleSaveKey(msg) || HandleWalkKey(msg) || HandleEscapeKey(msg);
}

// Ctrl+S reaches whichever control has the focus, none of which saves.
bool CMainDialog::HandleSaveKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'S' || GetKeyState(VK_CONTROL) >= 0 ||
        GetKeyState(VK_MENU) < 0) {
        return false;
    }
    if (m_session.IsModified()) {
        SaveWithMessage();
    }
    return true;
}

bool CMainDialog::HandleEnter() {
    HWND focus = GetFocus();
    if (m_stringList && focus == m_stringList->Window()) {
        OpenTranslateDialog();
        return true;
    }
    // The dialog links take the focus by Tab; Enter follows them as a click does.
    for (const wchar_t* link : {L"prevDlg", L"nextDlg", L"urlTranslated", L"urlOriginal"}) {
        CTEVElement* element = FindById(link);
        if (element && focus && element->Window() == focus) {
            element->Fire(L"clicked", 0, 0);
            return true;
        }
    }
    return false;
}

bool CMainDialog::HandleWalkKey(const MSG& msg) {
    const std::optional<StringWalk> walk = WalkOfKey(msg);
    if (!walk) {
        return false;
    }
    WalkTo(*walk);
    return true;
}

void CMainDialog::WalkTo(StringWalk walk) {
    const int selected = m_stringList ? m_stringList->GetSelectedIndex() : -1;
    const std::optional<size_t> row =
        FindRow(m_session, selected >= 0 ? std::optional<size_t>(selected) : std::nullopt, walk);
    if (!row) {
        MessageBeep(MB_OK);
        return;
    }
    SelectAndShowRow(static_cast<int>(*row));
    FocusStringList();
}

bool CMainDialog::HandleEscapeKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) {
        return false;
    }
    // A control that takes Escape itself (a dropped-down combo box closing its list) keeps it.
    const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) {
        return false;
    }
    ClearSearch();
    return true;
}

// The string the translator was on stays selected in the whole list.
void CMainDialog::ClearSearch() {
    CTEVElement* find = FindById(L"find");
    const wchar_t* text = find ? find->GetText() : nullptr;
    if (!text || !*text) {
        return;
    }
    const std::optional<size_t> current = m_session.Current();
    find->SetText(L"");
    FillStringList();
    if (const std::optional<size_t> row = current ? m_session.RowOf(*current) : std::nullopt) {
        SelectAndShowRow(static_cast<int>(*row));
    }
}

// "Dialog &box:" leads to the list of dialogs, and the "<<" and ">>" links follow it; the layout
// keeps the links before the list.
void CMainDialog::ArrangeTabOrder() {
    CTEVElement* prev = FindById(L"prevDlg");
    CTEVElement* next = FindById(L"nextDlg");
    if (!prev || !next || !m_dialogCombo || !prev->Window() || !next->Window() || !m_dialogCombo->Window()) {
        return;
    }
    constexpr UINT kOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    HWND label = GetWindow(prev->Window(), GW_HWNDPREV);
    SetWindowPos(m_dialogCombo->Window(), label ? label : HWND_TOP, 0, 0, 0, 0, kOrderOnly);
    SetWindowPos(prev->Window(), m_dialogCombo->Window(), 0, 0, 0, 0, kOrderOnly);
    SetWindowPos(next->Window(), prev->Window(), 0, 0, 0, 0, kOrderOnly);
}
