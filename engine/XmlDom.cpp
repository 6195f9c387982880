#include "XmlDom.h"

#include <shlwapi.h>

#include <new>
#include <utility>

namespace {

// The free-threaded DOM document and the interfaces asked of it.
const CLSID kClsidFreeThreadedDomDocument = {
    0x2933BF91, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

bool AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child) {
    ComPtr<IXMLDOMNode> appended;
    return parent && child && parent->appendChild(child, appended.Put()) == S_OK;
}

} // namespace

Bstr::Bstr(const wchar_t* text) {
    if (text) {
        m_bstr = SysAllocString(text);
        if (!m_bstr) {
            throw std::bad_alloc();
        }
    }
}

Bstr::Bstr(Bstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(m_bstr);
        m_bstr = std::exchange(other.m_bstr, nullptr);
    }
    return *this;
}

Bstr::~Bstr() {
    SysFreeString(m_bstr);
}

BSTR* Bstr::Put() {
    SysFreeString(m_bstr);
    m_bstr = nullptr;
    return &m_bstr;
}

std::wstring Bstr::Str() const {
    return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : std::wstring();
}

Variant::Variant() {
    VariantInit(&m_value);
}

Variant::Variant(const wchar_t* text) {
    VariantInit(&m_value);
    m_value.vt = VT_BSTR;
    m_value.bstrVal = SysAllocString(text ? text : L"");
    if (!m_value.bstrVal) {
        m_value.vt = VT_EMPTY;
        throw std::bad_alloc();
    }
}

Variant::~Variant() {
    VariantClear(&m_value);
}

VARIANT* Variant::Put() {
    VariantClear(&m_value);
    return &m_value;
}

namespace xml {

ComPtr<IXMLDOMDocument> CreateDocument() {
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidFreeThreadedDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                kIidXmlDomDocument, reinterpret_cast<void**>(document.Put())))) {
        return nullptr;
    }
    if (FAILED(document->put_async(VARIANT_FALSE)) || FAILED(document->put_validateOnParse(VARIANT_FALSE)) ||
        FAILED(document->put_resolveExternals(VARIANT_FALSE))) {
        return nullptr;
    }
    return document;
}

namespace {

bool LoadStream(IXMLDOMDocument* document, IStream* stream) {
    Variant source;
    source.Put()->vt = VT_UNKNOWN;
    source.Get()->punkVal = stream;
    stream->AddRef();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(document->load(source.Value(), &loaded)) && loaded == VARIANT_TRUE;
}

} // namespace

bool LoadFile(IXMLDOMDocument* document, const wchar_t* path) {
    if (!document || !path) {
        return false;
    }
    // The parser reads the file's own bytes from a stream: loading by path goes through the
    // URL machinery, which costs more than the parsing for the small files projects consist of.
    ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                      nullptr, stream.Put()))) {
        return false;
    }
    return LoadStream(document, stream.Get());
}

bool LoadBytes(IXMLDOMDocument* document, const std::vector<char>& bytes) {
    if (!document) {
        return false;
    }
    ComPtr<IStream> stream;
    *stream.Put() =
        SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    return stream && LoadStream(document, stream.Get());
}

bool LoadText(IXMLDOMDocument* document, const wchar_t* text) {
    if (!document || !text) {
        return false;
    }
    Bstr source(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(document->loadXML(source.Get(), &loaded)) && loaded == VARIANT_TRUE;
}

ComPtr<IXMLDOMDocument> LoadFileDocument(const wchar_t* path) {
    ComPtr<IXMLDOMDocument> document = CreateDocument();
    if (!LoadFile(document.Get(), path)) {
        return nullptr;
    }
    return document;
}

ComPtr<IXMLDOMNode> AsNode(IXMLDOMDocument* document) {
    ComPtr<IXMLDOMNode> node;
    if (document) {
        document->QueryInterface(kIidXmlDomNode, reinterpret_cast<void**>(node.Put()));
    }
    return node;
}

ComPtr<IXMLDOMNode> SelectSingleNode(IXMLDOMNode* node, const wchar_t* query) {
    ComPtr<IXMLDOMNode> result;
    if (node && query) {
        Bstr text(query);
        if (node->selectSingleNode(text.Get(), result.Put()) != S_OK) {
            result.Reset();
        }
    }
    return result;
}

ComPtr<IXMLDOMNode> FirstChild(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> child;
    if (node && node->get_firstChild(child.Put()) != S_OK) {
        child.Reset();
    }
    return child;
}

ComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> sibling;
    if (node && node->get_nextSibling(sibling.Put()) != S_OK) {
        sibling.Reset();
    }
    return sibling;
}

bool IsElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return node && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

std::wstring NodeName(IXMLDOMNode* node) {
    Bstr name;
    if (node) {
        node->get_nodeName(name.Put());
    }
    return name.Str();
}

std::wstring NodeText(IXMLDOMNode* node) {
    Bstr text;
    if (node) {
        node->get_text(text.Put());
    }
    return text.Str();
}

OptString GetAttribute(IXMLDOMNode* node, const wchar_t* name) {
    if (!node || !name) {
        return std::nullopt;
    }
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.Put())))) {
        return std::nullopt;
    }
    Bstr attributeName(name);
    Variant value;
    if (element->getAttribute(attributeName.Get(), value.Put()) != S_OK || value.Value().vt != VT_BSTR) {
        return std::nullopt;
    }
    const BSTR text = value.Value().bstrVal;
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

bool AppendProcessingInstruction(IXMLDOMDocument* document, const wchar_t* target, const wchar_t* data) {
    if (!document || !target || !data) {
        return false;
    }
    Bstr targetText(target);
    Bstr dataText(data);
    ComPtr<IXMLDOMProcessingInstruction> instruction;
    if (document->createProcessingInstruction(targetText.Get(), dataText.Get(), instruction.Put()) != S_OK) {
        return false;
    }
    return AppendChild(AsNode(document).Get(), instruction.Get());
}

ComPtr<IXMLDOMElement> AppendElement(IXMLDOMDocument* document, IXMLDOMNode* parent, const wchar_t* name) {
    if (!document || !name) {
        return nullptr;
    }
    Variant type;
    type.Get()->vt = VT_I4;
    type.Get()->lVal = NODE_ELEMENT;
    Bstr nameText(name);
    Bstr noNamespace(L"");
    ComPtr<IXMLDOMNode> node;
    if (document->createNode(type.Value(), nameText.Get(), noNamespace.Get(), node.Put()) != S_OK ||
        !AppendChild(parent, node.Get())) {
        return nullptr;
    }
    return node.As<IXMLDOMElement>(kIidXmlDomElement);
}

bool SetAttribute(IXMLDOMElement* element, const wchar_t* name, const wchar_t* value) {
    if (!element || !name || !value) {
        return false;
    }
    Bstr nameText(name);
    Variant valueText(value);
    return element->setAttribute(nameText.Get(), valueText.Value()) == S_OK;
}

bool SaveFile(IXMLDOMDocument* document, const wchar_t* path) {
    if (!document || !path) {
        return false;
    }
    Variant destination(path);
    return document->save(destination.Value()) == S_OK;
}

} // namespace xml
