// Loading a project with its descriptions and translation, and writing the translation file safely.
#include <windows.h>

#include "ProjectModel.h"

#include "PathRules.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <utility>

namespace {

const wchar_t kDeclaration[] = L"version=\"1.0\" encoding=\"UTF-16\"";

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// stem + extension, or stem + ".2" + extension and so on: the first name nothing uses yet.
std::wstring FreeName(const std::wstring& stem, const wchar_t* extension) {
    std::wstring name = stem + extension;
    for (int number = 2; PathExists(name); ++number) {
        name = FormatText(L"%s.%d%s", stem.c_str(), number, extension);
    }
    return name;
}

// Characters XML 1.0 cannot carry, not even as references: the writer would produce a file that no
// reader accepts.
bool IsXmlText(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF ||
                   (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r')) {
            return false;
        }
    }
    return true;
}

void AppendLocid(IXMLDOMNode* node, std::vector<std::wstring>& locids) {
    if (OptString locid = xml::GetAttribute(node, L"locid")) {
        locids.push_back(std::move(*locid));
    }
}

TranslationIndex ReadTranslation(const std::wstring& path, bool& unreadable) {
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(path.c_str());
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"strings");
    unreadable = !root && IsExistingFile(path);
    return TranslationIndex(root.Get());
}

std::vector<StringItem> ReadStrings(IXMLDOMNode* parent, const TranslationIndex& translation) {
    std::vector<StringItem> strings;
    // Comments and text between the entries have no attributes and drop out with the check below.
    for (ComPtr<IXMLDOMNode> node = xml::FirstChild(parent); node; node = xml::NextSibling(node.Get())) {
        OptString id = xml::GetAttribute(node.Get(), L"id");
        OptString text = xml::GetAttribute(node.Get(), L"text");
        if (!id || !text || text->empty()) {
            continue;
        }
        OptString attr = xml::GetAttribute(node.Get(), L"attr");
        OptString loc = translation.Find(*id, attr);
        strings.push_back({std::move(*id), std::move(attr), std::move(*text), std::move(loc)});
    }
    return strings;
}

// The path with "." and ".." resolved, so that two spellings of one file name meet; the file name
// part, which a caption may come from, stays as written.
std::wstring ResolvedPath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, &full[0], nullptr));
    return full;
}

// A description listed more than once is read once; every listing still gets its entry.
std::vector<DialogItem> ReadDialogs(IXMLDOMNode* files, const std::wstring& projectFolder) {
    std::vector<DialogItem> dialogs;
    std::unordered_map<std::wstring, std::optional<DialogItem>> read;
    for (ComPtr<IXMLDOMNode> node = xml::FirstChild(files); node; node = xml::NextSibling(node.Get())) {
        const OptString name = xml::GetAttribute(node.Get(), L"name");
        if (!name) {
            continue;
        }
        const std::wstring path = projectFolder + *name;
        const auto [entry, isNew] = read.try_emplace(ResolvedPath(path));
        if (isNew) {
            entry->second = LoadDialogItem(path);
        }
        if (entry->second) {
            dialogs.push_back(*entry->second);
            dialogs.back().path = path;
        }
    }
    return dialogs;
}

bool AppendString(IXMLDOMDocument* document, IXMLDOMElement* root, const StringItem& item) {
    ComPtr<IXMLDOMElement> element = xml::AppendElement(document, root, L"string");
    return element && xml::SetAttribute(element.Get(), L"id", item.id.c_str()) &&
           (!item.attr || xml::SetAttribute(element.Get(), L"attr", item.attr->c_str())) &&
           xml::SetAttribute(element.Get(), L"text", item.text.c_str()) &&
           xml::SetAttribute(element.Get(), L"loc", item.loc->c_str());
}

ComPtr<IXMLDOMDocument> BuildTranslationDocument(const std::vector<StringItem>& strings) {
    ComPtr<IXMLDOMDocument> document = xml::CreateDocument();
    if (!xml::AppendProcessingInstruction(document.Get(), L"xml", kDeclaration)) {
        return nullptr;
    }
    ComPtr<IXMLDOMElement> root =
        xml::AppendElement(document.Get(), xml::AsNode(document.Get()).Get(), L"strings");
    if (!root) {
        return nullptr;
    }
    for (const StringItem& item : strings) {
        if (item.loc && !AppendString(document.Get(), root.Get(), item)) {
            return nullptr;
        }
    }
    return document;
}

} // namespace

