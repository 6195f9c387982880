// The open-project dialog: offers the projects found beside the program and the platform's
// languages, and hands back the project file, the translation file and the language.
#pragma once

#include "CTEVDialog.h"
#include "TextUtil.h"

#include <optional>
#include <string>
#include <vector>

class CTEVComboBox;
class CTEVListBox;

struct ProjectItem {
    std::wstring name;
    std::wstring dst;
    std::wstring path;   // full path of the project file
    std::wstring folder; // its folder's name under "projects\"
};

struct LanguageEntry {
    int id;
    std::wstring name; // the platform's display name
    std::wstring code; // the locale name, such as "en-US"
};

// The project's "name" and "dst", when its file's root names both and dst stays inside the language
// folder; folder is its folder's name under "projects\". Only the root is read: a file that breaks
// after it is listed, and opening it reports it.
std::optional<ProjectItem> ReadProjectItem(const std::wstring& path, const std::wstring& folder);

// The texts the language box shows: the display name, followed by " (code)" when another entry has
// the same name, so that entries that read alike can be told apart.
std::vector<std::wstring> LanguageLabels(const std::vector<LanguageEntry>& languages);

// For each project, the indices of the other projects whose translation file is the same one (their
// dst names the same file for every language).
std::vector<std::vector<size_t>> ProjectsSharingFiles(const std::vector<ProjectItem>& projects);

class COpenDlg : public CTEVDialog {
public:
    // programFolder: the folder whose "projects\" sub-folder is searched, with a trailing backslash.
    COpenDlg(CTEVEngine* engine, std::wstring programFolder);
    ~COpenDlg() override;

    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    BOOL CanClose(int code) override;
    void OnPreInitDialog() override;

    const std::vector<ProjectItem>& Projects() const { return m_projects; }
    // The folders under "projects\" with a project file that could not be listed: it does not read,
    // lacks "name" or "dst", or its dst leaves the language folder.
    const std::vector<std::wstring>& UnlistedFolders() const { return m_unlisted; }
    // Results, absent until the dialog is confirmed.
    const OptString& ProjectPath() const { return m_projectPath; }
    const OptString& TranslationPath() const { return m_translationPath; }
    int LanguageId() const { return m_languageId; }
    // The project's translation file for the language confirmed.
    std::wstring TranslationPathOf(const ProjectItem& project) const;

private:
    void EnumerateProjects();
    void FillLanguages();
    void FillProjects();
    // Shows under the list whether the chosen project writes the same file as another one, and
    // which project folders could not be listed.
    void UpdateSharedNote();
    void RememberChoice(const ProjectItem& project) const;

    std::wstring m_programFolder;
    std::vector<ProjectItem> m_projects;
    std::vector<std::wstring> m_unlisted;
    std::vector<std::vector<size_t>> m_sharing; // by project index
    CTEVComboBox* m_langCombo = nullptr;        // not owned
    CTEVListBox* m_projectList = nullptr;       // not owned
    OptString m_projectPath;
    OptString m_translationPath;
    int m_languageId = -1;
};
