#include "COpenDlg.h"

#include "CTEVComboBox.h"
#include "CTEVListBox.h"
#include "KernelHandles.h"
#include "PathRules.h"
#include "Settings.h"
#include "XmlDom.h"

#include <array>

namespace {

// The project's "name" and "dst", when its file loads and names both.
std::optional<ProjectItem> ReadProjectItem(const std::wstring& path) {
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(path.c_str());
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"tevproject");
    OptString name = xml::GetAttribute(root.Get(), L"name");
    OptString dst = xml::GetAttribute(root.Get(), L"dst");
    // A dst that leaves the language folder would let a project write anywhere.
    if (!name || !dst || !IsSafeRelativePath(*dst)) {
        return std::nullopt;
    }
    return ProjectItem{*name, *dst, path};
}

} // namespace

COpenDlg::COpenDlg(CTEVEngine* engine, std::wstring programFolder)
    : CTEVDialog(L"res:open.xml", engine, nullptr), m_programFolder(std::move(programFolder)) {
    EnumerateProjects();
}

COpenDlg::~COpenDlg() = default;

void COpenDlg::EnumerateProjects() {
    const std::wstring projectsFolder = m_programFolder + L"projects\\";
    for (FileSearch search(projectsFolder + L"*"); search.Found(); search.Next()) {
        const WIN32_FIND_DATAW& found = search.Entry();
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        if (auto project = ReadProjectItem(projectsFolder + name + L"\\tevproject.xml")) {
            m_projects.push_back(std::move(*project));
        }
    }
}

void COpenDlg::OnPreInitDialog() {
    m_langCombo = FindAs<CTEVComboBox>(L"lang");
    m_projectList = FindAs<CTEVListBox>(L"lstProjects");
}

void COpenDlg::OnInitDialog() {
    CTEVDialog::OnInitDialog();
    FillLanguages();
    FillProjects();
}

void COpenDlg::FillLanguages() {
    if (!m_langCombo) {
        return;
    }
    std::array<wchar_t, 510> name = {};
    for (int primary = 1; primary <= 141; ++primary) {
        for (int sub = 1; sub <= 31; ++sub) {
            const LCID language = MAKELANGID(primary, sub);
            if (GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SLANGUAGE, name.data(),
                               static_cast<int>(name.size())) > 0) {
                m_langCombo->AddItem(static_cast<int>(language), name.data());
            }
        }
    }
    m_langCombo->SetValue(static_cast<int>(GetUserDefaultLCID()));
}

void COpenDlg::FillProjects() {
    if (!m_projectList) {
        return;
    }
    for (size_t i = 0; i < m_projects.size(); ++i) {
        m_projectList->AddItem(static_cast<int>(i), m_projects[i].name.c_str());
    }
    m_projectList->SetValue(0);
}

BOOL COpenDlg::CanClose(int code) {
    if (code != IDOK) {
        return TRUE;
    }
    m_languageId = m_langCombo ? m_langCombo->GetValue() : -1;
    const int chosen = m_projectList ? m_projectList->GetValue() : -1;
    if (chosen < 0 || chosen >= static_cast<int>(m_projects.size())) {
        return FALSE;
    }
    const ProjectItem& project = m_projects[chosen];
    m_projectPath = project.path;
    const Settings settings(m_programFolder + L"settings.ini");
    m_translationPath = ::TranslationPath(settings.OutputFolder(), m_languageId, project.dst);
    return TRUE;
}