bool MoveOverKeepingBackup(const std::wstring& written, const std::wstring& target,
                           const std::wstring& backup) {
    if (!backup.empty() && !MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    if (MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    if (!backup.empty()) {
        MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    return false;
}

// The walk keeps its own stack of nodes still to visit, so a description nested tens of thousands
// deep cannot exhaust the call stack.
std::vector<std::wstring> CollectLocids(IXMLDOMNode* root) {
    std::vector<std::wstring> locids;
    AppendLocid(root, locids);
    std::vector<ComPtr<IXMLDOMNode>> pending;
    if (ComPtr<IXMLDOMNode> child = xml::FirstChild(root)) {
        pending.push_back(std::move(child));
    }
    while (!pending.empty()) {
        ComPtr<IXMLDOMNode> node = std::move(pending.back());
        pending.pop_back();
        AppendLocid(node.Get(), locids);
        // The sibling goes below the child so that the whole subtree comes first.
        if (ComPtr<IXMLDOMNode> sibling = xml::NextSibling(node.Get())) {
            pending.push_back(std::move(sibling));
        }
        if (ComPtr<IXMLDOMNode> child = xml::FirstChild(node.Get())) {
            pending.push_back(std::move(child));
        }
    }
    return locids;
}

std::optional<DialogItem> LoadDialogItem(const std::wstring& path) {
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(path.c_str());
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"dialog");
    if (!root) {
        return std::nullopt;
    }
    OptString caption = xml::GetAttribute(root.Get(), L"caption");
    return DialogItem{path, caption ? std::move(*caption) : std::wstring(PathFindFileNameW(path.c_str())),
                      CollectLocids(root.Get())};
}

TranslationIndex::TranslationIndex(IXMLDOMNode* root) {
    for (ComPtr<IXMLDOMNode> node = xml::FirstChild(root); node; node = xml::NextSibling(node.Get())) {
        if (!xml::IsElement(node.Get()) || xml::NodeName(node.Get()) != L"string") {
            continue;
        }
        if (OptString id = xml::GetAttribute(node.Get(), L"id")) {
            m_entries[std::move(*id)].push_back(
                {xml::GetAttribute(node.Get(), L"attr"), xml::GetAttribute(node.Get(), L"loc")});
        }
    }
}

OptString TranslationIndex::Find(const std::wstring& id, const OptString& attr) const {
    const auto found = m_entries.find(id);
    if (found == m_entries.end()) {
        return std::nullopt;
    }
    for (const Entry& entry : found->second) {
        if (!attr || entry.attr == attr) {
            return entry.loc;
        }
    }
    return std::nullopt;
}

LoadResult ProjectModel::Load(const std::wstring& projectFile, const std::wstring& translationFile,
                              int language) {
    LoadResult result;
    ComPtr<IXMLDOMDocument> project = xml::LoadFileDocument(projectFile.c_str());
    if (!project) {
        result.status = LoadStatus::ProjectUnreadable;
        return result;
    }
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(project.Get()).Get(), L"tevproject");
    if (!root) {
        result.status = LoadStatus::NoProjectRoot;
        return result;
    }
    ComPtr<IXMLDOMNode> stringsNode = xml::SelectSingleNode(root.Get(), L"strings");
    if (!stringsNode) {
        result.status = LoadStatus::NoStrings;
        return result;
    }
    std::vector<StringItem> newStrings =
        ReadStrings(stringsNode.Get(), ReadTranslation(translationFile, result.translationUnreadable));
    ComPtr<IXMLDOMNode> files = xml::SelectSingleNode(root.Get(), L"files");
    std::vector<DialogItem> newDialogs = ReadDialogs(files.Get(), FolderOf(projectFile));

    strings = std::move(newStrings);
    dialogs = std::move(newDialogs);
    projectPath = projectFile;
    translationPath = translationFile;
    languageId = language;
    m_keepUnreadable = result.translationUnreadable;
    return result;
}

std::optional<size_t> ProjectModel::FindUnsavableString() const {
    // Ids and original texts come from a parsed file; only translations can hold such characters.
    const auto found = std::find_if(strings.begin(), strings.end(),
                                    [](const StringItem& item) { return item.loc && !IsXmlText(*item.loc); });
    if (found == strings.end()) {
        return std::nullopt;
    }
    return static_cast<size_t>(found - strings.begin());
}

bool ProjectModel::SaveStrings() {
    if (translationPath.empty() || FindUnsavableString()) {
        return false;
    }
    const std::wstring folder = FolderOf(translationPath);
    if (!folder.empty()) {
        // An existing folder is no error; a folder that cannot be made shows up when saving.
        SHCreateDirectory(nullptr, folder.c_str());
    }
    ComPtr<IXMLDOMDocument> document = BuildTranslationDocument(strings);
    if (!document) {
        return false;
    }
    const size_t dropped = CountEntriesNotCarriedOver();
    const std::wstring written = FreeName(translationPath + L".saving", L".tmp");
    if (!xml::SaveFile(document.Get(), written.c_str()) || !MoveIntoPlace(written, dropped > 0)) {
        DeleteFileW(written.c_str());
        return false;
    }
    m_lastSave.droppedEntries = dropped;
    return true;
}

// Entries of the current file with a translation that no project string would take on loading: the
// rebuilt file cannot carry them. An unreadable file is kept whole anyway and counts nothing.
size_t ProjectModel::CountEntriesNotCarriedOver() const {
    if (m_keepUnreadable) {
        return 0;
    }
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(translationPath.c_str());
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"strings");
    if (!root) {
        return 0;
    }
    std::unordered_map<std::wstring, std::vector<const OptString*>> attrsById;
    for (const StringItem& item : strings) {
        attrsById[item.id].push_back(&item.attr);
    }
    size_t dropped = 0;
    for (ComPtr<IXMLDOMNode> node = xml::FirstChild(root.Get()); node; node = xml::NextSibling(node.Get())) {
        if (!xml::IsElement(node.Get()) || xml::NodeName(node.Get()) != L"string" ||
            !xml::GetAttribute(node.Get(), L"loc")) {
            continue;
        }
        const OptString id = xml::GetAttribute(node.Get(), L"id");
        const auto found = id ? attrsById.find(*id) : attrsById.end();
        const OptString attr = xml::GetAttribute(node.Get(), L"attr");
        // A string without attr takes an entry of its id whatever the entry's attr.
        const bool taken = found != attrsById.end() &&
                           std::any_of(found->second.begin(), found->second.end(),
                                       [&](const OptString* wanted) { return !*wanted || **wanted == attr; });
        dropped += taken ? 0 : 1;
    }
    return dropped;
}

