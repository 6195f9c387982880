#include "COpenDlg.h"

#include "CTEVComboBox.h"
#include "CTEVListBox.h"
#include "EventRoutes.h"
#include "KernelHandles.h"
#include "PathRules.h"
#include "ProjectFile.h"
#include "PseudoTranslation.h"
#include "Settings.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace {

// The last project and language confirmed, so that the next opening offers them again.
const wchar_t kLastSection[] = L"LastOpened";

// The dst as the file system compares it: without case, either slash, or "." segments.
std::wstring FileKey(const std::wstring& dst) {
    std::wstring key;
    size_t start = 0;
    while (start <= dst.size()) {
        const size_t end = std::min(dst.find_first_of(L"\\/", start), dst.size());
        const std::wstring segment = dst.substr(start, end - start);
        if (!segment.empty() && segment != L".") {
            key += (key.empty() ? L"" : L"\\") + segment;
        }
        start = end + 1;
    }
    CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

} // namespace

std::optional<ProjectItem> ReadProjectItem(const std::wstring& path, const std::wstring& folder) {
    std::optional<ProjectHead> head = ReadProjectHead(path);
    // A dst that leaves the language folder would let a project write anywhere.
    if (!head || !IsSafeRelativePath(head->dst)) {
        return std::nullopt;
    }
    return ProjectItem{std::move(head->name), std::move(head->dst), path, folder};
}

std::vector<std::wstring> LanguageLabels(const std::vector<LanguageEntry>& languages) {
    // The platform gives some identifiers the same name and code; their number tells them apart.
    std::map<std::wstring, int> names, codes;
    for (const LanguageEntry& language : languages) {
        ++names[language.name];
        ++codes[language.name + L"\n" + language.code];
    }
    std::vector<std::wstring> labels;
    for (const LanguageEntry& language : languages) {
        std::wstring label = language.name;
        if (names[language.name] > 1) {
            const std::wstring number = std::to_wstring(language.id);
            const bool codeRepeats = codes[language.name + L"\n" + language.code] > 1;
            label += L" (" +
                     (language.code.empty() ? number
                      : codeRepeats         ? language.code + L", " + number
                                            : language.code) +
                     L")";
        }
        labels.push_back(std::move(label));
    }
    return labels;
}

std::vector<std::vector<size_t>> ProjectsSharingFiles(const std::vector<ProjectItem>& projects) {
    std::map<std::wstring, std::vector<size_t>> byFile;
    for (size_t i = 0; i < projects.size(); ++i) {
        byFile[FileKey(projects[i].dst)].push_back(i);
    }
    std::vector<std::vector<size_t>> sharing(projects.size());
    for (const auto& [key, group] : byFile) {
        for (size_t i : group) {
            for (size_t other : group) {
                if (other != i) {
                    sharing[i].push_back(other);
                }
            }
        }
    }
    return sharing;
}

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
        const std::wstring file = projectsFolder + name + L"\\tevproject.xml";
        if (auto project = ReadProjectItem(file, name)) {
            m_projects.push_back(std::move(*project));
        } else if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
            m_unlisted.push_back(name);
        }
    }
    m_sharing = ProjectsSharingFiles(m_projects);
}

