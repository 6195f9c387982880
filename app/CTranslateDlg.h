// The translate dialog: walks the session's rows, one string at a time, from its current string,
// and stores each edited translation in the session.
#pragma once

#include "CLivePreview.h"
#include "CTEVDialog.h"
#include "TranslationSession.h"
#include "StringWalk.h"
#include "WindowSize.h"

#include <string>
#include <vector>

class CTranslateDlg : public CTEVDialog, private SessionObserver {
public:
    // session outlives the dialog; its current string is shown first, or its first row. settingsFile:
    // where the window's size is kept.
    CTranslateDlg(CTEVEngine* engine, TranslationSession& session, std::wstring settingsFile);
    ~CTranslateDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    // A translation edited but not stored is not dropped silently: the user chooses to store it,
    // to drop it or to stay.
    BOOL CanClose(int code) override;
    // Logging off asks the same question as closing.
    BOOL PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreTranslateKey(const MSG& msg) override;
    int AdjustWidth(int cx) override;
    int AdjustHeight(int cy) override;
    void OnDestroy(int cx, int cy) override;

    // Shows row, or with skip the first row from there whose string is untranslated. Fails, changing
    // nothing, when there is no such row.
    BOOL ShowRow(int row, BOOL skip);
    int CurrentRow() const { return m_currentRow; }

    // The edit control breaks lines only at CR LF: a CR goes before every LF for display, and the one
    // before each LF is dropped again when reading back, so any text survives the round trip.
    static OptString ToDisplayLineBreaks(const OptString& text);
    static OptString FromDisplayLineBreaks(const OptString& text);

    // Whether the translation box holds something other than the string's stored translation.
    bool TranslationEdited();

    // The live preview beside the dialog; null before the dialog opens.
    CLivePreview* LivePreview() const { return m_preview.get(); }

    // The suggestions shown for the current string, best first.
    const std::vector<Suggestion>& ShownSuggestions() const { return m_suggestions; }

private:
    // An undo elsewhere may change the string shown: the box follows.
    void OnTranslationsChanged(const std::vector<size_t>& strings) override;
    // Ctrl+Z and Ctrl+Y when the box holds nothing of its own to undo; Alt+1 to Alt+3 insert a
    // suggestion.
    bool HandleToolkitKey(const MSG& msg);
    bool HandleHistoryKey(const MSG& msg);
    bool HandleSuggestionKey(const MSG& msg);
    void InsertSuggestion(size_t which);
    // The best translations made before for the current string, each with what its original differs in.
    void ShowSuggestions(size_t string);
    void ShowStatus(const std::wstring& text);
    // Ctrl+Down and Ctrl+Up store and move one row.
    bool HandleRowKey(const MSG& msg);
    // The walk keys store and move to the next untranslated string or the next with findings.
    bool HandleWalkKey(const MSG& msg);
    void SaveAndWalk(StringWalk walk);
    // F6 shows or hides the live preview.
    bool HandlePreviewKey(const MSG& msg);
    // A control clicked in the live preview: its string is shown, the typed text stored first.
    void PickString(size_t string);
    // Ctrl+B: the original goes into the translation box, to be edited there.
    bool HandleCopyOriginalKey(const MSG& msg);
    void CopyOriginal();
    void SaveAndMoveOn();
    // Stores the translation and shows the row above, translated or not.
    void SaveAndGoBack();
    void StoreTranslation();
    void MoveOn();
    void ShowPosition();
    // The translation box's text as it would be stored (line breaks as kept); absent when empty.
    OptString TypedTranslation();
    // The checks' findings for the translation as it stands in the box, under it.
    void ShowFindings();
    // The box changed: its findings, and the preview after a pause.
    void TranslationTyped();
    void FocusTranslation();
    int RowCount() const;
    int StringIndexOfRow(int row) const;

    StoredWindowSize SizeSettings() const;

    TranslationSession& m_session;
    std::wstring m_settingsFile;
    int m_currentRow = 0;
    std::vector<Suggestion> m_suggestions;
    std::unique_ptr<CLivePreview> m_preview; // owned; its window is owned by this dialog's
};
