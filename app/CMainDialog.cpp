#include "CMainDialog.h"

#include "CMyTEVEngine.h"
#include "COpenDlg.h"
#include "CTEVComboBox.h"
#include "CTEVList.h"
#include "CTranslateDlg.h"
#include "EventRoutes.h"
#include "ImportStrings.h"
#include "WindowSize.h"

CMainDialog::CMainDialog(CTEVEngine* engine, std::wstring programFolder)
    : CTEVDialog(L"res:main.xml", engine, nullptr), m_programFolder(std::move(programFolder)) {}

CMainDialog::~CMainDialog() = default;

void CMainDialog::OnPreInitDialog() {
    m_stringList = FindAs<CTEVList>(L"lstStrings");
    m_dialogCombo = FindAs<CTEVComboBox>(L"dialog");
}

void CMainDialog::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    UpdateStringInfo();
    if (RunOpenDialog() == OpenOutcome::Cancelled) {
        EndDialog(m_window, IDCANCEL);
        return;
    }
    MarkClean();
}

void CMainDialog::MarkClean() {
    if (CTEVElement* save = FindById(L"btnSave")) {
        save->SetDisabled(TRUE);
    }
    m_model.MarkSaved();
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
    if (!OpenProject()) {
        return 0;
    }
    // Nothing of the project just opened has changed yet.
    MarkClean();
    return 1;
}

BOOL CMainDialog::OpenProject() {
    return RunOpenDialog() == OpenOutcome::Loaded;
}

CMainDialog::OpenOutcome CMainDialog::RunOpenDialog() {
    COpenDlg open(m_engine, m_programFolder);
    if (open.DoModal(m_window) != IDOK || !open.ProjectPath() || !open.TranslationPath()) {
        return OpenOutcome::Cancelled;
    }
    return LoadChosenProject(*open.ProjectPath(), *open.TranslationPath(), open.LanguageId())
               ? OpenOutcome::Loaded
               : OpenOutcome::Failed;
}

bool CMainDialog::LoadChosenProject(const std::wstring& projectPath, const std::wstring& translationPath,
                                    int language) {
    const LoadResult result = m_model.Load(projectPath, translationPath, language);
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
    FillDialogCombo();
    FillStringList();
    return true;
}

void CMainDialog::FillDialogCombo() {
    if (!m_dialogCombo) {
        return;
    }
    m_dialogCombo->ResetContent();
    m_dialogCombo->AddItem(-1, L"<All dialogs>");
    for (size_t i = 0; i < m_model.dialogs.size(); ++i) {
        m_dialogCombo->AddItem(static_cast<int>(i), m_model.dialogs[i].caption.c_str());
    }
    m_dialogCombo->SetValue(-1);
}

int CMainDialog::ValueOfDialogCombo() const {
    return m_dialogCombo ? m_dialogCombo->GetValue() : -1;
}

bool CMainDialog::PassesFilter(const StringItem& item, const wchar_t* search,
                               const std::unordered_set<std::wstring>* dialogIds) const {
    // Ordinal matching: StrStrIW costs about twenty times as much, and this runs per string per keystroke.
    if (search && FindStringOrdinal(FIND_FROMSTART, item.text.c_str(), -1, search, -1, TRUE) < 0 &&
        !(item.loc && FindStringOrdinal(FIND_FROMSTART, item.loc->c_str(), -1, search, -1, TRUE) >= 0)) {
        return false;
    }
    return !dialogIds || dialogIds->count(item.id) != 0;
}

void CMainDialog::FillStringList() {
    if (!m_stringList) {
        return;
    }
    CTEVElement* find = FindById(L"find");
    const OptString search = find ? CopyOrNull(find->GetText()) : std::nullopt;
    const int value = ValueOfDialogCombo();
    // The selected dialog's ids as a set: a dialog may use hundreds of the project's strings.
    std::optional<std::unordered_set<std::wstring>> dialogIds;
    if (value >= 0 && value < static_cast<int>(m_model.dialogs.size())) {
        const std::vector<std::wstring>& locids = m_model.dialogs[value].locids;
        dialogIds.emplace(locids.begin(), locids.end());
    }

    // One redraw for the whole refill: the list may hold tens of thousands of rows.
    m_stringList->BeginUpdate();
    m_stringList->DeleteAllItems();
    m_rowOfString.assign(m_model.strings.size(), -1);
    for (size_t i = 0; i < m_model.strings.size(); ++i) {
        const StringItem& item = m_model.strings[i];
        if (!PassesFilter(item, CStrOrNull(search), dialogIds ? &*dialogIds : nullptr)) {
            continue;
        }
        const int row = m_stringList->InsertItem(item.text.c_str(), static_cast<int>(i), 0);
        m_rowOfString[i] = row;
        if (item.loc) {
            m_stringList->SetItemText(row, 1, item.loc->c_str());
        }
    }
    m_stringList->EndUpdate();
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
    if (m_dialogCombo && value < static_cast<int>(m_model.dialogs.size()) - 1) {
        SelectDialogAndRefill(value + 1);
    }
}

void CMainDialog::UpdateStringInfo() {
    const int row = m_stringList ? m_stringList->GetSelectedIndex() : -1;
    std::optional<StringInfo> info;
    if (row >= 0) {
        info = m_model.GetStringInfo(static_cast<size_t>(m_stringList->GetItemParam(row)));
    }
    if (info) {
        if (CTEVElement* id = FindById(L"strID")) {
            id->SetText(info->Label().c_str());
        }
    }
    const OptString caption = info ? info->caption : std::nullopt;
    if (CTEVElement* name = FindById(L"dlgName")) {
        name->SetText(caption ? caption->c_str() : L"");
    }
    for (const wchar_t* link : {L"urlTranslated", L"urlOriginal"}) {
        if (CTEVElement* element = FindById(link)) {
            element->SetHidden(!caption);
        }
    }
}

