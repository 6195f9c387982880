// Loading a project with its descriptions and translation, and writing the translation file safely.
#include <windows.h>

#include "ProjectModel.h"

#include "FileOps.h"
#include "FileStamp.h"
#include "KernelHandles.h"
#include "PathRules.h"
#include "ProjectFile.h"
#include "SafeReplace.h"
#include "TranslationFile.h"
#include "TranslationWriter.h"
#include "XmlReader.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <utility>

namespace {

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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

// Which entries of a translation file the project's strings take: a string takes the entries of its
// id with its attr, or with any attr when it has none.
class EntryTakers {
public:
    // The strings outlive the takers: their ids are viewed, not copied.
    explicit EntryTakers(const std::vector<StringItem>& strings) : m_strings(strings) {
        m_byId.Reset(strings.size());
        for (size_t s = 0; s < strings.size(); ++s) {
            m_byId.Add(strings[s].id, s);
        }
    }
    bool Takes(const OptString& id, const OptString& attr) const {
        for (size_t s = id ? m_byId.First(*id) : TextGroups::kNone; s != TextGroups::kNone;
             s = m_byId.Next(s)) {
            const OptString& wanted = m_strings[s].attr;
            if (!wanted || *wanted == attr) {
                return true;
            }
        }
        return false;
    }

private:
    const std::vector<StringItem>& m_strings;
    TextGroups m_byId;
};

// Why an existing file cannot be opened for reading now; ERROR_SUCCESS when it can, or is missing.
DWORD OpenErrorOf(const std::wstring& path) {
    if (!IsExistingFile(path)) {
        return ERROR_SUCCESS;
    }
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    return file.Valid() ? ERROR_SUCCESS : GetLastError();
}

TranslationIndex ReadTranslation(const std::wstring& path, bool& unreadable) {
    TranslationIndex index;
    const bool read = ReadTranslationFile(path.c_str(), [&](TranslationEntry entry) {
        if (entry.id) {
            // Only a translation's original matters: an entry without one needs none kept.
            OptString text = entry.loc ? std::move(entry.text) : std::nullopt;
            index.Add(std::move(*entry.id), std::move(entry.attr), std::move(entry.loc), std::move(text));
        }
    });
    unreadable = !read && IsExistingFile(path);
    return read ? std::move(index) : TranslationIndex();
}

std::vector<StringItem> TakeStrings(std::vector<ProjectContent::Entry>& entries) {
    std::vector<StringItem> strings;
    strings.reserve(entries.size());
    for (ProjectContent::Entry& entry : entries) {
        if (entry.id && entry.text && !entry.text->empty()) {
            strings.push_back({std::move(*entry.id), std::move(entry.attr), std::move(*entry.text)});
        }
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

// A description listed more than once is read once; every listing still gets its entry, sharing
// what the file gave.
std::vector<DialogItem> ReadDialogs(const std::vector<std::wstring>& files, const std::wstring& projectFolder,
                                    std::vector<UnreadDescription>& unread) {
    std::vector<DialogItem> dialogs;
    struct Read {
        std::optional<DialogItem> item;
        std::wstring whyNot;
    };
    std::unordered_map<std::wstring, Read> read;
    for (const std::wstring& name : files) {
        const std::wstring path = projectFolder + name;
        const auto [entry, isNew] = read.try_emplace(ResolvedPath(path));
        if (isNew) {
            entry->second.item = LoadDialogItem(path, &entry->second.whyNot);
        }
        if (entry->second.item) {
            dialogs.push_back(*entry->second.item);
            dialogs.back().path = path;
        } else {
            unread.push_back({name, entry->second.whyNot});
        }
    }
    return dialogs;
}

} // namespace

// The elements stream by in document order, each before its children: the order of the locids
// without any walk of a tree, however deep.
std::optional<DialogItem> LoadDialogItem(const std::wstring& path, std::wstring* whyNot) {
    bool isDialog = false;
    OptString caption;
    std::vector<std::wstring> locids;
    const bool parsed = xml::ReadElements(
        path.c_str(), [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            if (depth == 0) {
                isDialog = name == L"dialog";
                caption = isDialog ? attributes.Get(L"caption") : std::nullopt;
            }
            if (!isDialog) {
                return;
            }
            if (OptString locid = attributes.Get(L"locid")) {
                locids.push_back(std::move(*locid));
            }
        });
    if (!parsed || !isDialog) {
        if (whyNot) {
            *whyNot = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"not found"
                      : parsed ? L"its root is not \"dialog\""
                               : L"not readable as XML";
        }
        return std::nullopt;
    }
    return DialogItem{path, caption ? std::move(*caption) : std::wstring(PathFindFileNameW(path.c_str())),
                      std::move(locids)};
}

void TranslationIndex::Add(std::wstring id, OptString attr, OptString loc, OptString text) {
    m_entries.push_back({std::move(id), std::move(attr), std::move(loc), std::move(text)});
    m_grouped = false;
}

size_t TranslationIndex::FirstWithId(const std::wstring& id) const {
    if (!m_grouped) {
        m_byId.Reset(m_entries.size());
        for (size_t i = 0; i < m_entries.size(); ++i) {
            m_byId.Add(m_entries[i].id, i);
        }
        m_grouped = true;
    }
    return m_byId.First(id);
}

OptString TranslationIndex::Find(const std::wstring& id, const OptString& attr) const {
    for (size_t i = FirstWithId(id); i != TextGroups::kNone; i = m_byId.Next(i)) {
        if (Matches(m_entries[i], attr)) {
            return m_entries[i].loc;
        }
    }
    return std::nullopt;
}

TranslationIndex::Taken TranslationIndex::Take(const std::wstring& id, const OptString& attr) {
    Taken taken;
    for (size_t i = FirstWithId(id); i != TextGroups::kNone; i = m_byId.Next(i)) {
        Entry& entry = m_entries[i];
        if (!Matches(entry, attr)) {
            continue;
        }
        entry.taken = true;
        if (!taken.first) {
            taken.first = &entry;
        } else if (entry.loc && entry.loc != taken.first->loc) {
            ++taken.disagreeing;
        }
    }
    return taken;
}

size_t TranslationIndex::CountUntakenWithLoc() const {
    return static_cast<size_t>(std::count_if(m_entries.begin(), m_entries.end(),
                                             [](const Entry& entry) { return entry.loc && !entry.taken; }));
}

LoadResult ProjectModel::Load(const std::wstring& projectFile, const std::wstring& translationFile,
                              int language) {
    LoadResult result;
    std::optional<ProjectContent> project = ReadProjectFile(projectFile);
    if (!project) {
        result.status = LoadStatus::ProjectUnreadable;
        return result;
    }
    if (!project->hasRoot) {
        result.status = LoadStatus::NoProjectRoot;
        return result;
    }
    if (!project->hasStrings) {
        result.status = LoadStatus::NoStrings;
        return result;
    }
    result.translationError = OpenErrorOf(translationFile);
    if (result.translationError != ERROR_SUCCESS) {
        result.status = LoadStatus::TranslationInaccessible;
        return result;
    }
    const auto stamp = StampOf(translationFile);
    TranslationIndex translation = ReadTranslation(translationFile, result.translationUnreadable);
    // Nothing fails from here on: the model takes the new project.
    m_strings = TakeStrings(project->strings);
    FindUnits();
    size_t notTaken = 0;
    size_t disagreeing = 0;
    TakeTranslations(translation, notTaken, disagreeing);
    m_unread.clear();
    m_dialogs = ReadDialogs(project->dialogFiles, FolderOf(projectFile), m_unread);
    m_projectPath = projectFile;
    m_translationPath = translationFile;
    m_languageId = language;
    m_keepUnreadable = result.translationUnreadable;
    m_knownFile = {stamp, notTaken, disagreeing};
    return result;
}

std::optional<size_t> ProjectModel::FindUnsavableString() const {
    // Ids and original texts come from a parsed file; only translations can hold such characters.
    const auto found = std::find_if(m_strings.begin(), m_strings.end(),
                                    [](const StringItem& item) { return item.loc && !IsXmlText(*item.loc); });
    if (found == m_strings.end()) {
        return std::nullopt;
    }
    return static_cast<size_t>(found - m_strings.begin());
}

bool ProjectModel::SaveStrings() {
    return SaveStrings(SystemFileOps());
}

bool ProjectModel::SaveStrings(FileOps& files) {
    m_lastResult = SaveTranslationFile(files);
    return m_lastResult.Saved();
}

SaveResult ProjectModel::SaveTranslationFile(FileOps& files) {
    if (m_translationPath.empty()) {
        return SaveFailure(ERROR_PATH_NOT_FOUND, m_translationPath);
    }
    if (const std::optional<size_t> unsavable = FindUnsavableString()) {
        return {SaveCause::UnsavableText, ERROR_SUCCESS, m_translationPath, m_strings[*unsavable].text};
    }
    const std::wstring folder = FolderOf(m_translationPath);
    if (!folder.empty()) {
        // An existing folder is no error; a folder that cannot be made shows up when saving.
        SHCreateDirectory(nullptr, folder.c_str());
    }
    // The file as this model last read or wrote it need not be read again to know what it holds.
    const bool known = m_knownFile.stamp && StampOf(m_translationPath) == m_knownFile.stamp;
    const size_t dropped = known ? m_knownFile.entriesNotTaken : CountEntriesNotCarriedOver();
    SaveResult result = MoveIntoPlace(files, dropped, known ? m_knownFile.entriesDisagreeing : 0);
    if (result.Saved()) {
        // Every entry now written is a string's own.
        m_knownFile = {StampOf(m_translationPath), 0, 0};
    }
    return result;
}

// Entries of the current file with a translation that no project string would take on loading: the
// rebuilt file cannot carry them. An unreadable file is kept whole anyway and counts nothing.
size_t ProjectModel::CountEntriesNotCarriedOver() const {
    if (m_keepUnreadable) {
        return 0;
    }
    const EntryTakers takers(m_strings);
    size_t dropped = 0;
    const bool read = ReadTranslationFile(m_translationPath.c_str(), [&](const TranslationEntry& entry) {
        if (entry.loc && !takers.Takes(entry.id, entry.attr)) {
            ++dropped;
        }
    });
    return read ? dropped : 0;
}

// Replaces the translation file with the strings written anew. An earlier file that is unreadable, or that
// holds entries the new one drops, is first kept under a free backup name.
SaveResult ProjectModel::MoveIntoPlace(FileOps& files, size_t dropped, size_t disagreeing) {
    m_lastSave = SaveReport();
    std::wstring backup;
    if ((m_keepUnreadable || m_keepEarlier || dropped > 0 || disagreeing > 0) &&
        IsExistingFile(m_translationPath)) {
        const std::optional<std::wstring> free =
            FreeName(files, m_translationPath + (m_keepUnreadable ? L".unreadable" : L""), L".bak");
        if (!free) {
            return {SaveCause::NoFreeName, ERROR_FILE_EXISTS, m_translationPath, {}};
        }
        backup = *free;
    }
    const ContentsWriter contents = [this](const ByteSink& sink) {
        WriteTranslationFile(m_strings, sink, m_unitHead);
    };
    SaveResult result = ReplaceContents(files, m_translationPath, contents, backup);
    if (result.Saved()) {
        m_keepUnreadable = false;
        m_keepEarlier = false;
        m_lastSave = {dropped, disagreeing, std::move(backup)};
    }
    return result;
}

bool ProjectModel::ChangedOnDisk() const {
    // A file gone since (or a folder in its place) is no other writer's work to keep.
    return IsExistingFile(m_translationPath) && StampOf(m_translationPath) != m_knownFile.stamp;
}

std::optional<std::vector<OptString>> ProjectModel::TranslationsOnDisk() const {
    bool unreadable = false;
    const TranslationIndex onDisk = ReadTranslation(m_translationPath, unreadable);
    if (unreadable) {
        return std::nullopt;
    }
    std::vector<OptString> translations;
    translations.reserve(m_strings.size());
    for (const StringItem& item : m_strings) {
        translations.push_back(onDisk.Find(item.id, item.attr));
    }
    return translations;
}

std::optional<StringInfo> ProjectModel::GetStringInfo(size_t index) const {
    if (index >= m_strings.size()) {
        return std::nullopt;
    }
    const StringItem& item = m_strings[index];
    StringInfo info{item.id, item.attr, std::nullopt};
    if (const std::optional<size_t> dialog = FirstDialogOf(index)) {
        info.caption = m_dialogs[*dialog].Caption();
    }
    return info;
}

std::optional<size_t> ProjectModel::FirstDialogOf(size_t index) const {
    if (index >= m_strings.size()) {
        return std::nullopt;
    }
    const std::wstring& id = m_strings[index].id;
    for (size_t d = 0; d < m_dialogs.size(); ++d) {
        const std::vector<std::wstring>& locids = m_dialogs[d].Locids();
        if (std::find(locids.begin(), locids.end(), id) != locids.end()) {
            return d;
        }
    }
    return std::nullopt;
}

namespace {

constexpr size_t kNoString = static_cast<size_t>(-1);

} // namespace

ProjectModel::ProjectModel(std::vector<StringItem> strings, std::vector<DialogItem> dialogs)
    : m_strings(std::move(strings)), m_dialogs(std::move(dialogs)) {
    FindUnits();
}

void ProjectModel::FindUnits() {
    m_unitHead.assign(m_strings.size(), kNoString);
    m_nextInUnit.assign(m_strings.size(), kNoString);
    // Each string joins the first earlier one of its id and attr, after the last string of that
    // unit so far. The ids are views into the strings, which stay put meanwhile.
    std::vector<size_t> lastOfUnit(m_strings.size(), kNoString); // by the unit's first string
    TextGroups byId;
    byId.Reset(m_strings.size());
    for (size_t s = 0; s < m_strings.size(); ++s) {
        const StringItem& item = m_strings[s];
        size_t head = s;
        for (size_t earlier = byId.First(item.id); earlier != TextGroups::kNone;
             earlier = byId.Next(earlier)) {
            if (m_unitHead[earlier] == earlier && m_strings[earlier].attr == item.attr) {
                head = earlier;
                break;
            }
        }
        byId.Add(item.id, s);
        m_unitHead[s] = head;
        if (head != s) {
            m_nextInUnit[lastOfUnit[head]] = s;
        }
        lastOfUnit[head] = s;
    }
}

void ProjectModel::TakeTranslations(TranslationIndex& translation, size_t& notTaken, size_t& disagreeing) {
    disagreeing = 0;
    for (size_t head = 0; head < m_strings.size(); ++head) {
        if (m_unitHead[head] != head) {
            continue;
        }
        const TranslationIndex::Taken taken = translation.Take(m_strings[head].id, m_strings[head].attr);
        disagreeing += taken.disagreeing;
        if (!taken.first || !taken.first->loc) {
            continue;
        }
        for (size_t s = head; s != kNoString; s = m_nextInUnit[s]) {
            StringItem& item = m_strings[s];
            item.loc = taken.first->loc;
            // A translation made from another wording of the original needs review; one written
            // without its original cannot be told apart and counts as made from today's.
            if (taken.first->text && *taken.first->text != item.text) {
                item.madeFrom = taken.first->text;
            }
        }
    }
    notTaken = translation.CountUntakenWithLoc();
}

std::vector<size_t> ProjectModel::UnitOf(size_t index) const {
    std::vector<size_t> unit;
    for (size_t s = index < m_strings.size() ? m_unitHead[index] : kNoString; s != kNoString;
         s = m_nextInUnit[s]) {
        unit.push_back(s);
    }
    return unit;
}

void ProjectModel::SetUnitLoc(size_t index, OptString loc, std::vector<size_t>& changed,
                              const OptString& madeFrom) {
    if (index >= m_strings.size()) {
        return;
    }
    const auto set = [&](size_t s, OptString text) {
        m_strings[s].loc = std::move(text);
        m_strings[s].madeFrom = madeFrom != m_strings[s].text ? madeFrom : std::nullopt;
    };
    // The string named comes first, for the rows to update; it takes the text itself, the others a copy.
    changed.push_back(index);
    for (size_t s = m_unitHead[index]; s != kNoString; s = m_nextInUnit[s]) {
        if (s != index) {
            changed.push_back(s);
            set(s, loc);
        }
    }
    set(index, std::move(loc));
    m_modified = true;
}

std::vector<size_t> ProjectModel::SetLoc(size_t index, const OptString& loc) {
    // The same text again is no edit, unless it accepts a translation that needed review.
    if (index >= m_strings.size() || (m_strings[index].loc == loc && !m_strings[index].NeedsReview())) {
        return {};
    }
    std::vector<size_t> changed;
    SetUnitLoc(index, loc, changed);
    if (!loc) {
        return changed;
    }
    // Only later strings that are still untranslated: earlier ones and finished work stay as they are.
    const std::wstring& text = m_strings[index].text;
    for (size_t k = index + 1; k < m_strings.size(); ++k) {
        if (!m_strings[k].loc && m_strings[k].text == text) {
            SetUnitLoc(k, loc, changed);
        }
    }
    return changed;
}