int COpenDlg::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    static const EventRoute<COpenDlg> kRoutes[] = {
        {L"lstProjects", L"changed", [](COpenDlg& d, WPARAM, LPARAM) { return d.UpdateSharedNote(), 1; }},
    };
    return RouteEvent(kRoutes, *this, source, event, wParam, lParam);
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
    std::vector<LanguageEntry> languages;
    std::array<wchar_t, 510> name = {};
    std::array<wchar_t, LOCALE_NAME_MAX_LENGTH> code = {};
    for (int primary = 1; primary <= 141; ++primary) {
        for (int sub = 1; sub <= 31; ++sub) {
            const LCID language = MAKELCID(MAKELANGID(primary, sub), SORT_DEFAULT);
            if (GetLocaleInfoW(language, LOCALE_SLANGUAGE, name.data(), static_cast<int>(name.size())) > 0) {
                if (GetLocaleInfoW(language, LOCALE_SNAME, code.data(), static_cast<int>(code.size())) <= 0) {
                    code[0] = L'\0';
                }
                languages.push_back({static_cast<int>(language), name.data(), code.data()});
            }
        }
    }
    // Made from the originals for a layout check before any translator starts; never saved.
    languages.push_back({kPseudoLanguageId, kPseudoLanguageName, kPseudoLocaleName});
    const std::vector<std::wstring> labels = LanguageLabels(languages);
    for (size_t i = 0; i < languages.size(); ++i) {
        m_langCombo->AddItem(languages[i].id, labels[i].c_str());
    }
    // The language last confirmed comes first; without one, or when it is gone, the user's own.
    const Settings settings(m_programFolder + L"settings.ini");
    const int last = settings.ReadInt(kLastSection, L"language", -1);
    if (last > 0) {
        m_langCombo->SetValue(last);
    }
    if (last <= 0 || m_langCombo->GetValue() != last) {
        m_langCombo->SetValue(static_cast<int>(GetUserDefaultLCID()));
    }
}

void COpenDlg::FillProjects() {
    if (!m_projectList) {
        return;
    }
    for (size_t i = 0; i < m_projects.size(); ++i) {
        m_projectList->AddItem(static_cast<int>(i), m_projects[i].name.c_str());
    }
    // The project last confirmed, by its folder; otherwise the first one found.
    const Settings settings(m_programFolder + L"settings.ini");
    const std::wstring last = settings.ReadString(kLastSection, L"project");
    int chosen = 0;
    for (size_t i = 0; i < m_projects.size() && !last.empty(); ++i) {
        if (CompareStringOrdinal(m_projects[i].folder.c_str(), -1, last.c_str(), -1, TRUE) == CSTR_EQUAL) {
            chosen = static_cast<int>(i);
            break;
        }
    }
    m_projectList->SetValue(chosen);
    UpdateSharedNote();
}

void COpenDlg::UpdateSharedNote() {
    CTEVElement* note = FindById(L"sharedNote");
    if (!note) {
        return;
    }
    const int chosen = m_projectList ? m_projectList->GetValue() : -1;
    std::wstring text;
    if (chosen >= 0 && chosen < static_cast<int>(m_sharing.size()) && !m_sharing[chosen].empty()) {
        std::wstring others;
        for (size_t other : m_sharing[chosen]) {
            others += (others.empty() ? L"\"" : L", \"") + m_projects[other].name + L"\"";
        }
        text = FormatText(L"Warning: this project writes the same translation file as %s. Saving one "
                          L"leaves out the other's translations; the earlier file is kept as a backup.",
                          others.c_str());
    }
    if (!m_unlisted.empty()) {
        std::wstring folders;
        for (const std::wstring& folder : m_unlisted) {
            folders += (folders.empty() ? L"" : L", ") + folder;
        }
        text += FormatText(L"%sNot listed: the project file of %s could not be read, or names no translation "
                           L"file inside the language folder.",
                           text.empty() ? L"" : L"\n", folders.c_str());
    }
    note->SetText(text.c_str());
}

void COpenDlg::RememberChoice(const ProjectItem& project) const {
    const Settings settings(m_programFolder + L"settings.ini");
    settings.WriteString(kLastSection, L"project", project.folder);
    if (m_languageId > 0) {
        settings.WriteInt(kLastSection, L"language", m_languageId);
    }
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
    m_translationPath = TranslationPathOf(project);
    RememberChoice(project);
    return TRUE;
}

std::wstring COpenDlg::TranslationPathOf(const ProjectItem& project) const {
    const Settings settings(m_programFolder + L"settings.ini");
    return ::TranslationPath(settings.OutputFolder(), m_languageId, project.dst);
}
