// The check dialog: lists every finding of the project's checks; choosing one ends the dialog and
// tells which string to go to.
#pragma once

#include "CTEVDialog.h"
#include "ProjectChecks.h"

#include <optional>
#include <string>
#include <vector>

class CTEVList;
class ProjectModel;

class CCheckDlg : public CTEVDialog {
public:
    // model and findings outlive the dialog; summary heads the list.
    CCheckDlg(CTEVEngine* engine, const ProjectModel& model, const std::vector<Finding>& findings,
              std::wstring summary);
    ~CCheckDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    BOOL CanClose(int code) override;

    // The string of the finding chosen, absent when the dialog was closed without a choice.
    std::optional<size_t> ChosenString() const { return m_chosen; }

private:
    void FillList();
    // Ends the dialog with the selected finding's string; nothing without a selection.
    int GoToSelected();

    const ProjectModel& m_model;
    const std::vector<Finding>& m_findings;
    std::wstring m_summary;
    CTEVList* m_list = nullptr; // not owned
    std::optional<size_t> m_chosen;
};