void CMainDialog::SetTranslation(int index, const wchar_t* text) {
    if (index < 0 || index >= static_cast<int>(m_model.strings.size())) {
        return;
    }
    const bool wasModified = m_model.IsModified();
    for (size_t changed : m_model.SetLoc(static_cast<size_t>(index), CopyOrNull(text))) {
        ShowRowTranslation(changed);
    }
    EnableSaveOnFirstChange(wasModified);
}

void CMainDialog::EnableSaveOnFirstChange(bool wasModified) {
    if (!wasModified && m_model.IsModified()) {
        if (CTEVElement* save = FindById(L"btnSave")) {
            save->SetDisabled(FALSE);
        }
    }
}

void CMainDialog::ShowRowTranslation(size_t index) {
    if (!m_stringList || index >= m_rowOfString.size() || m_rowOfString[index] < 0) {
        return;
    }
    const OptString& loc = m_model.strings[index].loc;
    m_stringList->SetItemText(m_rowOfString[index], 1, loc ? loc->c_str() : L"");
}

BOOL CMainDialog::SaveWithMessage() {
    if (m_model.SaveStrings()) {
        MarkClean();
        ReportDroppedTranslations();
        return TRUE;
    }
    std::wstring text = FormatText(
        L"Impossible to save strings. Make sure you have the write permissions for this file: \n%s",
        m_model.translationPath.c_str());
    // Permissions are not the problem when a translation holds what XML cannot carry.
    if (const std::optional<size_t> bad = m_model.FindUnsavableString()) {
        text = FormatText(L"The translation of \"%s\" holds a control character that a strings file cannot "
                          L"carry. Change it, then save again.",
                          m_model.strings[*bad].text.c_str());
    }
    MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
    return FALSE;
}

void CMainDialog::ReportDroppedTranslations() {
    const SaveReport& report = m_model.LastSave();
    if (report.droppedEntries == 0) {
        return;
    }
    const std::wstring text = FormatText(
        L"%u translation(s) in the earlier file belong to no string of this project and were not carried "
        L"over into the saved file.\n\nThe earlier file was kept as:\n%s",
        static_cast<unsigned>(report.droppedEntries), report.backupPath.c_str());
    MessageBoxW(m_window, text.c_str(), kCaption, MB_ICONWARNING | MB_OK);
}

BOOL CMainDialog::ConfirmSave() {
    if (!m_model.IsModified()) {
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
        return FALSE;
    }
    return ConfirmSave();
}

BOOL CMainDialog::PreProcessMessage(HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_QUERYENDSESSION) {
        return FALSE;
    }
    // Logging off must not lose translations: ask as on close, and refuse when cancelled.
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, ConfirmSave());
    *result = TRUE;
    return TRUE;
}

BOOL CMainDialog::OpenTranslateDialog() {
    if (!m_stringList || m_stringList->GetItemCount() == 0) {
        return FALSE;
    }
    const int selected = m_stringList->GetSelectedIndex();
    CTranslateDlg translate(m_engine, this, selected >= 0 ? selected : 0);
    translate.DoModal(m_window);
    SelectAndShowRow(translate.CurrentRow());
    return TRUE;
}

void CMainDialog::ImportStrings(const wchar_t* path) {
    if (!path) {
        return;
    }
    const ImportContent file = ReadImportFile(path);
    const bool wasModified = m_model.IsModified();
    if (m_stringList) {
        m_stringList->BeginUpdate();
    }
    // The import finds every string of a pair through its index, later identical ones included, and
    // sets them one by one: SetTranslation would scan the rest of the project for each pair.
    const ImportSummary summary =
        ApplyImport(m_model.strings, file.pairs, [&](size_t index, const std::wstring& text) {
            m_model.SetImportedLoc(index, text);
            ShowRowTranslation(index);
        });
    if (m_stringList) {
        m_stringList->EndUpdate();
    }
    EnableSaveOnFirstChange(wasModified);
    ReportImport(path, file, summary);
}

void CMainDialog::ReportImport(const wchar_t* path, const ImportContent& file, const ImportSummary& summary) {
    std::wstring text;
    UINT icon = MB_ICONINFORMATION;
    if (file.format == ImportFormat::Unreadable) {
        text = FormatText(L"The file could not be read:\n%s", path);
        icon = MB_ICONERROR;
    } else if (file.pairs.empty()) {
        const std::wstring why =
            file.format == ImportFormat::Xml
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
    if (dialogIndex >= 0 && ConfirmSave()) {
        RunPreview(dialogIndex, true);
    }
}

void CMainDialog::RunPreview(int dialogIndex, bool translated) {
    if (dialogIndex < 0 || dialogIndex >= static_cast<int>(m_model.dialogs.size())) {
        return;
    }
    // Each preview runs on an engine of its own: the project's pictures, its strings, viewer mode.
    CMyTEVEngine engine(m_model.projectPath.c_str(), m_engine ? m_engine->Instance() : nullptr);
    if (translated) {
        engine.LoadStrings(m_model.translationPath.c_str());
    }
    CTEVDialog preview(m_model.dialogs[dialogIndex].path.c_str(), &engine, nullptr);
    preview.DoModal(m_window);
}

int CMainDialog::DialogOfSelectedString() const {
    const int row = m_stringList ? m_stringList->GetSelectedIndex() : -1;
    if (row < 0) {
        return -1;
    }
    const std::optional<size_t> dialog =
        m_model.FirstDialogOf(static_cast<size_t>(m_stringList->GetItemParam(row)));
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
