// The check dialog: lists every finding of the project's checks, those marked as intended too; the
// translator dismisses a finding or takes the dismissal back, and choosing one ends the dialog and
// tells which string to go to.
#pragma once

#include "CTEVDialog.h"
#include "ProjectChecks.h"

#include <optional>
#include <string>
#include <vector>

class CTEVList;
class TranslationSession;

class CCheckDlg : public CTEVDialog {
public:
    // The session outlives the dialog; its layout findings should be current.
    CCheckDlg(CTEVEngine* engine, TranslationSession& session);
    ~CCheckDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    BOOL CanClose(int code) override;

    // The string of the finding chosen, absent when the dialog was closed without a choice.
    std::optional<size_t> ChosenString() const { return m_chosen; }

private:
    // Takes the findings and the summary anew and lists them, the row at `row` selected.
    void Refill(int row);
    // The selected finding; null without a selection.
    const Finding* Selected() const;
    // The dismiss button names what it would do to the selected finding.
    void UpdateDismissButton();
    int ToggleDismissed();
    // Ends the dialog with the selected finding's string; nothing without a selection.
    int GoToSelected();

    TranslationSession& m_session;
    std::vector<Finding> m_findings;
    CTEVList* m_list = nullptr; // not owned
    std::optional<size_t> m_chosen;
};