// Replaces the translation file with the completely written one. An earlier file that is unreadable,
// or that holds entries the new one drops, is first renamed aside under a free name, and put back
// when the replacement fails.
bool ProjectModel::MoveIntoPlace(const std::wstring& written, bool keepEarlier) {
    m_lastSave = SaveReport();
    std::wstring backup;
    if ((m_keepUnreadable || keepEarlier) && IsExistingFile(translationPath)) {
        backup = FreeName(translationPath + (m_keepUnreadable ? L".unreadable" : L""), L".bak");
    }
    if (!MoveOverKeepingBackup(written, translationPath, backup)) {
        return false;
    }
    m_keepUnreadable = false;
    m_lastSave.backupPath = std::move(backup);
    return true;
}

std::optional<StringInfo> ProjectModel::GetStringInfo(size_t index) const {
    if (index >= strings.size()) {
        return std::nullopt;
    }
    const StringItem& item = strings[index];
    StringInfo info{item.id, item.attr, std::nullopt};
    if (const std::optional<size_t> dialog = FirstDialogOf(index)) {
        info.caption = dialogs[*dialog].caption;
    }
    return info;
}

std::optional<size_t> ProjectModel::FirstDialogOf(size_t index) const {
    if (index >= strings.size()) {
        return std::nullopt;
    }
    const std::wstring& id = strings[index].id;
    for (size_t d = 0; d < dialogs.size(); ++d) {
        if (std::find(dialogs[d].locids.begin(), dialogs[d].locids.end(), id) != dialogs[d].locids.end()) {
            return d;
        }
    }
    return std::nullopt;
}

std::vector<size_t> ProjectModel::SetLoc(size_t index, const OptString& loc) {
    std::vector<size_t> changed;
    // The same text again is no edit: nothing to store, nothing to save.
    if (index >= strings.size() || strings[index].loc == loc) {
        return changed;
    }
    strings[index].loc = loc;
    m_modified = true;
    changed.push_back(index);
    if (!loc) {
        return changed;
    }
    // Only later strings that are still untranslated: earlier ones and finished work stay as they are.
    const std::wstring& text = strings[index].text;
    for (size_t k = index + 1; k < strings.size(); ++k) {
        if (!strings[k].loc && strings[k].text == text) {
            strings[k].loc = loc;
            changed.push_back(k);
        }
    }
    return changed;
}

void ProjectModel::SetImportedLoc(size_t index, std::wstring loc) {
    if (index < strings.size()) {
        strings[index].loc = std::move(loc);
        m_modified = true;
    }
}
