#include "CTEVEngine.h"

#include "CTEVElement.h"
#include "ElementTags.h"
#include "XmlDom.h"

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
    ComPtr<IXMLDOMDocument> document = xml::LoadFileDocument(path);
    if (!document) {
        return;
    }
    ComPtr<IXMLDOMNode> root = xml::SelectSingleNode(xml::AsNode(document.Get()).Get(), L"strings");
    ComPtr<IXMLDOMNode> node = xml::SelectSingleNode(root.Get(), L"string");
    for (; node; node = xml::NextSibling(node.Get())) {
        // Comments, white space and entries without id can never answer a lookup.
        if (!xml::IsElement(node.Get())) {
            continue;
        }
        OptString id = xml::GetAttribute(node.Get(), L"id");
        if (!id) {
            continue;
        }
        m_strings.push_back(
            {std::move(id), xml::GetAttribute(node.Get(), L"attr"), xml::GetAttribute(node.Get(), L"loc")});
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
    for (const StringEntry& entry : m_strings) {
        if (!EqualsNoCase(entry.id, id)) {
            continue;
        }
        const bool attributeMatches =
            attribute ? EqualsNoCase(entry.attribute, attribute) : !entry.attribute.has_value();
        if (attributeMatches) {
            return CStrOrNull(entry.text);
        }
    }
    return nullptr;
}
