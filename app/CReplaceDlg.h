// The find and replace dialog: previews every translation a query would change, as the fields are
// edited, and replaces them all in the session as one undo step.
#pragma once

#include "CTEVDialog.h"
#include "TextReplace.h"

#include <string>

class CTEVList;
class TranslationSession;

class CReplaceDlg : public CTEVDialog {
public:
    // session outlives the dialog.
    CReplaceDlg(CTEVEngine* engine, TranslationSession& session);
    ~CReplaceDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    // Enter replaces nothing: a replace of every translation takes its own button.
    BOOL CanClose(int code) override;

    // Translations changed by every Replace All while the dialog ran.
    size_t Replaced() const { return m_replaced; }
    // "Replaced in 3 translations".
    static std::wstring ReplacedText(size_t replaced);

private:
    ReplaceQuery Query();
    // Lists the changes the fields describe and says how many there are.
    void ShowPlan();
    void ReplaceAll();
    void ShowSummary(const std::wstring& text);

    TranslationSession& m_session;
    CTEVList* m_list = nullptr; // not owned
    size_t m_replaced = 0;
};
