#include "Dismissals.h"

#include "PathRules.h"
#include "ProjectModel.h"
#include "SafeReplace.h"
#include "TranslationWriter.h"
#include "XmlReader.h"

#include <shlobj.h>

#include <algorithm>

namespace {

void AppendAttribute(std::wstring& out, const wchar_t* name, const OptString& value) {
    if (value) {
        out += L' ';
        out += name;
        out += L"=\"";
        AppendXmlEscaped(out, *value);
        out += L'"';
    }
}

} // namespace

Dismissal Dismissal::Of(const StringItem& item, const OptString& translation, const std::wstring& kind,
                        const std::wstring& detail) {
    return {item.id, item.attr, kind, detail, item.text, translation};
}

bool Dismissal::operator==(const Dismissal& other) const {
    return id == other.id && attr == other.attr && kind == other.kind && detail == other.detail &&
           original == other.original && translation == other.translation;
}

std::wstring Dismissals::PathFor(const std::wstring& translationPath) {
    return translationPath + L".dismissed";
}

Dismissals Dismissals::Read(const std::wstring& translationPath) {
    Dismissals read;
    const bool parsed =
        xml::ReadElements(PathFor(translationPath).c_str(),
                          [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
                              if (depth != 1 || name != L"finding") {
                                  return;
                              }
                              OptString id = attributes.Get(L"id");
                              OptString kind = attributes.Get(L"kind");
                              OptString original = attributes.Get(L"text");
                              if (id && kind && original) {
                                  read.Add({std::move(*id), attributes.Get(L"attr"), std::move(*kind),
                                            attributes.Get(L"detail").value_or(L""), std::move(*original),
                                            attributes.Get(L"loc")});
                              }
                          });
    // A file cut short keeps nothing: half of it could bring back findings the translator dismissed
    // as readily as it could hide others.
    return parsed ? std::move(read) : Dismissals();
}

SaveResult Dismissals::Write(FileOps& files, const std::wstring& translationPath) const {
    const std::wstring path = PathFor(translationPath);
    if (m_count == 0) {
        const DWORD error = files.Delete(path);
        return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? SaveResult()
                   : SaveFailure(error, path);
    }
    // The first dismissal may come before the first save made the language folder.
    SHCreateDirectory(nullptr, FolderOf(path).c_str());
    std::wstring text = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<dismissed>\n";
    for (const auto& [id, dismissals] : m_byId) {
        for (const Dismissal& dismissal : dismissals) {
            text += L" <finding";
            AppendAttribute(text, L"id", dismissal.id);
            AppendAttribute(text, L"attr", dismissal.attr);
            AppendAttribute(text, L"kind", dismissal.kind);
            AppendAttribute(text, L"detail", dismissal.detail);
            AppendAttribute(text, L"text", dismissal.original);
            AppendAttribute(text, L"loc", dismissal.translation);
            text += L"/>\n";
        }
    }
    text += L"</dismissed>\n";
    return ReplaceContents(
        files, path, [&](const auto& sink) { sink(text.data(), text.size() * sizeof(wchar_t)); }, L"");
}

bool Dismissals::Covers(const StringItem& item, const OptString& translation, const std::wstring& kind,
                        const std::wstring& detail) const {
    const auto found = m_byId.find(item.id);
    return found != m_byId.end() &&
           std::any_of(found->second.begin(), found->second.end(), [&](const Dismissal& dismissal) {
               return dismissal.attr == item.attr && dismissal.kind == kind && dismissal.detail == detail &&
                      dismissal.original == item.text && dismissal.translation == translation;
           });
}

bool Dismissals::Mentions(const StringItem& item) const {
    const auto found = m_byId.find(item.id);
    return found != m_byId.end() &&
           std::any_of(found->second.begin(), found->second.end(),
                       [&](const Dismissal& dismissal) { return dismissal.attr == item.attr; });
}

bool Dismissals::Add(Dismissal dismissal) {
    std::vector<Dismissal>& ofId = m_byId[dismissal.id];
    if (std::find(ofId.begin(), ofId.end(), dismissal) != ofId.end()) {
        return false;
    }
    ofId.push_back(std::move(dismissal));
    ++m_count;
    return true;
}

bool Dismissals::Remove(const Dismissal& dismissal) {
    const auto found = m_byId.find(dismissal.id);
    if (found == m_byId.end()) {
        return false;
    }
    std::vector<Dismissal>& ofId = found->second;
    const auto match = std::find(ofId.begin(), ofId.end(), dismissal);
    if (match == ofId.end()) {
        return false;
    }
    ofId.erase(match);
    --m_count;
    if (ofId.empty()) {
        m_byId.erase(found);
    }
    return true;
}
