// The translate dialog: walks the rows the main window's string list shows, one string at a time,
// and stores each edited translation through the main window.
#pragma once

#include "CTEVDialog.h"
#include "UserHandles.h"

#include <memory>

class CMainDialog;

class CTranslateDlg : public CTEVDialog {
public:
    // mainDialog: not null, outlives the dialog. startRow: the row of the main window's string list shown
    // first.
    CTranslateDlg(CTEVEngine* engine, CMainDialog* mainDialog, int startRow);
    ~CTranslateDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    // A translation edited but not stored is not dropped silently: the user chooses to store it,
    // to drop it or to stay.
    BOOL CanClose(int code) override;
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

private:
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
    // Ctrl+Down and Ctrl+Up, whichever control of the dialog has the focus.
    static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
    void FocusTranslation();
    int RowCount() const;
    int StringIndexOfRow(int row) const;

    CMainDialog* m_mainDialog; // not owned
    int m_currentRow;
    std::unique_ptr<WindowsHook> m_keyFilter;
};
