// The translator's main window: shows the session's project, lists the rows it chooses with their
// translations, sets its filter from the search text and the dialog, and starts every other function.
#pragma once

#include "CTEVDialog.h"
#include "ImportStrings.h"
#include "ProgramStart.h"
#include "StringWalk.h"
#include "TranslationSession.h"
#include "WindowSize.h"

#include <memory>
#include <string>
#include <optional>
#include <vector>

class COpenDlg;
class CTEVComboBox;
class CTEVList;

class CMainDialog : public CTEVDialog, private SessionObserver {
public:
    // programFolder: where "projects\" and "settings.ini" are, with a trailing backslash. session
    // outlives the window.
    CMainDialog(CTEVEngine* engine, std::wstring programFolder, TranslationSession& session);
    ~CMainDialog() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void OnInitDialog() override;
    BOOL CanClose(int code) override;
    BOOL PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreTranslateKey(const MSG& msg) override;
    int AdjustWidth(int cx) override;
    int AdjustHeight(int cy) override;
    void OnDestroy(int cx, int cy) override;
    void OnPreInitDialog() override;

    BOOL OpenProject();
    // Loads a project and fills the window from it: strings, dialogs, checks and progress; a project
    // that does not load is reported and the open one stays.
    bool LoadChosenProject(const std::wstring& projectPath, const std::wstring& translationPath,
                           int language);
    // Sets the session's filter from the search text, the dialog and the "show" box.
    void FillStringList();
    void UpdateStringInfo();
    // Stores a translation in the session, as the translate dialog does.
    void SetTranslation(int index, const wchar_t* text);
    BOOL SaveWithMessage();
    // Asks to save pending changes; false when the user cancels or the save fails.
    BOOL ConfirmSave();
    // Runs the translate dialog from the first selected row, or the first row; 1 when it ran, 0 when
    // the list is empty.
    BOOL OpenTranslateDialog();
    // Previews of a project dialog, by index into the model's dialogs; nothing for an index below 0.
    void ShowOriginal(int dialogIndex);
    // Shows the dialog with the session's translations, saved or not.
    void ShowTranslated(int dialogIndex);
    // Gives the translations of a VARNO string file to the untranslated strings with the same
    // original texts.
    void ImportStrings(const wchar_t* path);
    // Selects only that row, gives it the focus mark and scrolls it into view; nothing for a row
    // outside the list.
    void SelectAndShowRow(int row);
    void SelectPreviousDialog();
    void SelectNextDialog();
    // Lays out the dialogs changed since the last check, then lists every finding; choosing one
    // selects its row.
    void RunCheck();
    // Runs find and replace over the translations; says afterwards how many it replaced.
    void OpenReplaceDialog();
    // Writes the project's translations to a TMX file for other tools' memories, and says so.
    void ExportMemory(const wchar_t* path);

    TranslationSession& Session() { return m_session; }
    CTEVList* StringList() const { return m_stringList; }

    static constexpr const wchar_t* kCaption = kProgramCaption;

private:
    // What the session tells.
    void OnProjectOpened() override;
    void OnTranslationsChanged(const std::vector<size_t>& strings) override;
    void OnChecksChanged() override;
    void OnRowsChanged() override;
    void OnModifiedChanged() override;
    // Lays out a slice of the stale dialogs each time the message queue is idle, until none is left.
    void LayOutSoon();
    static constexpr UINT_PTR kLayoutTimer = 1;
    static constexpr unsigned kLayoutSliceMs = 50;

    enum class OpenOutcome { Cancelled, Failed, Loaded };
    // Asks to save, then runs the open dialog; 0 when the chosen project did not load.
    int OpenAnotherProject();
    OpenOutcome RunOpenDialog();
    // The open dialog, confirmed; null when it was cancelled.
    std::unique_ptr<COpenDlg> ChooseProject();
    OpenOutcome OpenChosenProject(const COpenDlg& open);
    void FillDialogCombo();
    // The list shows the session's rows.
    void RefillList();
    // Tells what an import did, or why the file gave nothing.
    void ReportImport(const wchar_t* path, const ImportContent& file, const ImportSummary& summary);
    // Tells after a save how many translations of the earlier file were left out, and where it went.
    void ReportDroppedTranslations();
    // Asks whether to merge with or overwrite the file another program wrote, and saves so;
    // ChangedOnDisk when the translator cancels.
    SaveOutcome SaveOverAnotherWriter();
    void ReportMerge(const MergeReport& merged);
    // Applies what a session that ended without saving left, saying so; asks first when it was made
    // against another version of the translation file.
    void OfferRecovery();
    // Offers to restore a translation file that an interrupted save left missing.
    void OfferInterruptedSave(const std::wstring& translationPath);
    // Asks the visible windows this one owns whether the session may end; false when one refuses.
    bool OwnedWindowsAllowEndingSession(WPARAM wParam, LPARAM lParam) const;
    void RunPreview(int dialogIndex, bool translated);
    // The first dialog that uses the selected row's string, or -1.
    int DialogOfSelectedString() const;
    void ShowRowTranslation(size_t index);
    int ValueOfDialogCombo() const;
    void SelectDialogAndRefill(int value);
    ShownStrings ValueOfShowCombo() const;
    // The checks on screen: each dialog's progress in the selector, the row marks, the status line.
    void ShowChecks();
    void ShowProgress();
    // The selected string's findings in the status line.
    void ShowSelectedFindings();
    std::wstring DialogEntryText(size_t dialog) const;
    // Shows a dialog's new progress in the selector, when it changed.
    void UpdateDialogEntry(size_t dialog);
    // Rows with problems are tinted; answers the custom-draw result for the list.
    LRESULT DrawRowMark(NMLVCUSTOMDRAW& draw) const;
    // Shows the string's row, widening the filters when they hide it.
    void GoToString(size_t index);
    StoredWindowSize SizeSettings() const;

    // The title: project, language and a mark for unsaved changes before the program's name.
    void UpdateTitle();
    static std::wstring ProjectNameOf(const COpenDlg& open);

    // Ctrl+Z and Ctrl+Y take back and make again the last translation action, Ctrl+H finds and
    // replaces; the search box keeps its own Ctrl+Z.
    bool HandleToolkitKey(const MSG& msg);
    bool HandleHistoryKey(const MSG& msg);
    bool HandleReplaceKey(const MSG& msg);
    // A short message in the status line, until the next one.
    void ShowStatus(const std::wstring& text);
    // The other projects' translation files of the language, and the TMX files in the "memory"
    // folder beside the program: their translations are suggested.
    std::vector<MemoryFile> MemoryFilesOf(const COpenDlg& open) const;

    // Keyboard: Ctrl+S, Enter on a row or a link, the walk keys, Escape, tab order.
    bool HandleSaveKey(const MSG& msg);
    bool HandleEnter();
    bool HandleWalkKey(const MSG& msg);
    // Selects and shows the row the walk leads to from the selected one; a beep when there is none.
    void WalkTo(StringWalk walk);
    // Escape empties the search; the window ends only by its close box, Alt+F4 or a close command.
    bool HandleEscapeKey(const MSG& msg);
    void ClearSearch();
    void FocusStringList();
    void ArrangeTabOrder();

    std::wstring m_programFolder;
    TranslationSession& m_session;
    CTEVList* m_stringList = nullptr;          // not owned
    CTEVComboBox* m_dialogCombo = nullptr;     // not owned
    CTEVComboBox* m_showCombo = nullptr;       // not owned
    std::vector<std::wstring> m_dialogEntries; // what the selector shows for each dialog
    std::wstring m_projectName;
};
