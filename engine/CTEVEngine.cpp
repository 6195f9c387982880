#include "CTEVEngine.h"

#include "CTEVElement.h"
#include "ElementTags.h"

#include <iterator>
#include <utility>

CTEVEngine::CTEVEngine(HINSTANCE instance) : m_instance(instance) {}

CTEVEngine::~CTEVEngine() = default;

std::unique_ptr<CTEVElement> CTEVEngine::CreateElement(const wchar_t* tag, CTEVElement* parent) {
    const ElementFactory create = FindElementFactory(tag);
    return create ? create(parent, this) : nullptr;
}

void CTEVEngine::DrawImage(HDC, int, int, int, int, const wchar_t*) {}

void CTEVEngine::OpenHelp(HWND, const wchar_t*, int) {}

BOOL CTEVEngine::IsViewer() {
    return FALSE;
}

void CTEVEngine::LoadStrings(const wchar_t* path) {
    std::vector<TranslationEntry> read;
    const bool complete = ReadTranslationFile(path, [&](TranslationEntry entry) {
        // An entry without id can never answer a lookup.
        if (entry.id) {
            entry.text.reset(); // a preview shows translations only
            read.push_back(std::move(entry));
        }
    });
    if (complete) {
        m_strings.insert(m_strings.end(), std::make_move_iterator(read.begin()),
                         std::make_move_iterator(read.end()));
    }
}

void CTEVEngine::AddString(const wchar_t* id, const wchar_t* attribute, const wchar_t* text) {
    if (id) {
        m_strings.push_back({CopyOrNull(id), CopyOrNull(attribute), CopyOrNull(text)});
    }
}

const wchar_t* CTEVEngine::FindString(const wchar_t* id, const wchar_t* attribute) const {
    if (!id) {
        return nullptr;
    }
    for (const TranslationEntry& entry : m_strings) {
        if (!EqualsNoCase(entry.id, id)) {
            continue;
        }
        const bool attributeMatches =
            attribute ? EqualsNoCase(entry.attr, attribute) : !entry.attr.has_value();
        if (attributeMatches) {
            return CStrOrNull(entry.loc);
        }
    }
    return nullptr;
}
