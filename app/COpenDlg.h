// The open-project dialog: offers the projects found beside the program and the platform's
// languages, and hands back the project file, the translation file and the language.
#pragma once

#include "CTEVDialog.h"
#include "TextUtil.h"

#include <string>
#include <vector>

class CTEVComboBox;
class CTEVListBox;

struct ProjectItem {
    std::wstring name;
    std::wstring dst;
    std::wstring path; // full path of the project file
};

class COpenDlg : public CTEVDialog {
public:
    // programFolder: the folder whose "projects\" sub-folder is searched, with a trailing backslash.
    COpenDlg(CTEVEngine* engine, std::wstring programFolder);
    ~COpenDlg() override;

    void OnInitDialog() override;
    BOOL CanClose(int code) override;
    void OnPreInitDialog() override;

    const std::vector<ProjectItem>& Projects() const { return m_projects; }
    // Results, absent until the dialog is confirmed.
    const OptString& ProjectPath() const { return m_projectPath; }
    const OptString& TranslationPath() const { return m_translationPath; }
    int LanguageId() const { return m_languageId; }

private:
    void EnumerateProjects();
    void FillLanguages();
    void FillProjects();

    std::wstring m_programFolder;
    std::vector<ProjectItem> m_projects;
    CTEVComboBox* m_langCombo = nullptr;  // not owned
    CTEVListBox* m_projectList = nullptr; // not owned
    OptString m_projectPath;
    OptString m_translationPath;
    int m_languageId = -1;
};
