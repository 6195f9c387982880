#include "TmxFile.h"

#include "ProjectModel.h"
#include "SafeReplace.h"
#include "TranslationMemory.h"
#include "TranslationWriter.h"
#include "XmlReader.h"

#include <windows.h>

#include <shlwapi.h>

namespace {

constexpr wchar_t kSourceTag[] = L"en";

void AppendElement(std::wstring& out, const wchar_t* open, const std::wstring& text, const wchar_t* close) {
    out += open;
    AppendXmlEscaped(out, text);
    out += close;
}

std::wstring UnitText(const ProjectModel& model, size_t s, const std::wstring& projectName,
                      const std::wstring& targetTag) {
    const StringItem& item = model.Strings()[s];
    std::wstring unit = L"  <tu tuid=\"";
    AppendXmlEscaped(unit, item.attr ? item.id + L"/" + *item.attr : item.id);
    unit += L"\">\n";
    AppendElement(unit, L"   <prop type=\"x-project\">", projectName, L"</prop>\n");
    if (const std::optional<size_t> dialog = model.FirstDialogOf(s)) {
        AppendElement(unit, L"   <prop type=\"x-dialog\">", model.Dialogs()[*dialog].Caption(), L"</prop>\n");
    }
    AppendElement(unit, L"   <tuv xml:lang=\"en\"><seg>", item.text, L"</seg></tuv>\n");
    AppendElement(unit, (L"   <tuv xml:lang=\"" + targetTag + L"\"><seg>").c_str(), *item.loc,
                  L"</seg></tuv>\n");
    return unit + L"  </tu>\n";
}

bool SameLanguage(const std::wstring& tag, const std::wstring& wanted) {
    const auto primary = [](const std::wstring& full) { return full.substr(0, full.find_first_of(L"-_")); };
    const std::wstring a = primary(tag);
    const std::wstring b = primary(wanted);
    return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The units of a TMX file as its elements stream by: "tu" under "body", "tuv" in it, "seg" in that.
class TmxReader {
public:
    explicit TmxReader(std::wstring targetTag) : m_target(std::move(targetTag)) {}

    void Element(int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
        if (depth == 0) {
            m_isTmx = name == L"tmx";
        } else if (depth == 1 && name == L"header") {
            m_source = attributes.Get(L"srclang").value_or(kSourceTag);
        } else if (depth == 2 && name == L"tu") {
            EndUnit();
        } else if (depth == 3 && name == L"tuv") {
            m_lang = attributes.Get(L"xml:lang").value_or(L"");
        }
        if (depth <= 4) { // markup inside a segment leaves it open
            m_inSeg = depth == 4 && name == L"seg";
        }
    }
    void Text(int depth, std::wstring_view text) {
        if (depth != 4 || !m_inSeg) {
            return;
        }
        if (SameLanguage(m_lang, m_target)) {
            m_translation.append(text);
        } else if (SameLanguage(m_lang, m_source)) {
            m_original.append(text);
        }
    }
    void EndUnit() {
        if (!m_original.empty() && !m_translation.empty()) {
            pairs.emplace_back(std::move(m_original), std::move(m_translation));
        }
        m_original.clear();
        m_translation.clear();
    }
    bool IsTmx() const { return m_isTmx; }

    std::vector<std::pair<std::wstring, std::wstring>> pairs;

private:
    std::wstring m_target;
    std::wstring m_source = kSourceTag;
    std::wstring m_lang;
    std::wstring m_original;
    std::wstring m_translation;
    bool m_isTmx = false;
    bool m_inSeg = false;
};

} // namespace

std::wstring LanguageTag(int languageId) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    return LCIDToLocaleName(static_cast<LCID>(languageId), name, LOCALE_NAME_MAX_LENGTH, 0) > 1 ? name
                                                                                                : L"und";
}

SaveResult WriteTmxFile(FileOps& files, const std::wstring& path, const ProjectModel& model,
                        const std::wstring& projectName) {
    const std::wstring targetTag = LanguageTag(model.LanguageId());
    const ContentsWriter contents = [&](const std::function<bool(const void*, size_t)>& sink) {
        std::wstring piece = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<tmx version=\"1.4\">\n"
                             L" <header creationtool=\"tevlib translator\" creationtoolversion=\"1.0\" "
                             L"segtype=\"sentence\" o-tmf=\"tevlib\" adminlang=\"en\" srclang=\"en\" "
                             L"datatype=\"plaintext\"/>\n <body>\n";
        for (size_t s = 0; s < model.Strings().size(); ++s) {
            if (model.UnitHead(s) == s && model.Strings()[s].loc) {
                piece += UnitText(model, s, projectName, targetTag);
            }
            // Written in pieces: a large project's file is never held whole.
            if (piece.size() > 32768) {
                if (!sink(piece.data(), piece.size() * sizeof(wchar_t))) {
                    return;
                }
                piece.clear();
            }
        }
        piece += L" </body>\n</tmx>\n";
        sink(piece.data(), piece.size() * sizeof(wchar_t));
    };
    return ReplaceContents(files, path, contents, L"");
}

bool AddTmxFile(TranslationMemory& memory, const std::wstring& path, const std::wstring& targetTag) {
    TmxReader reader(targetTag);
    const bool read = xml::ReadElements(
        path.c_str(),
        [&](int depth, std::wstring_view name, const xml::ElementAttributes& attributes) {
            reader.Element(depth, name, attributes);
        },
        [&](int depth, std::wstring_view text) { reader.Text(depth, text); });
    reader.EndUnit();
    if (!read || !reader.IsTmx()) {
        return false;
    }
    const std::wstring origin = PathFindFileNameW(path.c_str());
    for (const auto& [original, translation] : reader.pairs) {
        memory.Add(original, translation, origin);
    }
    return true;
}
